#include "bench/engine_update_task.h"

#include <chrono>

#include "bench/engine_tasks.h"
#include "db/update_table.h"
#include "engine/cls_download_manager.h"

namespace maj::bench {

bool UpdateEngineAvailable() { return true; }

std::map<std::string, std::string> RunUpdateTask(int runs) {
  db::EnsureUpdateTable();
  std::map<std::string, std::string> result;
  double seconds = 0;
  for (int run = 0; run < runs; ++run) {
    engine::cls_DownloadManager manager;
    bool forcer = false;
    const auto start = std::chrono::steady_clock::now();
    manager.Test_Version(forcer);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result["installed"] = std::to_string(manager.InstallList().size());
    result["updates"] = std::to_string(manager.UpdateList().size());
  }
  result["seconds"] = std::to_string(seconds);
  return result;
}

}  // namespace maj::bench
