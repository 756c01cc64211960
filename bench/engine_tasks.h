#pragma once
// The engine's side of the benchmarks. Each measurement runs the engine in a process of its own (maj-bench
// started again with --engine), so that its peak memory and start-up are its own and nothing is cached
// between measurements.
//
//   maj-bench --engine publish <result file> <data source> <application folder> <version> <file>...
//       queues one record per file (its file name as Nom, every Windows version) and stores the queue
//   maj-bench --engine update <result file> <data source> <application folder> <runs>
//       runs the update check and run `runs` times, each with a new engine object
//   maj-bench --engine connect <result file> <data source> <application folder>
//       connects and does nothing else (the memory of an idle engine process)
//   maj-bench --engine compress <result file> <data source> <application folder> <file>...
//       compresses each file as publishing does, without connecting, and removes the archive files
//   maj-bench --engine check-parts <result file> <data source> <application folder>
//       the check's per-name queries alone, then its version tests of the installed files alone
//
// The result file receives "name=value" lines: seconds (the engine's calls only, connection excluded),
// installed and updates (entries of the last run's install and update lists), querySeconds and
// versionSeconds (check-parts).
#include <string>
#include <vector>

namespace maj::bench {

// Runs one task from its arguments (those after --engine); returns the exit code.
int RunEngineTask(const std::vector<std::string>& arguments);

}  // namespace maj::bench
