#pragma once
// Names of published files, as they come from table Fichier64.
#include <string>
#include <string_view>

namespace maj::engine {

// Throws std::runtime_error with a French description naming `nom` unless it names a file without any
// folder: not empty, not "." or "..", and without "/", "\", ":" or NUL. Any other name could write outside
// the working, bin or application folder.
void RequirePlainFileName(std::string_view nom);

}  // namespace maj::engine
