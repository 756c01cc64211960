#include "config/registry_access.h"

#include <stdexcept>

namespace maj::config {

std::optional<std::string> ReadRegistryText(RegistryRoot root, std::string_view keyPath,
                                            std::string_view valueName) {
  try {
    const auto value = platform::SystemRegistry().ReadValue(root, keyPath, valueName);
    if (!value || value->type != platform::RegistryValueType::String) return std::nullopt;
    return value->text;
  } catch (const std::runtime_error&) {
    return std::nullopt;  // a registry that cannot be read holds no value
  }
}

std::vector<std::string> ListRegistryValueNames(RegistryRoot root, std::string_view keyPath) {
  try {
    return platform::SystemRegistry().ValueNames(root, keyPath).value_or(std::vector<std::string>());
  } catch (const std::runtime_error&) {
    return {};
  }
}

}  // namespace maj::config
