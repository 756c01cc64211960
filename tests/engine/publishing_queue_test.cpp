// The publishing queue: records stored in order, their notices relayed, failures passed on.
#include <gtest/gtest.h>

#include <memory>

#include "engine/cls_download_manager.h"
#include "tests/transfer/fichier64_test_support.h"
#include "transfer/cls_file.h"

namespace maj::engine {
namespace {

using transfer::cls_File;
using transfer::testing::ReadRows;
using transfer::testing::StoredRow;

// Records every event of the engine as "event:argument".
class RecordingEngineListener : public cls_DownloadManagerListener {
 public:
  void DownloadFileEvent(std::string& Filename) override { events.push_back("download:" + Filename); }
  void UploadFileEvent(std::string& Filename) override { events.push_back("upload:" + Filename); }
  void CompressFileEvent(std::string& Filename) override { events.push_back("compress:" + Filename); }
  void ActionFileEvent(std::string& Filename) override { events.push_back("action:" + Filename); }
  void RegisterFileEvent(std::string& Filename) override { events.push_back("register:" + Filename); }
  void DownloadEvent(std::string& message) override { events.push_back("retrieval:" + message); }
  void EndDownloadEvent(std::string& message) override { events.push_back("end:" + message); }
  void OldNewOrvSpecVersionEvent(std::int32_t&, std::int32_t&) override { events.push_back("versions"); }
  void NeedRebootEvent() override { events.push_back("reboot"); }
  void CheckVersionEvent(std::string& message) override { events.push_back("check:" + message); }

  std::vector<std::string> events;
};

class PublishingQueueTest : public transfer::testing::Fichier64Test {
 protected:
  std::shared_ptr<cls_File> Record(const std::string& fileName, const std::string& content) {
    return std::make_shared<cls_File>(MakeRecord(fileName, content, "001.000.000"));
  }

  RecordingEngineListener listener_;
  cls_DownloadManager engine_{&listener_};
};

TEST_F(PublishingQueueTest, RecordsAreStoredInQueueOrderWithTheirNoticesInOrder) {
  for (const char* name : {"b.dll", "a.dll", "c.exe"}) engine_.AddFileToUpload(Record(name, name));

  engine_.ProcessUpload();

  const std::vector<StoredRow> rows = ReadRows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].nom, "b.dll");
  EXPECT_EQ(rows[1].nom, "a.dll");
  EXPECT_EQ(rows[2].nom, "c.exe");
  EXPECT_EQ(listener_.events, (std::vector<std::string>{"compress:b.dll", "upload:b.dll", "compress:a.dll",
                                                        "upload:a.dll", "compress:c.exe", "upload:c.exe"}));
  EXPECT_EQ(engine_.UploadQueue().size(), 3u);
}

TEST_F(PublishingQueueTest, RecordChangedAfterQueueingIsStoredWithItsNewValues) {
  std::shared_ptr<cls_File> record = Record("a.dll", "contenu");
  engine_.AddFileToUpload(record);
  record->SetNom("renamed.dll");
  record->SetCurrentVersion("002.000.000");
  record->SetTypeFichier(2);
  record->SetW9x(true);

  engine_.ProcessUpload();

  const std::vector<StoredRow> rows = ReadRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].nom, "renamed.dll");
  EXPECT_EQ(rows[0].version, "002.000.000");
  EXPECT_EQ(rows[0].type, 2);
  EXPECT_EQ(rows[0].flags[0], -1);
  EXPECT_EQ(engine_.UploadQueue().front(), record);
}

TEST_F(PublishingQueueTest, EmptyQueueStoresNothingAndRaisesNothing) {
  engine_.ProcessUpload();

  EXPECT_TRUE(ReadRows().empty());
  EXPECT_TRUE(listener_.events.empty());
}

TEST_F(PublishingQueueTest, FailureStopsAtThatRecordAndReachesTheCaller) {
  engine_.AddFileToUpload(Record("a.dll", "contenu"));
  engine_.AddFileToUpload(Record("absent.dll", ""));
  engine_.AddFileToUpload(Record("c.dll", "contenu"));

  try {
    engine_.ProcessUpload();
    FAIL() << "no error";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("absent.dll"), std::string::npos) << error.what();
  }

  const std::vector<StoredRow> rows = ReadRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].nom, "a.dll");
  EXPECT_EQ(listener_.events.back(), "compress:absent.dll");
}

TEST_F(PublishingQueueTest, SecondRunStoresEarlierRecordsAgainAsUpdatesAndOnlyTheCurrentRecordReports) {
  std::shared_ptr<cls_File> first = Record("a.dll", "contenu");
  engine_.AddFileToUpload(first);
  engine_.ProcessUpload();
  std::shared_ptr<cls_File> second = Record("b.dll", "contenu");
  engine_.AddFileToUpload(second);
  listener_.events.clear();

  engine_.ProcessUpload();

  EXPECT_EQ(ReadRows().size(), 2u);
  EXPECT_EQ(listener_.events,
            (std::vector<std::string>{"upload:a.dll", "compress:b.dll", "upload:b.dll"}));
  // The earlier record no longer reports to the engine.
  listener_.events.clear();
  first->SetTypeFichier(2);
  first->Upload();
  EXPECT_TRUE(listener_.events.empty());
}

TEST_F(PublishingQueueTest, RecordOutlivingTheEngineNoLongerReportsToIt) {
  std::shared_ptr<cls_File> record = Record("a.dll", "contenu");
  {
    RecordingEngineListener gone;
    cls_DownloadManager engine(&gone);
    engine.AddFileToUpload(record);
    engine.ProcessUpload();
  }
  record->SetTypeFichier(2);
  record->Upload();  // would reach the destroyed engine if it were still its listener
  EXPECT_EQ(ReadRows().at(0).type, 2);
}

}  // namespace
}  // namespace maj::engine
