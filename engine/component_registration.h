#pragma once
// In-place registration of a component, the way a setup support library's DLLSelfRegister does it.
#include <string>

namespace maj::engine {

// Runs "<system folder>/regsvr32.exe /s <path>" and waits for it, when that program exists and can be
// started; otherwise does nothing. The outcome is not reported.
void DLLSelfRegister(const std::string& path, const std::string& systemFolder);

// The run-once command that registers `installedPath` at the next start:
// "<systemFolder>\regsvr32.exe" /s "<installedPath>", each path between double quotes.
std::string RegisterAtNextStartCommand(const std::string& systemFolder, const std::string& installedPath);

}  // namespace maj::engine
