#pragma once
// The engine's events turned into session states: the status texts a person reads, progress, restart.
#include <cstdint>
#include <string>

#include "engine/download_manager_listener.h"
#include "session/session_state.h"

namespace maj::session {

// Listens to one engine and reports each event as a state: the message itself, or a French prefix
// ("Récupération de ", "Traitement de ", ...) followed by the file name; progress; restart once.
class SessionEvents : public engine::cls_DownloadManagerListener {
 public:
  // `report` must outlive this object.
  explicit SessionEvents(const StateReporter& report) : report_(report) {}

  // True once the engine asked for a restart.
  bool RestartNeeded() const { return restartNeeded_; }
  // The documentation range the engine gave at the end of its run (0 and 999999 until then).
  std::int32_t OldVersion() const { return oldVersion_; }
  std::int32_t NewVersion() const { return newVersion_; }

  // Reports `text` as the new status line.
  void Status(const std::string& text) const;

  void DownloadFileEvent(std::string& Filename) override { Status("Récupération de " + Filename); }
  void UploadFileEvent(std::string& Filename) override { Status("Mise en base de " + Filename); }
  void CompressFileEvent(std::string& Filename) override { Status("Compression de " + Filename); }
  void ActionFileEvent(std::string& Filename) override { Status("Traitement de " + Filename); }
  void RegisterFileEvent(std::string& Filename) override { Status("Inscription au registre de " + Filename); }
  void DownloadEvent(std::string& message) override { Status(message); }
  void EndDownloadEvent(std::string& message) override { Status(message); }
  void CheckVersionEvent(std::string& message) override { Status(message); }
  void NeedRebootEvent() override;
  void OldNewOrvSpecVersionEvent(std::int32_t& lOld, std::int32_t& lNew) override;
  void ProgressEvent(std::int64_t done, std::int64_t expected) override { Progress(done, expected, false); }
  void UnpackProgressEvent(std::int64_t done, std::int64_t expected) override { Progress(done, expected, true); }

 private:
  void Progress(std::int64_t done, std::int64_t expected, bool unpacking);

  const StateReporter& report_;
  bool restartNeeded_ = false;
  std::int32_t oldVersion_ = 0;
  std::int32_t newVersion_ = 999999;
  // Progress is reported at most once per thousandth of the file: a front end has nothing to show between.
  std::int64_t lastPermille_ = -1;
  bool lastUnpacking_ = false;
};

}  // namespace maj::session
