#pragma once
// Fichier: one published file that the update may install, with its version test.
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

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
// case), the bin folder (created when missing) for any other. The name is joined as given; opening the
// result matches each component ignoring letter case.
std::string InstalledPath(std::string_view nom);

class Fichier {
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
  // (InstalledPath(Nom), LocalFileVersion) and returns compareVersion(Version, installed version): 1 when
  // the published version is newer or the installed copy is missing or has no readable version, 0 when
  // equal, -1 when older.
  std::int32_t TestVersion();

 private:
  FichierListener* listener_ = nullptr;
  // Open only while a deferred install writes its batch file.
  std::ofstream batchFile_;
};

}  // namespace maj::engine
