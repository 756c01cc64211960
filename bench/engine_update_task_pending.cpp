// Stand-in for engine_update_task.cpp in a tree that does not build the update check and run yet.
#include <stdexcept>

#include "bench/engine_tasks.h"
#include "bench/engine_update_task.h"

namespace maj::bench {

bool UpdateEngineAvailable() { return false; }

std::map<std::string, std::string> RunUpdateTask(int) {
  throw std::runtime_error("the update check and run are not built in this tree");
}

}  // namespace maj::bench
