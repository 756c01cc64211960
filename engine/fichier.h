#pragma once
// Fichier: one published file that the update may install, with its version test.
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "archive/rx_unrar.h"
#include "engine/engine_host.h"

namespace maj::engine {

// Events of Fichier, in declaration order, raised synchronously inside its install operation.
class FichierListener {
 public:
  virtual ~FichierListener() = default;
  // The file `Filename` (its Nom) is about to be installed.
  virtual void ProcessAction(const std::string& Filename) = 0;
  // The installed file `Filename` is about to be registered in place.
  virtual void Register(const std::string& Filename) = 0;
};

// Where a file named `nom` is installed: the application folder for a name ending in ".exe" (ignoring
// case), the bin folder (created when missing, unless `createBinFolder` is false) for any other. The name is
// joined as given; opening the result matches each component ignoring letter case.
std::string InstalledPath(std::string_view nom, bool createBinFolder = true);

// Flags of Fichier::Type (column TYPE).
inline constexpr std::int32_t kTypeCodeBase = 1;         // register the .NET assembly with its code base
inline constexpr std::int32_t kTypeRegisterInPlace = 2;  // register the component in place
inline constexpr std::int32_t kTypeDotNetAssembly = 64;  // a .NET assembly

class Fichier : private archive::CRxUnrarListener {
 public:
  // The fields, as published in a Fichier64 row; readable and writable by the engine.
  std::string Path;          // the fetched copy in the working folder; once installed, the installed path
  std::int32_t action1 = 0;  // post-install action codes (0 = none) and their data
  std::string actionData1;
  std::int32_t action2 = 0;
  std::string actionData2;
  std::int32_t action3 = 0;
  std::string actionData3;
  std::string Nom;           // file name without folder (column NOM)
  std::int32_t Type = 0;     // flags of column TYPE: 1 .NET code base, 2 register in place, 64 .NET assembly
  std::string Version;       // published version (column VERSION)

  // Receives the events; null (the default) sends them nowhere. The listener must outlive this object.
  void SetListener(FichierListener* listener) { listener_ = listener; }

  // Lowers Nom (the field keeps the lowered form), reads the version of the installed copy
  // (InstalledPath(Nom), LocalFileVersion; nothing is created) and returns compareVersion(Version, installed version): 1 when
  // the published version is newer or the installed copy is missing or has no readable version, 0 when
  // equal, -1 when older.
  std::int32_t TestVersion();

  // The screen's callbacks used while installing (events between polls, messages); null: none. Not owned.
  void SetHost(const EngineHost* host) { host_ = host; }

  // Installs the fetched file at Path: with action1 = 0, puts it in the place of the installed copy
  // (InstalledPath of the lowered Nom; FileOperations::ReplaceFile) and registers it (in place with flag 2,
  // raising Register first; as a .NET assembly with flag 64), or, when the old copy cannot be replaced now,
  // schedules the move and the registrations for the next start; with another action1 the installed copy is
  // deleted. Then runs action1..action3. When no fetched copy is left at Path, nothing is moved and the
  // installed copy stays. Raises ProcessAction(Nom) first. Returns true when the machine must restart to
  // complete the install. Throws, naming the file and the cause, when the new copy cannot be written (the
  // installed copy then stays as it was) or a scheduled replacement cannot be recorded.
  bool ProcessAction();

  // True once ProcessAction left the fetched copy in the working folder for a replacement at the next start.
  bool WaitsForNextStart() const { return waitsForNextStart_; }

 private:
  // One post-install action: 2 extracts a RAR archive (all volumes) into the working folder, 3 starts a
  // program in the working folder and waits for it, 5 asks for a restart (the only code returning true).
  bool RunAction(const std::string& path, std::int32_t code, const std::string& data);
  // Follows every volume of the archive being extracted.
  void objRxUnrar_NextVolumne(std::string& strFilename, bool& blnContinue);
  void NextVolumne(std::string& strFilename, bool& blnContinue) override {
    objRxUnrar_NextVolumne(strFilename, blnContinue);
  }
  // Registers an installed .NET assembly (flag 64) with the newest framework, at once.
  void RegisterAssembly();
  // Schedules the registration of an assembly that could not be replaced yet for the next start: a line of
  // the open batch file when there is one, else a run-once value.
  void ScheduleAssemblyRegistration();
  void ShowMessage(const std::string& message) const;

  FichierListener* listener_ = nullptr;
  const EngineHost* host_ = nullptr;
  bool waitsForNextStart_ = false;
  // The RAR extractor of the actions; a fresh one for every extraction.
  std::unique_ptr<archive::CRxUnrar> objRxUnrar =
      std::make_unique<archive::CRxUnrar>(static_cast<archive::CRxUnrarListener*>(this));
  // Open only while a deferred install writes its batch file.
  std::ofstream batchFile_;
};

}  // namespace maj::engine
