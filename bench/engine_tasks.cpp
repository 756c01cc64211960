#include "bench/engine_tasks.h"

#include <chrono>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <stdexcept>

#include "archive/zip_component.h"
#include "db/database.h"
#include "db/update_table.h"
#include "engine/cls_download_manager.h"
#include "engine/fichier.h"
#include "platform/paths.h"
#include "signing/publishing_key.h"
#include "sysinfo/os_identification.h"
#include "transfer/cls_file.h"
#include "transfer/newest_versions.h"

namespace maj::bench {
namespace {

using Clock = std::chrono::steady_clock;
using Result = std::map<std::string, std::string>;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void Connect(const std::string& dataSource) {
  std::string failure;
  db::ConnectDataSource(dataSource, [&](const std::string& description) { failure = description; });
  if (!db::SharedConnection().IsOpen()) throw std::runtime_error("connection failed: " + failure);
}

Result Publish(const std::string& version, const std::vector<std::string>& files) {
  engine::cls_DownloadManager manager;
  // Signed as `maj --publish` signs: with the key named by MAJ_SIGNING_KEY, when set.
  manager.SetSigningKey(signing::ResolvePublishingKey(std::nullopt));
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

// The update check and run `runs` times, each with a new engine object, as the main screen starts them.
Result Update(int runs) {
  db::EnsureUpdateTable();
  Result result;
  double seconds = 0;
  for (int run = 0; run < runs; ++run) {
    engine::cls_DownloadManager manager;
    bool forcer = false;
    const auto start = Clock::now();
    manager.Test_Version(forcer);
    seconds += SecondsSince(start);
    result["installed"] = std::to_string(manager.InstallList().size());
    result["updates"] = std::to_string(manager.UpdateList().size());
  }
  result["seconds"] = std::to_string(seconds);
  return result;
}

// The compression step of publishing alone: the zip component as Upload calls it, its files then removed.
Result Compress(const std::vector<std::string>& files) {
  double seconds = 0;
  for (const std::string& path : files) {
    const auto start = Clock::now();
    archive::ZipComponent zip;
    zip.AddFile(path, "", "");
    zip.SetVolumeSize(transfer::cls_File::VolumeSize);
    zip.WriteArchive(path + ".zip");
    seconds += SecondsSince(start);
    std::filesystem::remove(path + ".zip");
    for (int n = 1;; ++n) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, ".zip.%03d", n);
      if (!std::filesystem::remove(path + suffix)) break;
    }
  }
  return {{"seconds", std::to_string(seconds)}};
}

// The two halves of the check of plain names, timed apart: the version query alone, then the version tests
// of the installed files alone (the same calls as the check makes).
Result CheckParts() {
  const std::string key = sysinfo::GetOSKey();
  auto start = Clock::now();
  std::vector<transfer::NewestVersion> newest;
  transfer::NewestPlainVersions(key, [&](const transfer::NewestVersion& published) {
    newest.push_back(published);
    return false;
  });
  const double querySeconds = SecondsSince(start);
  long newer = 0;
  start = Clock::now();
  for (const transfer::NewestVersion& published : newest) {
    engine::Fichier fichier;
    fichier.Nom = published.nom;
    fichier.Version = published.version;
    if (fichier.TestVersion() == 1) ++newer;
  }
  return {{"querySeconds", std::to_string(querySeconds)},
          {"versionSeconds", std::to_string(SecondsSince(start))},
          {"names", std::to_string(newest.size())},
          {"updates", std::to_string(newer)}};
}

}  // namespace

int RunEngineTask(const std::vector<std::string>& arguments) {
  try {
    if (arguments.size() < 4) throw std::runtime_error("missing arguments");
    const std::string& task = arguments[0];
    const std::string& resultFile = arguments[1];
    const std::string& dataSource = arguments[2];
    const std::vector<std::string> extra(arguments.begin() + 4, arguments.end());
    platform::SetApplicationFolderForTesting(arguments[3]);

    Result result;
    if (task == "compress") {
      result = Compress(extra);
    } else {
      Connect(dataSource);
      if (task == "publish" && !extra.empty()) {
        result = Publish(extra[0], std::vector<std::string>(extra.begin() + 1, extra.end()));
      } else if (task == "update" && extra.size() == 1) {
        result = Update(std::stoi(extra[0]));
      } else if (task == "check-parts" && extra.empty()) {
        result = CheckParts();
      } else if (task != "connect") {
        throw std::runtime_error("unknown task " + task);
      }
      db::CloseDatabase();
    }

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
