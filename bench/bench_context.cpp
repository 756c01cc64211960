#include "bench/bench_context.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "bench/child_run.h"
#include "bench/raw_pipelines.h"
#include "db/update_table.h"
#include "platform/paths.h"

namespace maj::bench {
namespace fs = std::filesystem;

BenchContext::BenchContext(BenchOptions options, const std::string& program, const std::string& workFolder)
    : options_(std::move(options)),
      program_(program),
      workFolder_(workFolder),
      server_(LoadBenchServer()),
      client_(server_, platform::JoinPath(workFolder, "client.cnf"), "Proscenia", "QUARVEN42"),
      admin_(server_, platform::JoinPath(workFolder, "admin.cnf"), server_.adminUser, ""),
      engine_(program, server_.dataSource, workFolder) {}

std::string BenchContext::Folder(const std::string& name) const {
  const std::string folder = platform::JoinPath(workFolder_, name);
  fs::create_directories(folder);
  return folder;
}

void BenchContext::ResetUpdateTable() const {
  Sql(std::string("DROP TABLE IF EXISTS Fichier64;\n") + db::kCreateUpdateTableStatement + "\n");
}

std::string BenchContext::Sql(const std::string& statements) const { return admin_.Run(statements, workFolder_); }

void BenchContext::ClearApplicationFolder(const std::string& folder) const {
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename() != "registry.reg") fs::remove_all(entry.path());
  }
}

double BenchContext::RunScript(const std::string& name, const std::string& script) const {
  const std::string path = platform::JoinPath(workFolder_, name + ".sh");
  WriteScript(path, script);
  ChildSpec spec;
  spec.arguments = {"bash", path};
  return RunChecked(spec, name).seconds;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void Progress(const std::string& text) { std::cerr << "maj-bench: " << text << std::endl; }

}  // namespace maj::bench
