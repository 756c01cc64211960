#pragma once
// The exception that ends a long operation its owner asked to stop. Layers that turn failures into their
// own descriptions let it through unchanged: a stop is not a failure of the step it interrupted.
#include <stdexcept>

namespace maj::platform {

class RunStopped : public std::runtime_error {
 public:
  RunStopped() : std::runtime_error("Mise à jour interrompue") {}
};

}  // namespace maj::platform
