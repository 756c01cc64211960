#include "engine/published_name.h"

#include <stdexcept>

#include "platform/file_names.h"

namespace maj::engine {

void RequirePlainFileName(std::string_view nom) {
  if (!platform::IsPlainFileName(nom)) {
    throw std::runtime_error("Nom de fichier publié refusé : « " + platform::ShownName(nom) +
                             " » (un nom de fichier ne peut pas contenir de dossier).");
  }
}

}  // namespace maj::engine
