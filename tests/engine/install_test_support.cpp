#include "tests/engine/install_test_support.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "engine/working_folder.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "sysinfo/os_identification.h"

namespace maj::engine::testing {

using platform::RegistryRoot;

constexpr const char* kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kSessionManagerKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

InstallMachine::InstallMachine(Windows version) {
  // A blank in the application folder, as under "Program Files".
  app_ = root_.str() + "/Program Files/App";
  working_ = app_ + "/MAJ";
  windows_ = root_.str() + "/WINDOWS";
  registryPath_ = root_.str() + "/registry.reg";
  std::filesystem::create_directories(working_);
  std::filesystem::create_directories(app_ + "/bin");
  std::filesystem::create_directories(windows_ + "/SYSTEM32");
  environment_.Set("MAJ_REGISTRY", registryPath_).Set("WINDIR", windows_);
  platform::SetApplicationFolderForTesting(app_);
  SetWorkingFolder(working_);
  Registry().WriteString(RegistryRoot::LocalMachine,
                         "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
                         "PROCESSOR_ARCHITECTURE", "x86");
  if (version == Windows::Win9x) {
    Registry().WriteString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                           "VersionNumber", "4.10.2222");
  } else {
    Registry().WriteString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                           "CurrentVersion", "5.1");
  }
  sysinfo::ResetOSIdentificationForTesting();
}

InstallMachine::~InstallMachine() {
  platform::SetApplicationFolderForTesting(std::nullopt);
  SetWorkingFolder(std::string());
  sysinfo::ResetOSIdentificationForTesting();
}

std::string InstallMachine::Write(const std::string& path, const std::string& content) const {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  return path;
}

std::shared_ptr<Fichier> InstallMachine::Fetched(const std::string& nom, const std::string& content,
                                                 std::int32_t type) const {
  auto fichier = std::make_shared<Fichier>();
  fichier->Nom = nom;
  fichier->Type = type;
  fichier->Path = Write(working_ + "/" + nom, content);
  return fichier;
}

std::string InstallMachine::WriteRecorder(const std::string& path, const std::string& extra) const {
  Write(path,
        "#!/bin/sh\n"
        "echo \"$(basename \"$0\") $* | $(pwd)\" >> '" +
            app_ + "/calls.txt'\n" + extra + "\n");
  chmod(path.c_str(), 0755);
  return path;
}

std::vector<std::string> InstallMachine::Calls() const {
  std::ifstream in(app_ + "/calls.txt");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void InstallMachine::InstallRegsvr32() const { WriteRecorder(systemFolder() + "/regsvr32.exe"); }

void InstallMachine::InstallFramework(const std::vector<std::string>& versions, const std::string& highest,
                                      bool withRegasm) {
  platform::RegistryFile registry = Registry();
  registry.WriteString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\.NETFramework", "InstallRoot",
                       frameworkRoot());
  for (const std::string& version : versions) {
    registry.WriteString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\.NETFramework\\policy\\upgrades",
                         version, "50727-50727");
  }
  if (withRegasm) WriteRecorder(frameworkRoot() + "v" + highest + "/regasm.exe");
}

std::string InstallMachine::RunOnce(const std::string& name) const {
  const auto value = Registry().ReadValue(RegistryRoot::LocalMachine, kRunOnceKey, name);
  return value ? value->text : "<absent>";
}

std::vector<std::string> InstallMachine::PendingMoves() const {
  const auto value =
      Registry().ReadValue(RegistryRoot::LocalMachine, kSessionManagerKey, "PendingFileRenameOperations");
  return value ? value->strings : std::vector<std::string>();
}

FileInUse::FileInUse(std::string fileName)
    : fileName_(std::move(fileName)), real_(platform::MakeLinuxFileOperations()) {}

bool FileInUse::IsInUse(const std::string& path) const {
  return platform::EqualsIgnoreCase(platform::FileName(path), fileName_) && real_->FileExists(path);
}

bool FileInUse::FileExists(const std::string& path) const { return real_->FileExists(path); }
bool FileInUse::FolderExists(const std::string& path) const { return real_->FolderExists(path); }

void FileInUse::DeleteFile(const std::string& path) {
  if (IsInUse(path)) throw std::runtime_error("cannot delete " + path + ": in use");
  real_->DeleteFile(path);
}

bool FileInUse::ReplaceFile(const std::string& from, const std::string& to) {
  return !IsInUse(to) && real_->ReplaceFile(from, to);
}

void FileInUse::MoveFileAtNextStart(const std::string& from, const std::string& to) {
  real_->MoveFileAtNextStart(from, to);
}

bool ProcessActionWhileInUse(Fichier& fichier, const std::string& fileName) {
  FileInUse inUse(fileName);
  platform::ScopedFileOperationsOverride override(inUse);
  return fichier.ProcessAction();
}

int RunMajPending(const InstallMachine& machine) {
  const std::string command =
      "MAJ_REGISTRY='" + machine.registryPath() + "' '" MAJ_PENDING_PROGRAM "' 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace maj::engine::testing
