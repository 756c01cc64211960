#include <filesystem>

#include "config/installation.h"
#include "platform/paths.h"

namespace maj::config {

std::string GetBinFolder() {
  const std::string bin = platform::ApplicationFolder() + "/bin";
  std::filesystem::create_directories(bin);
  return bin;
}

}  // namespace maj::config
