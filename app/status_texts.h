#pragma once
// The engine's events turned into the one status line a person reads, for the screen and the command line.
#include <cstdint>
#include <functional>
#include <string>

#include "engine/download_manager_listener.h"

namespace maj::app {

// Receives every event of cls_DownloadManager and hands on the status text it stands for: the message
// itself, or a French prefix ("Récupération de ", "Traitement de ", ...) followed by the file name.
class StatusTextListener : public engine::cls_DownloadManagerListener {
 public:
  struct Handlers {
    std::function<void(const std::string& status)> Status;           // every new status text
    std::function<void()> NeedReboot;                                  // a restart is needed
    std::function<void(std::int32_t& lOld, std::int32_t& lNew)> OldNewVersions;  // the run is over
    std::function<void(std::int64_t done, std::int64_t expected)> Progress;      // bytes fetched or unpacked
  };

  explicit StatusTextListener(Handlers handlers) : handlers_(std::move(handlers)) {}

  void DownloadFileEvent(std::string& Filename) override { Show("Récupération de " + Filename); }
  void UploadFileEvent(std::string& Filename) override { Show("Mise en base de " + Filename); }
  void CompressFileEvent(std::string& Filename) override { Show("Compression de " + Filename); }
  void ActionFileEvent(std::string& Filename) override { Show("Traitement de " + Filename); }
  void RegisterFileEvent(std::string& Filename) override { Show("Inscription au registre de " + Filename); }
  void DownloadEvent(std::string& message) override { Show(message); }
  void EndDownloadEvent(std::string& message) override { Show(message); }
  void CheckVersionEvent(std::string& message) override { Show(message); }
  void NeedRebootEvent() override {
    if (handlers_.NeedReboot) handlers_.NeedReboot();
  }
  void OldNewOrvSpecVersionEvent(std::int32_t& lOld, std::int32_t& lNew) override {
    if (handlers_.OldNewVersions) handlers_.OldNewVersions(lOld, lNew);
  }
  void ProgressEvent(std::int64_t done, std::int64_t expected) override {
    if (handlers_.Progress) handlers_.Progress(done, expected);
  }

 private:
  void Show(const std::string& text) {
    if (handlers_.Status) handlers_.Status(text);
  }

  Handlers handlers_;
};

}  // namespace maj::app
