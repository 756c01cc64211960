// Peak memory of a run that fetches one large conditional file and one large plain file.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "bench/bench_context.h"
#include "bench/data_files.h"
#include "bench/raw_pipelines.h"
#include "platform/paths.h"

namespace maj::bench {

void RunMemory(BenchContext& context) {
  const BenchOptions& options = context.options();
  if (std::find(options.parts.begin(), options.parts.end(), "memory") == options.parts.end()) return;

  const std::uint64_t size = static_cast<std::uint64_t>(options.memorySizeMiB) << 20;
  const std::string folder = context.Folder("sources-memory");
  const std::string conditional = platform::JoinPath(folder, "conditionnel.bin");
  const std::string plain = platform::JoinPath(folder, "volumineux.dat");
  Progress("memory: writing two files of " + std::to_string(options.memorySizeMiB) + " MiB");
  WriteDataFile(conditional, size, DataKind::kIncompressible, 11);
  WriteDataFile(plain, size, DataKind::kIncompressible, 13);

  const std::string application = context.Folder("application-memory");
  context.ClearApplicationFolder(application);
  WriteXPRegistry(application);
  const std::string bin = platform::JoinPath(application, "bin");

  // The conditional row holds the file itself and is wanted while the file is not installed; once the first
  // run has installed it, the second run checks the plain names and fetches the plain file.
  Progress("memory: storing them");
  context.ResetUpdateTable();
  context.Sql("INSERT INTO Fichier64 (VERSION, DATA, NOM, `condition`, typeCondition) VALUES ('001.000', LOAD_FILE(" +
              SqlText(conditional) + "), 'conditionnel.bin', " +
              SqlText(platform::JoinPath(bin, "conditionnel.bin")) + ", 1);\n");
  context.RunScript("memory-publish",
                    RawPublishScript(context.admin(), {{plain, "volumineux.dat", "001.000.000"}}, true));

  MemoryFigure figure;
  figure.fileBytes = size;
  figure.idleKiB = context.engine().Connect(application).process.peakResidentKiB;
  Progress("memory: fetching them, one run each, then both in one process");
  figure.conditionalKiB = context.engine().Update(application, 1).process.peakResidentKiB;
  figure.plainKiB = context.engine().Update(application, 1).process.peakResidentKiB;
  context.ClearApplicationFolder(application);
  const EngineRun run = context.engine().Update(application, 2);
  if (!SameContent(conditional, platform::JoinPath(bin, "conditionnel.bin")) ||
      !SameContent(plain, platform::JoinPath(bin, "volumineux.dat"))) {
    throw std::runtime_error("the engine did not install both large files intact");
  }
  figure.peakKiB = run.process.peakResidentKiB;
  figure.seconds = run.process.seconds;
  char line[160];
  std::snprintf(line, sizeof line, "memory: peak %.1f MiB for two files of %d MiB (idle process %.1f MiB), %.1f s",
                figure.peakKiB / 1024.0, options.memorySizeMiB, figure.idleKiB / 1024.0, figure.seconds);
  Progress(line);
  context.summary().memory.push_back(figure);

  // The large files are not needed any more.
  std::filesystem::remove_all(folder);
  context.ClearApplicationFolder(application);
  context.ResetUpdateTable();
}

}  // namespace maj::bench
