#pragma once
// The measuring side of the engine's tasks (engine_tasks.h): starts maj-bench --engine and reads its result.
#include <map>
#include <string>
#include <vector>

#include "bench/child_run.h"

namespace maj::bench {

// One finished task.
struct EngineRun {
  ChildMeasure process;                        // the whole process: wall time and peak memory
  std::map<std::string, std::string> result;   // the task's result file

  // The engine's own time (its calls, without process start and connection).
  double EngineSeconds() const;
  // A count of the result (installed, updates); -1 when absent.
  long Count(const std::string& name) const;
  // A figure of the result (querySeconds...); -1 when absent.
  double Figure(const std::string& name) const;
};

// A task started and still running.
struct StartedEngine {
  StartedChild child;
  std::string resultFile;
};

class EngineRunner {
 public:
  // `program` is this executable; the engine connects to `dataSource`; result files go to `scratchFolder`.
  EngineRunner(std::string program, std::string dataSource, std::string scratchFolder);

  // Publishes `files` as version `version` through the publishing queue.
  EngineRun Publish(const std::string& applicationFolder, const std::string& version,
                    const std::vector<std::string>& files) const;
  // Runs the update check and run `runs` times in `applicationFolder` (its registry.reg gives the OS).
  EngineRun Update(const std::string& applicationFolder, int runs) const;
  // Connects and ends.
  EngineRun Connect(const std::string& applicationFolder) const;
  // Compresses `files` as publishing does (no database).
  EngineRun Compress(const std::string& applicationFolder, const std::vector<std::string>& files) const;
  // Times the check's per-name queries and its version tests apart.
  EngineRun CheckParts(const std::string& applicationFolder) const;

  // Starts a task ("update", "publish"... with the arguments of the calls above) and returns at once, so
  // that several run at the same time; `tag` names its result file, distinct for each running task.
  StartedEngine Start(const std::string& task, const std::string& applicationFolder,
                      const std::vector<std::string>& extra, const std::string& tag) const;
  // Waits for a started task. Unlike the calls above, a task that failed is returned (exit code not 0,
  // empty result), not thrown.
  EngineRun Finish(const StartedEngine& started) const;

 private:
  EngineRun Run(const std::string& task, const std::string& applicationFolder,
                const std::vector<std::string>& extra) const;

  std::string program_;
  std::string dataSource_;
  std::string scratchFolder_;
};

// The name=value lines of a task's result file; throws when there is none.
std::map<std::string, std::string> ReadResult(const std::string& path);

// <applicationFolder>/registry.reg, which the engine reads for the Windows version.
std::string RegistryPath(const std::string& applicationFolder);

// Writes <applicationFolder>/registry.reg declaring Windows XP (NT 5.1) on a 32-bit machine.
void WriteXPRegistry(const std::string& applicationFolder);

}  // namespace maj::bench
