// Fichier's registration of .NET assemblies with the newest installed framework.
#include "engine/dotnet_framework.h"
#include "engine/fichier.h"
#include "engine/run_once.h"
#include "platform/processes.h"

namespace maj::engine {

void Fichier::RegisterAssembly() {
  if (!(Type & kTypeDotNetAssembly)) return;
  const std::string folder = FrameworkFolder();
  if (RegasmExists(folder)) {
    // Not waited for: the outcome of the registration is not watched.
    platform::StartDetached(AssemblyRegistrationCommand(folder, Path, (Type & kTypeCodeBase) != 0));
  } else {
    ShowMessage(std::string(kFrameworkMissingMessage));
  }
}

void Fichier::ScheduleAssemblyRegistration() {
  const std::string folder = FrameworkFolder();
  if (!RegasmExists(folder)) ShowMessage(std::string(kFrameworkMissingMessage));
  // The command is kept even without a framework today: one may be installed before the next start.
  const std::string command = AssemblyRegistrationCommand(folder, Path, false);
  if (batchFile_.is_open()) {
    batchFile_ << command << "\r\n";
  } else {
    WriteRunOnceCommand("regasm " + Nom, command);
  }
}

}  // namespace maj::engine
