// Update check over many up-to-date names: the engine's check against the same queries sent by the mariadb
// client in one connection, and one batched query as the floor.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "bench/bench_context.h"
#include "bench/bench_server.h"
#include "bench/check_names.h"
#include "bench/child_run.h"
#include "platform/paths.h"

namespace maj::bench {

std::string CheckPeFile() {
  const std::string peFile = platform::JoinPath(MAJ_PE_FIXTURE_DIR, "full.dll");
  if (!std::filesystem::exists(peFile)) throw std::runtime_error(peFile + " is missing: build the PE fixtures");
  return peFile;
}

std::string CheckName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "composant%05d.dll", index);
  return name;
}

void PublishCheckNames(const BenchContext& context, int first, int last) {
  std::string sql;
  for (int index = first; index <= last; ++index) {
    if ((index - first) % 1000 == 0) {
      if (!sql.empty()) sql += ";\n";
      sql += "INSERT INTO Fichier64 (VERSION, DATA, NOM, Archive) VALUES ";
    } else {
      sql += ", ";
    }
    sql += "('" + std::string(kCheckVersion) + "', 'PK', '" + CheckName(index) + "', '" + CheckName(index) + ".zip')";
  }
  if (!sql.empty()) context.Sql(sql + ";\n");
}

void InstallCheckCopies(const std::string& peFile, const std::string& bin, int first, int last, bool link) {
  std::filesystem::create_directories(bin);
  for (int index = first; index <= last; ++index) {
    const std::string target = platform::JoinPath(bin, CheckName(index));
    if (link) {
      std::filesystem::create_hard_link(peFile, target);
    } else {
      std::filesystem::copy_file(peFile, target, std::filesystem::copy_options::overwrite_existing);
    }
  }
}

namespace {

constexpr int kLargestPerNameRun = 10000;

// Wall time of the mariadb client running `sql` in one connection, its output written to a file.
double TimeClient(const BenchContext& context, const std::string& name, const std::string& sql) {
  const std::string input = platform::JoinPath(context.workFolder(), name + ".sql");
  {
    std::ofstream out(input, std::ios::trunc);
    out << sql;
    if (!out) throw std::runtime_error("cannot write " + input);
  }
  ChildSpec spec;
  spec.arguments = context.client().Command();
  spec.arguments.insert(spec.arguments.end(), {"--batch", "--skip-column-names"});
  spec.standardInput = input;
  spec.standardOutput = platform::JoinPath(context.workFolder(), name + ".out");
  return RunChecked(spec, "mariadb client (" + name + ")").seconds;
}

// The statements of the engine's check for Windows XP, as it sends them, in order.
std::string PerNameQueries(int names) {
  std::string sql =
      " select distinct `condition`, typeCondition from Fichier64 where typeCondition <> 0 and `winXP` <> 0;\n"
      "select distinct nom from Fichier64 where typeCondition = 0 and `winXP` <> 0 order by cle_fichier;\n";
  for (int index = 1; index <= names; ++index) {
    sql += "select version, nom, type from Fichier64 where typecondition = 0 and nom = " + SqlText(CheckName(index)) +
           " order by version desc limit 1;\n";
  }
  return sql;
}

}  // namespace

void RunCheck(BenchContext& context) {
  const BenchOptions& options = context.options();
  if (std::find(options.parts.begin(), options.parts.end(), "check") == options.parts.end()) return;

  const std::string peFile = CheckPeFile();
  const std::string application = context.Folder("application-check");
  context.ClearApplicationFolder(application);
  WriteXPRegistry(application);
  const std::string bin = platform::JoinPath(application, "bin");

  context.ResetUpdateTable();
  int published = 0;
  for (int names : options.checkNames) {
    if (names <= published) continue;
    PublishCheckNames(context, published + 1, names);
    InstallCheckCopies(peFile, bin, published + 1, names, false);
    published = names;
    const std::string queries = names <= kLargestPerNameRun ? PerNameQueries(names) : std::string();
    const std::string batched =
        "SELECT nom, MAX(version) FROM Fichier64 WHERE typeCondition = 0 AND `winXP` <> 0 GROUP BY nom;\n";

    std::vector<double> engineTimes, rawTimes, floorTimes, startTimes;
    for (int round = 0; round < options.repeat; ++round) {
      const EngineRun run = context.engine().Update(application, 1);
      if (run.Count("updates") != 0 || run.Count("installed") != 0) {
        throw std::runtime_error("the check found " + std::to_string(run.Count("updates")) +
                                 " names to update among up-to-date ones");
      }
      engineTimes.push_back(run.EngineSeconds());
      // Beyond 10,000 names the client's statements take minutes: the engine is compared with the floor only.
      if (names <= kLargestPerNameRun) rawTimes.push_back(TimeClient(context, "check-per-name", queries));
      floorTimes.push_back(TimeClient(context, "check-batched", batched));
      startTimes.push_back(TimeClient(context, "check-start", "SELECT 1;\n"));
    }
    char client[32] = "-";
    if (!rawTimes.empty()) std::snprintf(client, sizeof client, "%.3f s", Median(rawTimes));
    char line[200];
    std::snprintf(line, sizeof line,
                  "check of %d names: engine %.3f s, client %s, batched query %.3f s (client start and "
                  "connection alone %.3f s)",
                  names, Median(engineTimes), client, Median(floorTimes), Median(startTimes));
    Progress(line);
    Comparison figure{std::to_string(names) + " names", Median(engineTimes),
                      rawTimes.empty() ? -1 : Median(rawTimes), Median(floorTimes), 0, {}};
    // Where the engine's time goes, measured once.
    const EngineRun parts = context.engine().CheckParts(application);
    if (parts.Count("updates") != 0) throw std::runtime_error("the version tests found names to update");
    figure.breakdown = {{"engine's version query alone (one statement, ODBC)", parts.Figure("querySeconds")},
                        {"engine's version tests of the installed files alone", parts.Figure("versionSeconds")}};
    context.summary().check.push_back(figure);
    context.summary().clientStartSeconds = Median(startTimes);
  }
}

}  // namespace maj::bench
