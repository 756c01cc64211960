#include "session/session_events.h"

namespace maj::session {

void SessionEvents::Status(const std::string& text) const {
  SessionState state;
  state.kind = StateKind::Status;
  state.text = text;
  report_(state);
}

void SessionEvents::NeedRebootEvent() {
  if (restartNeeded_) return;
  restartNeeded_ = true;
  SessionState state;
  state.kind = StateKind::RestartNeeded;
  report_(state);
}

void SessionEvents::OldNewOrvSpecVersionEvent(std::int32_t& lOld, std::int32_t& lNew) {
  oldVersion_ = lOld;
  newVersion_ = lNew;
}

void SessionEvents::Progress(std::int64_t done, std::int64_t expected, bool unpacking) {
  const std::int64_t permille = expected > 0 ? done * 1000 / expected : 1000;
  if (permille == lastPermille_ && unpacking == lastUnpacking_ && done < expected) return;
  lastPermille_ = permille;
  lastUnpacking_ = unpacking;
  SessionState state;
  state.kind = StateKind::Progress;
  state.done = done;
  state.expected = expected;
  state.unpacking = unpacking;
  report_(state);
}

}  // namespace maj::session
