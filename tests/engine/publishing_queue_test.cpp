// The publishing queue: records stored in order, their notices relayed, failures passed on.
#include <gtest/gtest.h>

#include <memory>

#include "engine/cls_download_manager.h"
#include "tests/engine/update_test_support.h"
#include "tests/transfer/fichier64_test_support.h"
#include "transfer/cls_file.h"

namespace maj::engine {
namespace {

using transfer::cls_File;
using transfer::testing::ReadRows;
using transfer::testing::StoredRow;

class PublishingQueueTest : public transfer::testing::Fichier64Test {
 protected:
  std::shared_ptr<cls_File> Record(const std::string& fileName, const std::string& content) {
    return std::make_shared<cls_File>(MakeRecord(fileName, content, "001.000.000"));
  }
  static std::vector<std::string> StoredNames() {
    std::vector<std::string> names;
    for (const StoredRow& row : ReadRows()) names.push_back(row.nom);
    return names;
  }

  testing::RecordingEngineListener listener_;
  cls_DownloadManager engine_{&listener_};
};

TEST_F(PublishingQueueTest, FailureStopsAtThatRecordAndReachesTheCaller) {
  engine_.AddFileToUpload(Record("a.dll", "contenu"));
  engine_.AddFileToUpload(Record("absent.dll", ""));
  engine_.AddFileToUpload(Record("c.dll", "contenu"));

  const std::string failure = maj::testing::FailureOf([&] { engine_.ProcessUpload(); });
  EXPECT_NE(failure.find("absent.dll"), std::string::npos) << failure;

  EXPECT_EQ(StoredNames(), std::vector<std::string>{"a.dll"});
  EXPECT_EQ(listener_.events.back(), "CompressFile:absent.dll");
}

TEST_F(PublishingQueueTest, SecondRunStoresEarlierRecordsAgainAsUpdatesAndOnlyTheCurrentRecordOfALiveEngineReports) {
  std::shared_ptr<cls_File> first = Record("a.dll", "contenu");
  engine_.AddFileToUpload(first);
  engine_.ProcessUpload();
  std::shared_ptr<cls_File> second = Record("b.dll", "contenu");
  engine_.AddFileToUpload(second);
  listener_.events.clear();

  engine_.ProcessUpload();

  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"a.dll", "b.dll"}));
  EXPECT_EQ(listener_.events,
            (std::vector<std::string>{"UploadFile:a.dll", "CompressFile:b.dll", "UploadFile:b.dll"}));
  // The earlier record no longer reports to the engine.
  listener_.events.clear();
  first->SetTypeFichier(2);
  first->Upload();
  EXPECT_TRUE(listener_.events.empty());

  // Nor to an engine that is gone.
  {
    testing::RecordingEngineListener gone;
    cls_DownloadManager engine(&gone);
    engine.AddFileToUpload(first);
    engine.ProcessUpload();
  }
  first->SetTypeFichier(3);
  first->Upload();
  EXPECT_EQ(ReadRows().at(0).type, 3);
}

}  // namespace
}  // namespace maj::engine
