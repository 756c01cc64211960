#pragma once
// Runs the update session and the publishing service off the window's thread. Their states come back to the
// window as queued signals, in order; the questions they ask (the wait for the main application, the
// engine's messages) are answered on the window's thread while the worker waits.
#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "session/session_connection.h"
#include "session/session_state.h"
#include "session/update_session.h"
#include "transfer/cls_file.h"

namespace maj::app {

class SessionWorker : public QObject {
  Q_OBJECT

 public:
  // Served on the window's thread while the worker waits for the answer.
  struct Questions {
    // Shows the wait screen for `processId`; true once it has exited, false when the user gave up.
    std::function<bool(std::int32_t processId)> WaitForMainApplication;
    // Shows an engine message and returns once acknowledged.
    std::function<void(const std::string& message)> ShowMessage;
  };

  // Lives on the thread that creates it (the window's); `questions` are called there.
  explicit SessionWorker(Questions questions, QObject* parent = nullptr);
  // Asks a running task to stop, gives the default answer to a question still open, waits for the task to
  // end, then closes the connection.
  ~SessionWorker() override;

  // Starts the update session on the worker's thread. False (nothing started) while a task runs.
  bool StartUpdate();
  // Starts publishing `records` on the worker's thread, on the same connection, signed with the key the
  // variable or the settings file names (looked for at each sending). False while a task runs.
  bool StartPublishing(std::vector<std::shared_ptr<transfer::cls_File>> records);
  // Asks the running task to stop at its next safe point (publishing finishes its records).
  void RequestStop();
  // True from a start until the task's Ended state has been handed on.
  bool IsBusy() const { return busy_; }

 signals:
  // Each state of the running task, delivered on the window's thread in the order reported.
  void StateReported(const maj::session::SessionState& state);

 private:
  bool Start(std::function<void()> task);
  // Asks `question` on the window's thread and blocks until it is answered or the worker is destroyed.
  template <typename Result>
  Result Ask(std::function<Result()> question, Result abandoned);
  void Report(const session::SessionState& state);

  Questions questions_;
  // Used only by the task's thread while it runs, and by the destructor after it ended.
  session::SessionConnection connection_;
  std::thread thread_;
  std::atomic<bool> busy_{false};
  std::atomic<bool> destroying_{false};
  std::mutex sessionMutex_;
  session::UpdateSession* session_ = nullptr;  // the running update session, guarded by sessionMutex_
};

}  // namespace maj::app
