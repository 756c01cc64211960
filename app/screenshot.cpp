#include "app/screenshot.h"

#include <QPixmap>
#include <QWidget>

namespace maj::app {

std::string ScreenshotPathFromEnvironment() { return qEnvironmentVariable("MAJ_SCREENSHOT").toStdString(); }

bool SaveScreenshot(QWidget& screen, const std::string& path) {
  return screen.grab().save(QString::fromStdString(path), "PNG");
}

}  // namespace maj::app
