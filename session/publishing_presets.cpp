#include "session/publishing_presets.h"

#include <string>

#include "platform/text.h"

namespace maj::session {

PublishingPreset ClassifyPublishedName(std::string_view name) {
  const std::string lowered = platform::ToLowerCase(name);
  if (lowered == "quenrax.dll" || lowered == "libmysql.dll") return kPlainPreset;
  if (lowered.find(".ocx") != std::string::npos) return kComponentPreset;
  if (platform::StartsWithIgnoreCase(lowered, "Orvane.")) return kAssemblyPreset;
  if (lowered.find(".dll") != std::string::npos) return kComponentPreset;
  return kPlainPreset;
}

}  // namespace maj::session
