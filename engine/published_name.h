#pragma once
// Names of published files, as they come from table Fichier64.
#include <string>
#include <string_view>

namespace maj::engine {

// Throws std::runtime_error with a French description naming `nom` (control characters escaped) unless it
// names a file without any folder (platform::IsPlainFileName). Any other name could write outside the
// working, bin or application folder.
void RequirePlainFileName(std::string_view nom);

}  // namespace maj::engine
