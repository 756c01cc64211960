#pragma once
// The engine's current file: the only Fichier whose events reach the engine.
#include <memory>

#include "engine/fichier.h"

namespace maj::engine {

struct EngineHost;

// Makes `next` the current file, reporting to `listener` and using `host`; the previous one stops reporting.
inline void MakeCurrentFichier(std::shared_ptr<Fichier>& current, std::shared_ptr<Fichier> next,
                               FichierListener* listener, const EngineHost* host) {
  if (current) current->SetListener(nullptr);
  current = std::move(next);
  current->SetListener(listener);
  current->SetHost(host);
}

}  // namespace maj::engine
