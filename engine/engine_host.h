#pragma once
// What the screen lends the engine while it works.
#include <functional>
#include <string>

namespace maj::engine {

// Both callbacks may be left empty (tests, command-line use).
struct EngineHost {
  // Lets the screen handle its pending events; called between polls while a started program runs.
  std::function<void()> ProcessPendingEvents;
  // Shows a French message to the user (OK button) and returns once it is closed.
  std::function<void(const std::string& message)> ShowMessage;
};

}  // namespace maj::engine
