#include "app/download_manager_access.h"

#include <QApplication>
#include <QMessageBox>

namespace maj::app {
namespace {

// Hands every event to the listener of the moment: the engine keeps the listener it was built with, the
// screens come and go.
class ListenerRelay : public engine::cls_DownloadManagerListener {
 public:
  engine::cls_DownloadManagerListener* target = nullptr;

  void DownloadFileEvent(std::string& Filename) override {
    if (target) target->DownloadFileEvent(Filename);
  }
  void UploadFileEvent(std::string& Filename) override {
    if (target) target->UploadFileEvent(Filename);
  }
  void CompressFileEvent(std::string& Filename) override {
    if (target) target->CompressFileEvent(Filename);
  }
  void ActionFileEvent(std::string& Filename) override {
    if (target) target->ActionFileEvent(Filename);
  }
  void RegisterFileEvent(std::string& Filename) override {
    if (target) target->RegisterFileEvent(Filename);
  }
  void DownloadEvent(std::string& message) override {
    if (target) target->DownloadEvent(message);
  }
  void EndDownloadEvent(std::string& message) override {
    if (target) target->EndDownloadEvent(message);
  }
  void OldNewOrvSpecVersionEvent(std::int32_t& lOld, std::int32_t& lNew) override {
    if (target) target->OldNewOrvSpecVersionEvent(lOld, lNew);
  }
  void NeedRebootEvent() override {
    if (target) target->NeedRebootEvent();
  }
  void CheckVersionEvent(std::string& message) override {
    if (target) target->CheckVersionEvent(message);
  }
  void ProgressEvent(std::int64_t done, std::int64_t expected) override {
    if (target) target->ProgressEvent(done, expected);
  }
};

ListenerRelay& Relay() {
  static ListenerRelay relay;
  return relay;
}

engine::EngineHost ScreenHost() {
  engine::EngineHost host;
  host.ProcessPendingEvents = [] { QCoreApplication::processEvents(); };
  host.ShowMessage = [](const std::string& message) {
    QMessageBox::information(QApplication::activeWindow(), QStringLiteral("Mise à jour Proscenia"),
                             QString::fromStdString(message));
  };
  return host;
}

}  // namespace

engine::cls_DownloadManager& GetDownloadManager() {
  static engine::cls_DownloadManager manager(&Relay(), ScreenHost());
  return manager;
}

void SetDownloadManagerListener(engine::cls_DownloadManagerListener* listener) { Relay().target = listener; }

}  // namespace maj::app
