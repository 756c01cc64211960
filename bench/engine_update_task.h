#pragma once
// The update task of maj-bench --engine (engine_tasks.h), apart because it needs the update check and run.
#include <map>
#include <string>

namespace maj::bench {

// Runs the update check and run `runs` times on the open shared connection, each with a new engine object,
// and returns seconds (the engine's calls), installed and updates (the last run's lists).
std::map<std::string, std::string> RunUpdateTask(int runs);

}  // namespace maj::bench
