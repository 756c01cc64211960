// RarCallback, the one callback the RAR library calls: the answers it writes into the library's buffers.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/m_rx_unrar.h"
#include "archive/rar_result_codes.h"
#include "archive/rx_unrar.h"
#include "tests/archive/rar_test_support.h"

namespace maj::archive {
namespace {

using testing::RecordingListener;

std::intptr_t UserData(CRxUnrar& unrar) { return reinterpret_cast<std::intptr_t>(&unrar); }
std::intptr_t Buffer(char* buffer) { return reinterpret_cast<std::intptr_t>(buffer); }

TEST(RarCallback, MissingVolumeWritesTheNewNameOrStops) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  char name[kRarVolumeNameBufferSize] = "set.part2.rar";
  EXPECT_EQ(MRxUnrar::RarCallback(kRarChangeVolume, UserData(unrar), Buffer(name), kRarVolumeAsk), -1);
  EXPECT_EQ(listener.events.back(), "MissingFile set.part2.rar");
  EXPECT_STREQ(name, "set.part2.rar");

  listener.missingFileAnswers = {"other.rar"};
  EXPECT_EQ(MRxUnrar::RarCallback(kRarChangeVolume, UserData(unrar), Buffer(name), kRarVolumeAsk), 1);
  EXPECT_STREQ(name, "other.rar");

  // A name longer than the library's buffer is cut so that its NUL still fits.
  listener.missingFileAnswers = {std::string(5000, 'x')};
  EXPECT_EQ(MRxUnrar::RarCallback(kRarChangeVolume, UserData(unrar), Buffer(name), kRarVolumeAsk), 1);
  EXPECT_EQ(std::strlen(name), kRarVolumeNameBufferSize - 1);
}

TEST(RarCallback, NextVolumeGoesOnOnlyWhenTheListenerSaysSo) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  char name[kRarVolumeNameBufferSize] = "set.part3.rar";
  EXPECT_EQ(MRxUnrar::RarCallback(kRarChangeVolume, UserData(unrar), Buffer(name), kRarVolumeNotify), -1);
  listener.continueVolumes = true;
  EXPECT_EQ(MRxUnrar::RarCallback(kRarChangeVolume, UserData(unrar), Buffer(name), kRarVolumeNotify), 1);
  EXPECT_EQ(listener.volumes, (std::vector<std::string>{"set.part3.rar", "set.part3.rar"}));
  EXPECT_EQ(MRxUnrar::RarCallback(kRarChangeVolume, UserData(unrar), Buffer(name), 7), 0);
  EXPECT_EQ(MRxUnrar::RarCallback(9, UserData(unrar), 0, 0), 0);
  EXPECT_EQ(listener.events.size(), 2u);
}

TEST(RarCallback, PasswordAnswerIsBoundedAndNeverEmpty) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  char password[kRarPasswordBufferSize];
  std::memset(password, '#', sizeof(password));
  listener.passwordAnswer = "pw";
  EXPECT_EQ(MRxUnrar::RarCallback(kRarNeedPassword, UserData(unrar), Buffer(password), sizeof(password)), 0);
  EXPECT_STREQ(password, "pw");

  // Only the first p2 bytes are written: here the password without its NUL.
  std::memset(password, '#', sizeof(password));
  MRxUnrar::RarCallback(kRarNeedPassword, UserData(unrar), Buffer(password), 2);
  EXPECT_EQ(std::string(password, 3), "pw#");

  // An empty answer still gives the library a password, made up at run time.
  listener.passwordAnswer.clear();
  std::memset(password, 0, sizeof(password));
  MRxUnrar::RarCallback(kRarNeedPassword, UserData(unrar), Buffer(password), sizeof(password));
  EXPECT_EQ(std::string(password).rfind("CRxUnrar", 0), 0u);
  EXPECT_GT(std::strlen(password), std::strlen("CRxUnrar"));
  EXPECT_EQ(listener.passwordRequests, 3);
}

TEST(RarCallback, ThreeGibibyteEntryKeepsItsSize) {
  maj::testing::TempFolder folder;
  std::string archive = maj::testing::ReadFileText(testing::RarFixture("test_read_format_rar.rar"));
  testing::SetRar4UnpackedSize(archive, "test.txt", 3221225472u);
  const std::string path = folder.WriteFile("large.rar", archive);
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  std::vector<std::string> names(6);
  unrar.ListRarFiles(path, names);
  ASSERT_FALSE(listener.processedFiles.empty());
  EXPECT_TRUE(listener.Has("ProcessingFile test.txt 3221225472 ")) << listener.events[1];
}

}  // namespace
}  // namespace maj::archive
