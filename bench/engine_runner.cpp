#include "bench/engine_runner.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/paths.h"

namespace maj::bench {

std::map<std::string, std::string> ReadResult(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("no result in " + path);
  std::map<std::string, std::string> result;
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t equal = line.find('=');
    if (equal != std::string::npos) result[line.substr(0, equal)] = line.substr(equal + 1);
  }
  return result;
}

std::string RegistryPath(const std::string& applicationFolder) {
  return platform::JoinPath(applicationFolder, "registry.reg");
}

double EngineRun::EngineSeconds() const {
  const auto found = result.find("seconds");
  return found == result.end() ? 0 : std::stod(found->second);
}

long EngineRun::Count(const std::string& name) const {
  const auto found = result.find(name);
  return found == result.end() ? -1 : std::stol(found->second);
}

double EngineRun::Figure(const std::string& name) const {
  const auto found = result.find(name);
  return found == result.end() ? -1 : std::stod(found->second);
}

EngineRunner::EngineRunner(std::string program, std::string dataSource, std::string scratchFolder)
    : program_(std::move(program)), dataSource_(std::move(dataSource)), scratchFolder_(std::move(scratchFolder)) {}

EngineRun EngineRunner::Publish(const std::string& applicationFolder, const std::string& version,
                                const std::vector<std::string>& files) const {
  std::vector<std::string> extra = {version};
  extra.insert(extra.end(), files.begin(), files.end());
  return Run("publish", applicationFolder, extra);
}

EngineRun EngineRunner::Update(const std::string& applicationFolder, int runs) const {
  return Run("update", applicationFolder, {std::to_string(runs)});
}

EngineRun EngineRunner::Connect(const std::string& applicationFolder) const {
  return Run("connect", applicationFolder, {});
}

EngineRun EngineRunner::Compress(const std::string& applicationFolder, const std::vector<std::string>& files) const {
  return Run("compress", applicationFolder, files);
}

EngineRun EngineRunner::CheckParts(const std::string& applicationFolder) const {
  return Run("check-parts", applicationFolder, {});
}

EngineRun EngineRunner::Run(const std::string& task, const std::string& applicationFolder,
                            const std::vector<std::string>& extra) const {
  const EngineRun run = Finish(Start(task, applicationFolder, extra, "engine"));
  if (run.process.exitCode != 0) {
    throw std::runtime_error("engine task " + task + " failed (exit code " + std::to_string(run.process.exitCode) +
                             ")");
  }
  return run;
}

StartedEngine EngineRunner::Start(const std::string& task, const std::string& applicationFolder,
                                  const std::vector<std::string>& extra, const std::string& tag) const {
  const std::string resultFile = platform::JoinPath(scratchFolder_, tag + "-result.txt");
  std::filesystem::remove(resultFile);
  ChildSpec spec;
  spec.arguments = {program_, "--engine", task, resultFile, dataSource_, applicationFolder};
  spec.arguments.insert(spec.arguments.end(), extra.begin(), extra.end());
  spec.environment = {"MAJ_REGISTRY=" + RegistryPath(applicationFolder)};
  return {StartChild(spec), resultFile};
}

EngineRun EngineRunner::Finish(const StartedEngine& started) const {
  EngineRun run;
  run.process = WaitChild(started.child);
  if (run.process.exitCode == 0) run.result = ReadResult(started.resultFile);
  return run;
}

void WriteXPRegistry(const std::string& applicationFolder) {
  std::filesystem::create_directories(applicationFolder);
  std::ofstream out(RegistryPath(applicationFolder), std::ios::trunc);
  out << "REGEDIT4\n\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n"
         "\"CurrentVersion\"=\"5.1\"\n\n"
         "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]\n"
         "\"PROCESSOR_ARCHITECTURE\"=\"x86\"\n";
  out.close();
  if (!out) throw std::runtime_error("cannot write the registry file in " + applicationFolder);
}

}  // namespace maj::bench
