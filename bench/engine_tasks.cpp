#include "bench/engine_tasks.h"
#include "bench/engine_update_task.h"

#include <chrono>
#include <exception>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <stdexcept>

#include "db/database.h"
#include "engine/cls_download_manager.h"
#include "platform/paths.h"
#include "transfer/cls_file.h"

namespace maj::bench {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void Connect(const std::string& dataSource) {
  std::string failure;
  db::ConnectDataSource(dataSource, [&](const std::string& description) { failure = description; });
  if (!db::SharedConnection().IsOpen()) throw std::runtime_error("connection failed: " + failure);
}

std::map<std::string, std::string> Publish(const std::string& version, const std::vector<std::string>& files) {
  engine::cls_DownloadManager manager;
  for (const std::string& path : files) {
    auto record = std::make_shared<transfer::cls_File>();
    record->SetPath(path);
    record->SetNom(platform::FileName(path));
    record->SetCurrentVersion(version);
    record->SetW9x(true);
    record->SetWME(true);
    record->SetWNT4(true);
    record->SetW2k(true);
    record->SetWXP(true);
    record->SetW2k3(true);
    record->SetWVista(true);
    record->SetW7(true);
    record->Setw8(true);
    manager.AddFileToUpload(record);
  }
  const auto start = Clock::now();
  manager.ProcessUpload();
  return {{"seconds", std::to_string(SecondsSince(start))}};
}

}  // namespace

int RunEngineTask(const std::vector<std::string>& arguments) {
  try {
    if (arguments.size() < 4) throw std::runtime_error("missing arguments");
    const std::string& task = arguments[0];
    const std::string& resultFile = arguments[1];
    const std::string& dataSource = arguments[2];
    platform::SetApplicationFolderForTesting(arguments[3]);
    Connect(dataSource);

    std::map<std::string, std::string> result;
    if (task == "publish" && arguments.size() >= 5) {
      result = Publish(arguments[4], std::vector<std::string>(arguments.begin() + 5, arguments.end()));
    } else if (task == "update" && arguments.size() == 5) {
      result = RunUpdateTask(std::stoi(arguments[4]));
    } else if (task != "connect") {
      throw std::runtime_error("unknown task " + task);
    }
    db::CloseDatabase();

    std::ofstream out(resultFile, std::ios::trunc);
    for (const auto& [name, value] : result) out << name << '=' << value << '\n';
    out.close();
    if (!out) throw std::runtime_error("cannot write " + resultFile);
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "maj-bench --engine: " << error.what() << '\n';
    return 1;
  }
}

}  // namespace maj::bench
