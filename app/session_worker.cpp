#include "app/session_worker.h"

#include <QMetaObject>

#include <chrono>
#include <future>
#include <utility>

#include "session/publishing_service.h"

namespace maj::app {

SessionWorker::SessionWorker(Questions questions, QObject* parent)
    : QObject(parent), questions_(std::move(questions)) {
  qRegisterMetaType<session::SessionState>();
}

SessionWorker::~SessionWorker() {
  destroying_ = true;
  RequestStop();
  if (thread_.joinable()) thread_.join();
}

bool SessionWorker::StartUpdate() {
  return Start([this] {
    session::FrontEnd frontEnd;
    frontEnd.Report = [this](const session::SessionState& state) { Report(state); };
    frontEnd.WaitForMainApplication = [this](std::int32_t processId) {
      return Ask<bool>([this, processId] { return questions_.WaitForMainApplication(processId); }, false);
    };
    frontEnd.ShowMessage = [this](const std::string& message) {
      Ask<bool>([this, message] {
        questions_.ShowMessage(message);
        return true;
      }, true);
    };
    session::UpdateSession session(std::move(frontEnd), connection_);
    {
      const std::lock_guard lock(sessionMutex_);
      session_ = &session;
      if (destroying_) session.RequestStop();
    }
    session.Run();
    const std::lock_guard lock(sessionMutex_);
    session_ = nullptr;
  });
}

bool SessionWorker::StartPublishing(std::vector<std::shared_ptr<transfer::cls_File>> records) {
  return Start([this, records = std::move(records)] {
    session::PublishingService service([this](const session::SessionState& state) { Report(state); },
                                       connection_);
    service.Publish(records);
  });
}

void SessionWorker::RequestStop() {
  const std::lock_guard lock(sessionMutex_);
  if (session_) session_->RequestStop();
}

bool SessionWorker::Start(std::function<void()> task) {
  if (busy_) return false;
  if (thread_.joinable()) thread_.join();  // the last task has reported its end: it is returning
  busy_ = true;
  thread_ = std::thread([this, task = std::move(task)] { task(); });
  return true;
}

void SessionWorker::Report(const session::SessionState& state) {
  // The window reads IsBusy() when the end arrives: it must already be false then.
  if (state.kind == session::StateKind::Ended) busy_ = false;
  emit StateReported(state);
}

template <typename Result>
Result SessionWorker::Ask(std::function<Result()> question, Result abandoned) {
  auto answer = std::make_shared<std::promise<Result>>();
  std::future<Result> answered = answer->get_future();
  QMetaObject::invokeMethod(
      this, [question = std::move(question), answer] { answer->set_value(question()); }, Qt::QueuedConnection);
  // A destroyed window answers nothing: the worker must not wait for it.
  while (answered.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
    if (destroying_) return abandoned;
  }
  return answered.get();
}

}  // namespace maj::app
