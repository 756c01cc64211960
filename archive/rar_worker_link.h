#pragma once
// The worker's side of the channel: asks the updater a callback question and waits for the answer, or
// tells it that work is going on.
#include <chrono>
#include <cstdint>
#include <string>

namespace maj::archive {

struct CallbackAnswer {
  int result = 0;
  std::string text;  // the buffer the callback filled (new volume name, password)
};

class WorkerLink {
 public:
  explicit WorkerLink(int fd) : fd_(fd) {}

  // Raises callback `message` with second parameter `p2` and first-parameter text `text` in the updater
  // and returns its answer. Ends the worker when the updater is gone.
  CallbackAnswer Ask(unsigned message, std::int64_t p2, const std::string& text);

  // Tells the updater that the worker is alive; at most a few times a second, whatever the call rate.
  void Heartbeat();

  int fd() const { return fd_; }

 private:
  int fd_;
  std::chrono::steady_clock::time_point lastHeartbeat_{};
};

}  // namespace maj::archive
