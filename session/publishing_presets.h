#pragma once
// The tick boxes a file gets when it is added for publishing, chosen from its name. Shared by the publishing
// panel and the command line so that both publish a file the same way.
#include <string_view>

namespace maj::session {

// Register, RegAsm and Codebase; every Windows version is ticked in each preset.
struct PublishingPreset {
  bool Register = false;
  bool RegAsm = false;
  bool Codebase = false;
  friend bool operator==(const PublishingPreset&, const PublishingPreset&) = default;
};

inline constexpr PublishingPreset kPlainPreset{false, false, false};
inline constexpr PublishingPreset kComponentPreset{true, false, false};
inline constexpr PublishingPreset kAssemblyPreset{false, true, false};

// First match wins: "quenrax.dll" and "libmysql.dll" are plain, a name containing ".ocx" is a component, one
// beginning with "Orvane." an assembly, one containing ".dll" a component, anything else plain. The name is
// compared in lower case, as the file dialog's names are stored.
PublishingPreset ClassifyPublishedName(std::string_view name);

}  // namespace maj::session
