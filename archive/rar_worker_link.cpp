#include "archive/rar_worker_link.h"

#include <cstdlib>

#include "archive/rar_worker_channel.h"

namespace maj::archive {

CallbackAnswer WorkerLink::Ask(unsigned message, std::int64_t p2, const std::string& text) {
  WorkerMessage question{WorkerMessageKind::kCallback, {static_cast<std::int64_t>(message), p2}, {text}};
  if (!SendWorkerMessage(fd_, question)) std::_Exit(1);
  std::optional<WorkerMessage> reply = ReceiveWorkerMessage(fd_);
  if (!reply || reply->kind != WorkerMessageKind::kAnswer) std::_Exit(1);
  lastHeartbeat_ = std::chrono::steady_clock::now();
  return {static_cast<int>(reply->Number(0)), reply->Text(0)};
}

void WorkerLink::Heartbeat() {
  auto now = std::chrono::steady_clock::now();
  if (now - lastHeartbeat_ < std::chrono::milliseconds(200)) return;
  lastHeartbeat_ = now;
  if (!SendWorkerMessage(fd_, WorkerMessage{WorkerMessageKind::kHeartbeat, {}, {}})) std::_Exit(1);
}

}  // namespace maj::archive
