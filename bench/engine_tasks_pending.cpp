// Stand-in for engine_tasks.cpp in a tree that does not build the update engine and cls_File yet.
#include <iostream>

#include "bench/engine_tasks.h"

namespace maj::bench {

bool EngineTasksAvailable() { return false; }

int RunEngineTask(const std::vector<std::string>&) {
  std::cerr << "maj-bench --engine: the update engine is not built in this tree\n";
  return 1;
}

}  // namespace maj::bench
