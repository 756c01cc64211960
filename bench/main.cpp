// maj-bench: figures of the update engine measured side by side with the standard tools on the private
// database (see the README, "Benchmarks"). Run through scripts/bench, which starts and stops the server.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_context.h"
#include "bench/engine_tasks.h"

namespace {

constexpr const char* kUsage =
    "usage: maj-bench [options]\n"
    "  --files N            files per kind for publishing and the update run (default 8)\n"
    "  --size MiB           size of each of them (default 4)\n"
    "  --repeat N           measurements of each figure, the median is printed (default 3)\n"
    "  --names N,N...       published names for the check (default 1000,10000)\n"
    "  --memory-size MiB    size of each of the two files of the memory run (default 500)\n"
    "  --clients N,N...     client processes updating at once in the fleet part (default 1,5,20)\n"
    "  --parts LIST         some of publish,update,check,memory,fleet,signing,window (default all)\n"
    "  --work FOLDER        work folder (default: a new temporary folder, removed at the end)\n"
    "  --keep               keep the work folder\n"
    "The database is the one that MAJ_TEST_DATABASE, ODBCSYSINI and ODBCINI describe (scripts/testdb start).\n";

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  std::istringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

int PositiveNumber(const std::string& text) {
  const int value = std::stoi(text);
  if (value <= 0) throw std::invalid_argument("not a positive number: " + text);
  return value;
}

maj::bench::BenchOptions ParseOptions(const std::vector<std::string>& arguments) {
  maj::bench::BenchOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name == "--keep") {
      options.keep = true;
      continue;
    }
    if (i + 1 >= arguments.size()) throw std::invalid_argument("missing value after " + name);
    const std::string& value = arguments[++i];
    if (name == "--files") {
      options.files = PositiveNumber(value);
    } else if (name == "--size") {
      options.sizeMiB = PositiveNumber(value);
    } else if (name == "--repeat") {
      options.repeat = PositiveNumber(value);
    } else if (name == "--names") {
      options.checkNames.clear();
      for (const std::string& item : SplitList(value)) options.checkNames.push_back(PositiveNumber(item));
    } else if (name == "--clients") {
      options.clients.clear();
      for (const std::string& item : SplitList(value)) options.clients.push_back(PositiveNumber(item));
      if (options.clients.empty()) throw std::invalid_argument("--clients needs at least one number");
    } else if (name == "--memory-size") {
      options.memorySizeMiB = PositiveNumber(value);
    } else if (name == "--parts") {
      options.parts = SplitList(value);
    } else if (name == "--work") {
      options.workFolder = value;
    } else {
      throw std::invalid_argument("unknown option " + name);
    }
  }
  return options;
}

std::string ThisProgram() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

// A new temporary work folder.
std::string MakeWorkFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/maj-bench.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a work folder in /tmp");
  return pattern;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (!arguments.empty() && arguments[0] == "--engine") {
    return maj::bench::RunEngineTask(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
  }
  if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }

  maj::bench::BenchOptions options;
  try {
    options = ParseOptions(arguments);
  } catch (const std::exception& error) {
    std::cerr << "maj-bench: " << error.what() << "\n" << kUsage;
    return 2;
  }

  std::string workFolder;
  int exitCode = 0;
  try {
    if (options.workFolder.empty()) {
      workFolder = MakeWorkFolder();
    } else {
      workFolder = std::filesystem::absolute(options.workFolder).string();
      std::filesystem::create_directories(workFolder);
    }
    maj::bench::BenchContext context(options, ThisProgram(), workFolder);
    maj::bench::Progress("work folder " + workFolder);
    maj::bench::RunPublishAndUpdate(context);
    maj::bench::RunCheck(context);
    maj::bench::RunMemory(context);
    maj::bench::RunFleet(context);
    maj::bench::RunSigning(context);
    maj::bench::RunWindow(context);
    maj::bench::PrintSummary(context);
  } catch (const std::exception& error) {
    std::cerr << "maj-bench: " << error.what() << "\n";
    exitCode = 1;
  }
  if (!workFolder.empty() && options.workFolder.empty() && !options.keep) {
    std::error_code ignored;
    std::filesystem::remove_all(workFolder, ignored);
  }
  return exitCode;
}
