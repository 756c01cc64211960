// Fichier's install: the file put in place, its registration, the replacement deferred to the next start
// when the old copy is in use, and the post-install actions.
#include <sys/stat.h>

#include <fstream>
#include <optional>
#include <stdexcept>

#include "engine/action_command.h"
#include "engine/component_registration.h"
#include "engine/fichier.h"
#include "engine/published_name.h"
#include "engine/run_once.h"
#include "engine/working_folder.h"
#include "platform/file_names.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "platform/processes.h"
#include "platform/text.h"
#include "sysinfo/os_identification.h"

namespace maj::engine {
namespace {

constexpr std::int32_t kExtractRar = 2;
constexpr std::int32_t kStartAndWait = 3;
constexpr std::int32_t kNeedRestart = 5;

// Files fetched from the table carry no execute permission, which Windows does not need: a program that the
// run itself wrote into the working folder is made executable before it is started.
void AllowRunningFetchedProgram(const std::string& program) {
  const std::string local = platform::ResolvePathCase(platform::ToLocalPath(program));
  const std::string folder = WorkingFolder();
  if (folder.empty() || !local.starts_with(folder + "/")) return;
  struct stat info;
  if (lstat(local.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  const mode_t readable = info.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
  chmod(local.c_str(), (info.st_mode & 07777) | (readable >> 2));  // r → x for the same classes
}

}  // namespace

bool Fichier::ProcessAction() {
  if (listener_) listener_->ProcessAction(Nom);
  const std::string key = sysinfo::GetOSKey();
  const std::string systemFolder = sysinfo::OSSystemFolder();
  Nom = platform::ToLowerCase(Nom);
  RequirePlainFileName(Nom);
  const std::string installed = InstalledPath(Nom);

  platform::FileOperations& files = platform::CurrentFileOperations();
  // A fetched copy can be gone already: the same row fetched twice (one condition text under two types)
  // shares one file, which the first install moved. The installed file must not be touched for nothing.
  const bool fetchedCopyExists = files.FileExists(Path);
  if (action1 != 0) {
    try {
      if (files.FileExists(installed)) files.DeleteFile(installed);
    } catch (const std::exception&) {
      // An old copy in use stays.
    }
  }

  bool result = false;
  if (action1 == 0 && fetchedCopyExists) {
    // The old copy goes only when the new one is complete in its place: a copy that cannot be written (disk
    // full) ends the run with its cause, and only an old copy that cannot be replaced now waits for the
    // next start.
    bool replaced = false;
    const bool hadInstalledCopy = files.FileExists(installed);
    try {
      replaced = files.ReplaceFile(Path, installed);
    } catch (const std::exception& cause) {
      throw std::runtime_error("Installation de « " + platform::ShownName(Nom) + " » impossible : " + cause.what() +
                               (hadInstalledCopy ? ". La copie installée est conservée." : "."));
    }
    if (replaced) {
      if (Type & kTypeRegisterInPlace) {
        if (listener_) listener_->Register(Nom);
        DLLSelfRegister(installed, systemFolder);
      }
      Path = installed;
      RegisterAssembly();
    } else {
      // The batch file is never left open behind a failure.
      struct BatchFileCloser {
        std::ofstream& file;
        ~BatchFileCloser() {
          if (file.is_open()) file.close();
        }
      } closer{batchFile_};
      const bool win9x = key == "`win9x`";
      if (win9x) {
        const std::string batchPath = Path + ".bat";
        batchFile_.open(batchPath, std::ios::binary | std::ios::trunc);
        if (!batchFile_) throw std::runtime_error("Impossible de créer le fichier de commandes " + batchPath);
        batchFile_ << "copy /y \"" << Path << "\" \"" << installed << "\"\r\n";
        WriteRunOnceCommand("run batch " + Nom, "\"" + batchPath + "\"");
      } else {
        files.MoveFileAtNextStart(Path, installed);
      }
      if (Type & kTypeRegisterInPlace) {
        WriteRunOnceCommand("register " + Nom, RegisterAtNextStartCommand(systemFolder, installed));
      }
      Path = installed;
      if (Type & kTypeDotNetAssembly) ScheduleAssemblyRegistration();
      if (win9x) {
        batchFile_ << "exit\r\n";
        batchFile_.close();
        if (batchFile_.fail()) throw std::runtime_error("Impossible d'écrire le fichier de commandes de " + Nom);
      }
      waitsForNextStart_ = true;
      result = true;
    }
  }

  const std::pair<std::int32_t, const std::string*> actions[] = {
      {action1, &actionData1}, {action2, &actionData2}, {action3, &actionData3}};
  for (const auto& [code, data] : actions) {
    if (code != 0) result = RunAction(Path, code, *data) || result;
  }
  return result;
}

bool Fichier::RunAction(const std::string& path, std::int32_t code, const std::string& data) {
  const ActionCommand command = SplitActionCommand(path, data, WorkingFolder());
  switch (code) {
    case kStartAndWait: {
      AllowRunningFetchedProgram(command.program);
      std::optional<platform::ChildProcess> child =
          platform::ChildProcess::Start(command.program, command.parameters, WorkingFolder());
      if (child) {
        // The program finishes even when a stop was asked for: its install must not be left half-done.
        child->WaitForExit({});
      }
      return false;
    }
    case kExtractRar:
      objRxUnrar = std::make_unique<archive::CRxUnrar>(static_cast<archive::CRxUnrarListener*>(this));
      objRxUnrar->ExtractRarFiles(platform::ToLocalPath(command.program), WorkingFolder(), std::string());
      return false;
    case kNeedRestart:
      return true;
    default:
      return false;
  }
}

void Fichier::objRxUnrar_NextVolumne([[maybe_unused]] std::string& strFilename, bool& blnContinue) {
  blnContinue = true;
}

void Fichier::ShowMessage(const std::string& message) const {
  if (host_ && host_->ShowMessage) host_->ShowMessage(message);
}

}  // namespace maj::engine
