#pragma once
// Registry reads for the rest of the system, over the process's registry file.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_file.h"

namespace maj::config {

using platform::RegistryRoot;

// A text (REG_SZ) value; nullopt when the key or value is absent or the value is of another type. An empty
// text value gives "", which is not nullopt.
std::optional<std::string> ReadRegistryText(RegistryRoot root, std::string_view keyPath,
                                            std::string_view valueName);

// Value names of a key in enumeration order; empty when the key does not exist.
std::vector<std::string> ListRegistryValueNames(RegistryRoot root, std::string_view keyPath);

}  // namespace maj::config
