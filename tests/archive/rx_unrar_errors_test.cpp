// Failures with CRxUnrar: open errors, CRC errors with and without a password, encrypted archives,
// broken and hostile archives, and a reader process that hangs or dies.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "archive/rx_unrar.h"
#include "tests/archive/rar_test_support.h"
#include "tests/support/scoped_environment.h"

namespace maj::archive {
namespace {

namespace fs = std::filesystem;
using testing::RarFixture;
using testing::RecordingListener;
using testing::TempFolder;

TEST(RxUnrarErrors, MissingAndNonRarFilesGiveOpenErrors) {
  TempFolder folder;
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  const std::string missing = folder.str() + "/nothing.rar";
  EXPECT_FALSE(unrar.TestRarFiles(missing));
  EXPECT_EQ(listener.events, (std::vector<std::string>{"OpenError 15 Cannot open file | " + missing}));
  const std::string text = folder.WriteFile("notes.rar", "just some text, no archive");
  EXPECT_FALSE(unrar.ExtractRarFiles(text, folder.str()));
  EXPECT_EQ(listener.events.back(), "OpenError 13 File is not RAR archive | " + text);
  EXPECT_EQ(unrar.strLastErrorMsg(), "File is not RAR archive");
}

// With a password given, the same error asks whether it is the wrong one (the encrypted entries below).
TEST(RxUnrarErrors, BrokenDataIsACrcErrorAndIsNeverWritten) {
  TempFolder dest;
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  EXPECT_FALSE(unrar.ExtractRarFiles(RarFixture("test_read_format_rar_invalid1.rar"), dest.str()));
  EXPECT_EQ(listener.events.back(), "ProcessError 12 CRC error | test");
  EXPECT_FALSE(fs::exists(dest.path() / "test"));
}

TEST(RxUnrarErrors, EncryptedEntryAsksForThePasswordThenFails) {
  TempFolder dest;
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  EXPECT_FALSE(unrar.ExtractRarFiles(RarFixture("test_read_format_rar_encryption_data.rar"), dest.str()));
  EXPECT_EQ(listener.passwordRequests, 1);
  EXPECT_EQ(listener.events.back(), "ProcessError 12 CRC error - Wrong password? | foo.txt");
  EXPECT_FALSE(fs::exists(dest.path() / "foo.txt"));

  // RAR 5: the encrypted entry is detected after the plain ones.
  RecordingListener rar5;
  rar5.passwordAnswer = "password";
  CRxUnrar unrar5(&rar5);
  EXPECT_FALSE(unrar5.ExtractRarFiles(RarFixture("test_read_format_rar5_encrypted.rar"), dest.str()));
  EXPECT_EQ(testing::ReadFileText(dest.path() / "a.txt"), "This is from a.txt");
  EXPECT_EQ(rar5.passwordRequests, 1);
  EXPECT_EQ(rar5.events.back(), "ProcessError 12 CRC error - Wrong password? | b.txt");
  EXPECT_FALSE(fs::exists(dest.path() / "b.txt"));
}

TEST(RxUnrarErrors, EncryptedHeadersAskForThePasswordAndEndWithoutEntries) {
  for (const char* name :
       {"test_read_format_rar_encryption_header.rar", "test_read_format_rar5_encrypted_filenames.rar"}) {
    RecordingListener listener;
    CRxUnrar unrar(&listener);
    std::vector<std::string> names(5);
    EXPECT_FALSE(unrar.ListRarFiles(RarFixture(name), names)) << name;
    EXPECT_EQ(listener.events, (std::vector<std::string>{"MissingPassword", "NextVolumne "})) << name;
  }
}

TEST(RxUnrarErrors, BrokenAndHostileArchivesEndWithTheirResult) {
  TempFolder dest;
  {
    RecordingListener listener;
    CRxUnrar unrar(&listener);
    EXPECT_FALSE(unrar.ExtractRarFiles(RarFixture("test_read_format_rar5_truncated_huff.rar"), dest.str()));
    EXPECT_EQ(listener.events, (std::vector<std::string>{"NextVolumne "}));
  }
  {
    // A folder entry that carries data: the data is never read, the next header fails, the run ends.
    RecordingListener listener;
    CRxUnrar unrar(&listener);
    EXPECT_TRUE(unrar.ExtractRarFiles(RarFixture("hostile/test_read_format_rar5_dirdata.rar"), dest.str()));
    EXPECT_EQ(listener.processedFiles.size(), 1u);
  }
  {
    RecordingListener listener;
    CRxUnrar unrar(&listener);
    const std::string hostile = RarFixture("hostile/test_read_format_rar5_bad_window_sz_in_mltarc_file.rar");
    EXPECT_FALSE(unrar.ExtractRarFiles(hostile, dest.str()));
    EXPECT_EQ(listener.events.back().rfind("ProcessError 12 CRC error | ", 0), 0u) << listener.events.back();
  }
  // Whatever the hostile names were, nothing landed outside the destination.
  for (const auto& item : fs::recursive_directory_iterator(dest.path())) {
    EXPECT_EQ(fs::relative(item.path(), dest.path()).string().rfind("..", 0), std::string::npos);
  }
}

TEST(RxUnrarErrors, AnArchiveReadWholeByUnarKeepsTheDestinationAndTheTimeLimit) {
  // Main header and end of an archive whose headers libarchive cannot parse, around two entries.
  const std::string model = testing::ReadFileText(RarFixture("test_read_format_rar5_main_block_extra_bytes.rar"));
  const std::string archive = model.substr(0, 31) + testing::Rar5StoredEntry("ok.txt", "fine\n", "fine\n") +
                              testing::Rar5StoredEntry("../escape.txt", "out\n", "out\n") + model.substr(model.size() - 8);
  TempFolder root;
  const std::string path = root.WriteFile("hostile.rar", archive);
  const fs::path dest = root.path() / "dest";
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  EXPECT_FALSE(unrar.ExtractRarFiles(path, dest.string()));
  EXPECT_EQ(listener.processedFiles, (std::vector<std::string>{"ok.txt", "../escape.txt"}));
  EXPECT_EQ(listener.events.back(), "ProcessError 16 File create error | ../escape.txt");
  EXPECT_EQ(testing::ReadFileText(dest / "ok.txt"), "fine\n");
  // Nothing beside the archive and the destination, nothing left of the tools' work in it.
  for (const auto& item : fs::recursive_directory_iterator(root.path())) {
    EXPECT_TRUE(item.path() == dest || item.path() == path || item.path() == dest / "ok.txt") << item.path();
  }

  // A tool that outlives its time is stopped: here the listing, so no entry is known.
  maj::testing::ScopedEnvironment environment;
  environment.Set("MAJ_UNAR_TIMEOUT_MS", "1");
  RecordingListener stopped;
  CRxUnrar limited(&stopped);
  EXPECT_FALSE(limited.ExtractRarFiles(path, (root.path() / "other").string()));
  EXPECT_EQ(stopped.events, (std::vector<std::string>{"NextVolumne "}));
  EXPECT_FALSE(fs::exists(root.path() / "other"));
}

// Runs the operations with a stand-in reader program, then restores the real one.
class ReaderProgramOverride {
 public:
  ReaderProgramOverride(const TempFolder& folder, const std::string& script) {
    const std::string path = folder.WriteFile("reader.sh", "#!/bin/sh\n" + script + "\n");
    chmod(path.c_str(), 0755);
    environment_.Set("MAJ_RAR_WORKER", path).Set("MAJ_RAR_WORKER_TIMEOUT_MS", "300");
  }

