#pragma once
// A machine for install tests: a temporary application folder with its bin and working folders, a registry
// file naming the Windows version, a Windows folder with a system folder, and helper programs (shell
// scripts) that record how they were started.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/cls_download_manager.h"
#include "platform/file_operations.h"
#include "platform/registry_file.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::engine::testing {

// The Windows versions the tests run as.
enum class Windows { XP, Win9x };

class InstallMachine {
 public:
  explicit InstallMachine(Windows version = Windows::XP);
  ~InstallMachine();

  const std::string& app() const { return app_; }
  std::string bin() const { return app_ + "/bin"; }
  const std::string& working() const { return working_; }
  std::string systemFolder() const { return windows_ + "/SYSTEM32"; }
  platform::RegistryFile Registry() const { return platform::RegistryFile(registryPath_); }
  const std::string& registryPath() const { return registryPath_; }

  // Writes a file (folders created) and returns its path.
  std::string Write(const std::string& path, const std::string& content) const;
  // A file fetched into the working folder, ready to install.
  std::shared_ptr<Fichier> Fetched(const std::string& nom, const std::string& content, std::int32_t type = 0) const;
  // Writes an executable shell script that appends "<its name> <arguments> | <current folder>" to
  // <app>/calls.txt, then runs `extra` (shell text).
  std::string WriteRecorder(const std::string& path, const std::string& extra = "") const;
  // The lines of <app>/calls.txt.
  std::vector<std::string> Calls() const;
  // Puts regsvr32.exe (a recorder) in the system folder.
  void InstallRegsvr32() const;
  // Registers a .NET framework: InstallRoot = <root>/ and the given upgrade value names; with `withRegasm`
  // a recording regasm.exe in the folder of the highest version `highest`.
  void InstallFramework(const std::vector<std::string>& versions, const std::string& highest, bool withRegasm);
  std::string frameworkRoot() const { return root_.str() + "/Framework/"; }

  // Text of a run-once value, or "<absent>".
  std::string RunOnce(const std::string& name) const;
  // PendingFileRenameOperations.
  std::vector<std::string> PendingMoves() const;

 private:
  maj::testing::TempFolder root_;
  maj::testing::ScopedEnvironment environment_;
  std::string app_;
  std::string working_;
  std::string windows_;
  std::string registryPath_;
};

// Refuses to delete and to replace one installed file, as Windows does while that file is in use;
// everything else goes to the real operations.
class FileInUse : public platform::FileOperations {
 public:
  explicit FileInUse(std::string fileName);
  bool FileExists(const std::string& path) const override;
  bool FolderExists(const std::string& path) const override;
  void DeleteFile(const std::string& path) override;
  bool ReplaceFile(const std::string& from, const std::string& to) override;
  void MoveFileAtNextStart(const std::string& from, const std::string& to) override;

 private:
  bool IsInUse(const std::string& path) const;
  std::string fileName_;
  std::unique_ptr<platform::FileOperations> real_;
};

// Installs `fichier` while the installed file named `fileName` is in use; returns ProcessAction's result.
bool ProcessActionWhileInUse(Fichier& fichier, const std::string& fileName);

// A host whose messages are recorded.
struct RecordingHost {
  RecordingHost() = default;
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;
  std::vector<std::string> messages;
  EngineHost host{[this](const std::string& message) { messages.push_back(message); }, {}};
};

// Runs the built maj-pending with the machine's registry; returns its exit code.
int RunMajPending(const InstallMachine& machine);

}  // namespace maj::engine::testing
