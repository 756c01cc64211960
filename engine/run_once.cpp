#include "engine/run_once.h"

#include "platform/registry_file.h"

namespace maj::engine {

void WriteRunOnceCommand(std::string_view name, std::string_view command) {
  platform::SystemRegistry().WriteString(platform::RegistryRoot::LocalMachine, kRunOnceKey, name, command);
}

}  // namespace maj::engine
