#include "engine/published_name.h"

#include <stdexcept>

namespace maj::engine {
namespace {

bool IsPlainFileName(std::string_view nom) {
  return !nom.empty() && nom != "." && nom != ".." &&
         nom.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

}  // namespace

void RequirePlainFileName(std::string_view nom) {
  if (!IsPlainFileName(nom)) {
    throw std::runtime_error("Nom de fichier publié refusé : « " + std::string(nom) +
                             " » (un nom de fichier ne peut pas contenir de dossier).");
  }
}

}  // namespace maj::engine
