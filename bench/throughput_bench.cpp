// Publishing and update run: N files of S MiB of each kind, through the engine and through the raw
// pipelines, the median of the repetitions kept.
#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "bench/bench_context.h"
#include "bench/data_files.h"
#include "bench/raw_pipelines.h"
#include "platform/paths.h"

namespace maj::bench {
namespace {

constexpr const char* kVersion = "001.000.000";

struct KindFiles {
  DataKind kind;
  std::vector<std::string> paths;
  std::vector<std::string> names;
  std::uint64_t bytes = 0;
};

KindFiles MakeFiles(const BenchContext& context, DataKind kind) {
  KindFiles files{kind, {}, {}, 0};
  const std::string folder = context.Folder(std::string("sources-") + DataKindName(kind));
  const std::uint64_t size = static_cast<std::uint64_t>(context.options().sizeMiB) << 20;
  for (int i = 1; i <= context.options().files; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%02d.dat", DataKindName(kind), i);
    const std::string path = platform::JoinPath(folder, name);
    WriteDataFile(path, size, kind, static_cast<std::uint64_t>(i) * 7919 + static_cast<int>(kind));
    files.paths.push_back(path);
    files.names.push_back(name);
    files.bytes += size;
  }
  return files;
}

// Rows and names in Fichier64; throws unless every file is stored.
long CheckPublished(const BenchContext& context, const KindFiles& files, const std::string& by) {
  std::istringstream counts(context.Sql("SELECT COUNT(DISTINCT nom), COUNT(*) FROM Fichier64;"));
  long names = 0, rows = 0;
  counts >> names >> rows;
  if (names != static_cast<long>(files.names.size())) {
    throw std::runtime_error(by + " stored " + std::to_string(names) + " names instead of " +
                             std::to_string(files.names.size()));
  }
  return rows;
}

void CheckInstalled(const KindFiles& files, const std::string& binFolder, const std::string& by) {
  for (std::size_t i = 0; i < files.paths.size(); ++i) {
    if (!SameContent(files.paths[i], platform::JoinPath(binFolder, files.names[i]))) {
      throw std::runtime_error(by + " did not install " + files.names[i] + " intact");
    }
  }
}

// The compression step alone, measured once: the engine's zip component against zip at its default level.
std::vector<std::pair<std::string, double>> CompressionAlone(const BenchContext& context, const KindFiles& files) {
  std::string script = "set -euo pipefail\n";
  for (const std::string& path : files.paths) {
    script += "rm -f " + ShellWord(path + ".zip") + "\nzip -q -j -6 " + ShellWord(path + ".zip") + " " +
              ShellWord(path) + "\n";
  }
  for (const std::string& path : files.paths) script += "rm -f " + ShellWord(path + ".zip") + "\n";
  const EngineRun engine = context.engine().Compress(context.Folder("application-publish"), files.paths);
  return {{"compression alone, engine (zip component)", engine.EngineSeconds()},
          {"compression alone, raw (zip -6)", context.RunScript("raw-compress", script)}};
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", seconds);
  return text;
}

}  // namespace

void RunPublishAndUpdate(BenchContext& context) {
  const BenchOptions& options = context.options();
  const bool publish = std::find(options.parts.begin(), options.parts.end(), "publish") != options.parts.end();
  const bool update = std::find(options.parts.begin(), options.parts.end(), "update") != options.parts.end();
  if (!publish && !update) return;

  for (DataKind kind : {DataKind::kIncompressible, DataKind::kCompressible}) {
    const KindFiles files = MakeFiles(context, kind);
    const std::string label = std::to_string(options.files) + " x " + std::to_string(options.sizeMiB) + " MiB " +
                              DataKindName(kind);
    std::vector<RawSource> sources;
    for (std::size_t i = 0; i < files.paths.size(); ++i) sources.push_back({files.paths[i], files.names[i], kVersion});
    const std::string publishScript = RawPublishScript(context.admin(), sources, false);

    // Publishing, each measurement on an empty table; the engine's rows stay for the update run.
    std::vector<double> rawTimes, engineTimes;
    long rawRows = 0, engineRows = 0;
    const int publishRounds = publish ? options.repeat : 1;
    for (int round = 0; round < publishRounds; ++round) {
      if (publish) {
        context.ResetUpdateTable();
        rawTimes.push_back(context.RunScript("raw-publish", publishScript));
        rawRows = CheckPublished(context, files, "raw publishing");
      }
      context.ResetUpdateTable();
      const EngineRun run = context.engine().Publish(context.Folder("application-publish"), kVersion, files.paths);
      engineTimes.push_back(run.process.seconds);
      engineRows = CheckPublished(context, files, "the publishing queue");
    }
    if (publish) {
      Progress("publishing " + label + ": engine " + Seconds(Median(engineTimes)) + " (" +
               std::to_string(engineRows) + " rows), raw " + Seconds(Median(rawTimes)) + " (" +
               std::to_string(rawRows) + " rows)");
      Comparison figure{label, Median(engineTimes), Median(rawTimes), -1, files.bytes, {}};
      figure.breakdown = CompressionAlone(context, files);
      context.summary().publish.push_back(figure);
    }
    if (!update) continue;

    // Update run from the rows that the engine published: every name missing, so every file is fetched.
    const std::string application = context.Folder(std::string("application-") + DataKindName(kind));
    WriteXPRegistry(application);
    const std::string bin = platform::JoinPath(application, "bin");
    const std::string updateScript =
        RawUpdateScript(context.client(), platform::JoinPath(application, "MAJ"), bin);
    rawTimes.clear();
    engineTimes.clear();
    for (int round = 0; round < options.repeat; ++round) {
      context.ClearApplicationFolder(application);
      const EngineRun run = context.engine().Update(application, 1);
      if (run.Count("installed") != static_cast<long>(files.paths.size())) {
        throw std::runtime_error("the engine installed " + std::to_string(run.Count("installed")) + " files");
      }
      CheckInstalled(files, bin, "the engine");
      engineTimes.push_back(run.process.seconds);

      context.ClearApplicationFolder(application);
      rawTimes.push_back(context.RunScript("raw-update", updateScript));
      CheckInstalled(files, bin, "the raw pipeline");
    }
    Progress("update run " + label + ": engine " + Seconds(Median(engineTimes)) + ", raw " +
             Seconds(Median(rawTimes)));
    context.summary().update.push_back(
        {label, Median(engineTimes), Median(rawTimes), -1, files.bytes, {}});
  }
}

}  // namespace maj::bench
