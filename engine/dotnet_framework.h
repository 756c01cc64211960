#pragma once
// Where the newest installed .NET Framework lives, and the command that registers an assembly with it.
#include <string>
#include <string_view>
#include <vector>

namespace maj::engine {

// The message shown when the framework's registration program cannot be found.
inline constexpr std::string_view kFrameworkMissingMessage = "Le framework .net n'est pas installé !";

// The highest version among `versions` by compareVersionStr (the first one wins ties); empty when there is
// none.
std::string HighestFrameworkVersion(const std::vector<std::string>& versions);

// InstallRoot of SOFTWARE\Microsoft\.NETFramework (empty when absent), then "v", then the highest value
// name of SOFTWARE\Microsoft\.NETFramework\policy\upgrades, both under HKEY_LOCAL_MACHINE. The text is kept
// as the registry gives it (it may be a Windows path).
std::string FrameworkFolder();

// True when the registration program of `frameworkFolder` exists on this machine.
bool RegasmExists(std::string_view frameworkFolder);

// "<frameworkFolder>\regasm.exe" /tlb "<assemblyPath>", followed by " /codebase" when `codeBase` is true;
// each path between double quotes.
std::string AssemblyRegistrationCommand(std::string_view frameworkFolder, std::string_view assemblyPath,
                                        bool codeBase);

}  // namespace maj::engine
