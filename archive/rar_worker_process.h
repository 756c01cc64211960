#pragma once
// The updater's side of the RAR worker: starts `maj-rar-worker`, sends it one request at a time and waits
// for the answer, serving the callback questions it asks meanwhile. A worker that stays silent longer than
// the time limit (no answer, no callback, no heartbeat) or dies is killed, and the request fails.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "archive/rar_worker_channel.h"
#include "platform/unique_fd.h"

namespace maj::archive {

// The worker program: $MAJ_RAR_WORKER when set, else `maj-rar-worker` beside the running executable, else
// in ../libexec/maj/ from it (the packaged layout), else the one of the build tree (development builds only).
// Empty when none is executable.
std::string FindRarWorkerProgram();

// Longest silence of a working worker: $MAJ_RAR_WORKER_TIMEOUT_MS when set, else 5 seconds.
std::chrono::milliseconds RarWorkerSilenceLimit();

class RarWorkerProcess {
 public:
  using CallbackHandler = std::function<WorkerMessage(const WorkerMessage& question)>;

  // Starts the worker. Throws std::runtime_error when the program is missing or cannot be started.
  static std::unique_ptr<RarWorkerProcess> Start();
  ~RarWorkerProcess();
  RarWorkerProcess(const RarWorkerProcess&) = delete;
  RarWorkerProcess& operator=(const RarWorkerProcess&) = delete;

  // Sends `request` and returns the worker's result, answering each callback question with `onCallback`.
  // nullopt when the worker died, broke the protocol or stayed silent too long; it is then killed and every
  // later call fails at once.
  std::optional<WorkerMessage> Call(const WorkerMessage& request, const CallbackHandler& onCallback);

  bool alive() const { return fd_.valid(); }

 private:
  RarWorkerProcess(pid_t pid, int fd) : pid_(pid), fd_(fd) {}
  void Stop();

  pid_t pid_;
  platform::UniqueFd fd_;
};

}  // namespace maj::archive