 private:
  maj::testing::ScopedEnvironment environment_;
};

TEST(RxUnrarErrors, AReaderThatHangsOrDiesCostsAnOpenErrorAndAMissingOneThrows) {
  TempFolder folder;
  for (const char* script : {"exec sleep 30", "exit 3", "kill -SEGV $$"}) {
    ReaderProgramOverride reader(folder, script);
    RecordingListener listener;
    CRxUnrar unrar(&listener);
    EXPECT_FALSE(unrar.ExtractRarFiles(RarFixture("test_read_format_rar.rar"), folder.str() + "/out")) << script;
    EXPECT_EQ(listener.events, (std::vector<std::string>{"OpenError 12 Archive header broken | " +
                                                         RarFixture("test_read_format_rar.rar")}))
        << script;
  }
  // A reader program that cannot be started at all reaches the caller.
  maj::testing::ScopedEnvironment environment;
  environment.Set("MAJ_RAR_WORKER", "/nonexistent/maj-rar-worker");
  EXPECT_THROW(CRxUnrar().TestRarFiles(RarFixture("test_read_format_rar.rar")), std::runtime_error);
}

// Stops at the first change of volume long enough for the reader to be gone when it answers.
// The /proc entries of the readers this process started.
std::vector<fs::path> ReaderProcesses() {
  std::vector<fs::path> readers;
  for (const auto& process : fs::directory_iterator("/proc")) {
    // "pid (name) state ppid ..."
    const std::string stat = testing::ReadFileText(process.path() / "stat");
    const std::size_t name = stat.find("(maj-rar-worker) ");
    if (name != std::string::npos && std::stoi(stat.substr(name + 19)) == getpid()) readers.push_back(process.path());
  }
  return readers;
}

// Kills the reader while it waits for the answer to the second volume question, in the middle of an entry.
class ReaderKillingListener : public RecordingListener {
 public:
  void NextVolumne(std::string& strFilename, bool& blnContinue) override {
    RecordingListener::NextVolumne(strFilename, blnContinue);
    if (volumes.size() != 2) return;
    for (const fs::path& reader : ReaderProcesses()) kill(std::stoi(reader.filename().string()), SIGKILL);
  }
};

TEST(RxUnrarErrors, AReaderThatDiesDuringAnEntryCostsAProcessError) {
  TempFolder folder;
  ReaderKillingListener listener;
  listener.continueVolumes = true;
  CRxUnrar unrar(&listener);
  EXPECT_FALSE(unrar.ExtractRarFiles(RarFixture("test_rar_multivolume_single_file.part1.rar"), folder.str() + "/out"));
  EXPECT_EQ(listener.events.back(), "ProcessError 12 CRC error | LibarchiveAddingTest.html");
  EXPECT_FALSE(fs::exists(folder.path() / "out/LibarchiveAddingTest.html"));
}

// Notes, when the second volume is announced, what the running reader has open.
class DescriptorListener : public RecordingListener {
 public:
  std::vector<std::string> readerFiles;  // targets of the reader's descriptors

