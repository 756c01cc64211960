#include "engine/dotnet_framework.h"

#include "config/registry_access.h"
#include "engine/version_compare.h"
#include "platform/file_operations.h"
#include "platform/paths.h"

namespace maj::engine {
namespace {

// The registration program of a framework folder.
std::string RegasmPath(std::string_view frameworkFolder) { return std::string(frameworkFolder) + "\\regasm.exe"; }

}  // namespace

std::string HighestFrameworkVersion(const std::vector<std::string>& versions) {
  if (versions.empty()) return std::string();
  std::string best = versions.front();
  for (std::size_t i = 1; i < versions.size(); ++i) {
    if (compareVersionStr(best, versions[i]) == -1) best = versions[i];
  }
  return best;
}

std::string FrameworkFolder() {
  using config::RegistryRoot;
  const std::string installRoot =
      config::ReadRegistryText(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\.NETFramework", "InstallRoot")
          .value_or(std::string());
  const std::vector<std::string> versions = config::ListRegistryValueNames(
      RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\.NETFramework\\policy\\upgrades");
  return installRoot + "v" + HighestFrameworkVersion(versions);
}


bool RegasmExists(std::string_view frameworkFolder) {
  return platform::CurrentFileOperations().FileExists(platform::ToLocalPath(RegasmPath(frameworkFolder)));
}

std::string AssemblyRegistrationCommand(std::string_view frameworkFolder, std::string_view assemblyPath,
                                        bool codeBase) {
  std::string command =
      std::string("\"").append(RegasmPath(frameworkFolder)) + "\" /tlb \"" + std::string(assemblyPath) + "\"";
  if (codeBase) command += " /codebase";
  return command;
}

}  // namespace maj::engine
