#include "engine/component_registration.h"

#include <optional>

#include "platform/file_operations.h"
#include "platform/paths.h"
#include "platform/processes.h"

namespace maj::engine {

void DLLSelfRegister(const std::string& path, const std::string& systemFolder) {
  const std::string program = platform::JoinPath(systemFolder, "regsvr32.exe");
  if (!platform::CurrentFileOperations().FileExists(program)) return;
  std::optional<platform::ChildProcess> child =
      platform::ChildProcess::Start(program, "/s \"" + path + "\"", std::string());
  if (child) child->WaitForExit({});
}

std::string RegisterAtNextStartCommand(const std::string& systemFolder, const std::string& installedPath) {
  return "\"" + systemFolder + "\\regsvr32.exe\" /s \"" + installedPath + "\"";
}

}  // namespace maj::engine