  void NextVolumne(std::string& strFilename, bool& blnContinue) override {
    RecordingListener::NextVolumne(strFilename, blnContinue);
    if (volumes.size() != 2) return;
    for (const fs::path& process : ReaderProcesses()) {
      for (const auto& fd : fs::directory_iterator(process / "fd")) {
        std::error_code ec;
        readerFiles.push_back(fs::read_symlink(fd.path(), ec).string());
      }
    }
  }
};

TEST(RxUnrarErrors, TheReaderHoldsNoDescriptorOfTheUpdater) {
  TempFolder folder;
  const std::string marker = folder.WriteFile("open-in-updater", "");
  // Not close-on-exec, like a library's socket, and clear of the descriptors the reader sets up.
  const int opened = open(marker.c_str(), O_RDONLY);
  const int inherited = fcntl(opened, F_DUPFD, 100);
  close(opened);
  ASSERT_GE(inherited, 100);
  DescriptorListener listener;
  listener.continueVolumes = true;
  CRxUnrar unrar(&listener);
  EXPECT_TRUE(unrar.TestRarFiles(RarFixture("test_rar_multivolume_single_file.part1.rar")));
  close(inherited);
  ASSERT_FALSE(listener.readerFiles.empty());
  EXPECT_EQ(std::count(listener.readerFiles.begin(), listener.readerFiles.end(), marker), 0);
}

}  // namespace
}  // namespace maj::archive
