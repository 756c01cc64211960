#pragma once
// A picture of a screen saved as PNG, for runs without anyone watching (the demo on a headless machine).
#include <string>

class QWidget;

namespace maj::app {

// The file named by MAJ_SCREENSHOT, empty when the variable is unset.
std::string ScreenshotPathFromEnvironment();

// Saves what `screen` shows into `path` (PNG); returns false when it cannot be written.
bool SaveScreenshot(QWidget& screen, const std::string& path);

}  // namespace maj::app
