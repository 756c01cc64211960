// Responsiveness of the window while a run fetches and installs a large conditional package and plain files:
// the longest gap between two ticks of a 10 ms timer on the window's thread, and the run's wall time beside
// the same run without a window.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_context.h"
#include "bench/child_run.h"
#include "bench/data_files.h"
#include "bench/engine_runner.h"
#include "bench/raw_pipelines.h"
#include "platform/paths.h"

namespace maj::bench {
namespace {

struct WindowMeasure {
  double seconds = 0;
  double longestGapMs = 0;
};

WindowMeasure Probe(BenchContext& context, const std::string& mode, const std::string& application) {
  context.ClearApplicationFolder(application);
  WriteXPRegistry(application);
  const std::string result = platform::JoinPath(context.Folder("window-results"), mode + ".txt");
  ChildSpec spec;
  spec.arguments = {platform::JoinPath(platform::ParentFolder(context.program()), "maj-bench-window"), mode, result,
                    context.server().dataSource, application};
  spec.environment = {"MAJ_REGISTRY=" + RegistryPath(application), "QT_QPA_PLATFORM=offscreen"};
  RunChecked(spec, "maj-bench-window " + mode);
  WindowMeasure measure;
  for (const auto& [name, value] : ReadResult(result)) {
    if (name == "seconds") measure.seconds = std::stod(value);
    if (name == "longestGapMs") measure.longestGapMs = std::stod(value);
  }
  return measure;
}

}  // namespace

void RunWindow(BenchContext& context) {
  const BenchOptions& options = context.options();
  if (std::find(options.parts.begin(), options.parts.end(), "window") == options.parts.end()) return;

  const std::string folder = context.Folder("sources-window");
  const std::string package = platform::JoinPath(folder, "gros.bin");
  Progress("window: writing a package of 200 MiB and " + std::to_string(options.files) + " files of " +
           std::to_string(options.sizeMiB) + " MiB");
  WriteDataFile(package, std::uint64_t{200} << 20, DataKind::kIncompressible, 17);
  std::vector<RawSource> plain;
  for (int i = 0; i < options.files; ++i) {
    const std::string name = "fenetre" + std::to_string(i) + ".dat";
    const std::string path = platform::JoinPath(folder, name);
    WriteDataFile(path, static_cast<std::uint64_t>(options.sizeMiB) << 20, DataKind::kIncompressible, 20 + i);
    plain.push_back({path, name, "001.000.000"});
  }
  const std::string application = context.Folder("application-window");
  const std::string bin = platform::JoinPath(application, "bin");
  // The package is wanted while it is not installed: the first start installs it, the second the files.
  context.ResetUpdateTable();
  context.Sql("INSERT INTO Fichier64 (VERSION, DATA, NOM, WINXP, `condition`, typeCondition) VALUES ('001.000', "
              "LOAD_FILE(" + SqlText(package) + "), 'gros.bin', -1, " +
              SqlText(platform::JoinPath(bin, "gros.bin")) + ", 1);\n");
  context.RunScript("window-publish", RawPublishScript(context.admin(), plain, true));

  std::vector<double> windowSeconds, windowlessSeconds, gaps;
  for (int i = 0; i < options.repeat; ++i) {
    Progress("window: run " + std::to_string(i + 1) + " with the window, then without");
    const WindowMeasure window = Probe(context, "--window", application);
    if (!SameContent(package, platform::JoinPath(bin, "gros.bin"))) {
      throw std::runtime_error("the window's run did not install the package intact");
    }
    windowSeconds.push_back(window.seconds);
    gaps.push_back(window.longestGapMs);
    windowlessSeconds.push_back(Probe(context, "--no-window", application).seconds);
  }
  WindowFigure figure;
  figure.longestGapMs = Median(gaps);
  figure.windowSeconds = Median(windowSeconds);
  figure.windowlessSeconds = Median(windowlessSeconds);
  context.summary().window = figure;
}

}  // namespace maj::bench
