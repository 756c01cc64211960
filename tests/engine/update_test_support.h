#pragma once
// An update run against the private test server: a machine to install on (InstallMachine), an empty
// Fichier64 in a database of the test's own, rows published through cls_File or inserted as conditional
// packages, and a listener that records the engine's events in order.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/cls_download_manager.h"
#include "tests/engine/install_test_support.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"

namespace maj::engine::testing {

// Records every event as "Name:argument". With `overwriteNames`, it then overwrites each file name it is
// given, as a careless screen might: the engine must not be affected.
class RecordingEngineListener : public cls_DownloadManagerListener {
 public:
  void DownloadFileEvent(std::string& Filename) override {
    events.push_back("DownloadFile:" + Filename);
    if (overwriteNames) Filename = "overwritten";
    if (onDownloadFile) onDownloadFile();
  }
  void UploadFileEvent(std::string& Filename) override { events.push_back("UploadFile:" + Filename); }
  void CompressFileEvent(std::string& Filename) override { events.push_back("CompressFile:" + Filename); }
  void ActionFileEvent(std::string& Filename) override { events.push_back("ActionFile:" + Filename); }
  void RegisterFileEvent(std::string& Filename) override { events.push_back("RegisterFile:" + Filename); }
  void DownloadEvent(std::string& message) override { events.push_back("Download:" + message); }
  void EndDownloadEvent(std::string& message) override { events.push_back("EndDownload:" + message); }
  void OldNewOrvSpecVersionEvent(std::int32_t& lOld, std::int32_t& lNew) override {
    events.push_back("OldNew:" + std::to_string(lOld) + "," + std::to_string(lNew));
  }
  void NeedRebootEvent() override { events.push_back("NeedReboot"); }
  void CheckVersionEvent(std::string& message) override { events.push_back("CheckVersion:" + message); }
  std::vector<std::string> events;
  bool overwriteNames = false;
  std::function<void()> onDownloadFile;  // run after each DownloadFileEvent, when set
};

// A conditional row of Fichier64.
struct ConditionalRow {
  std::string nom = {};
  std::string data = {};
  std::string condition = {};
  int typeCondition = 1;
  int type = 0;
  int action1 = 0;
  std::string actionData1 = {};
  int action2 = 0;
  std::string actionData2 = {};
  int action3 = 0;
  std::string actionData3 = {};
  bool xp = true;  // applies to Windows XP (else to Windows 7 only)
};

class UpdateRunTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Publishes `content` as version `version` of `nom` through cls_File.Upload, applying to Windows XP (or to
  // Windows 7 only), with TYPE `type`, signed with publishingKey_ when set.
  void Publish(const std::string& nom, const std::string& content, const std::string& version,
               std::int16_t type = 0, bool xp = true);
  void Insert(const ConditionalRow& row);
  // Runs a whole check and run with `forcer`.
  void Check(bool forcer = false);
  // The list of an engine's entries as "nom" texts.
  static std::vector<std::string> Names(const std::vector<std::shared_ptr<Fichier>>& list);

  InstallMachine machine_;
  maj::testing::TestDatabase database_;
  maj::testing::TempFolder publishing_;
  RecordingEngineListener listener_;
  std::vector<std::string> messages_;
  std::unique_ptr<cls_DownloadManager> engine_;  // declared last: gone before the machine and the database
  std::shared_ptr<const signing::SigningKey> publishingKey_;
};

}  // namespace maj::engine::testing
