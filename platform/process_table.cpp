// The process table, read from /proc.
#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/processes.h"

namespace maj::platform {
namespace {

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// True when /proc/<pid> is a process (not one of its threads) that has not exited. A zombie or a dead task
// counts as exited.
bool IsLiveProcess(int pid) {
  const std::string status = ReadWholeFile("/proc/" + std::to_string(pid) + "/status");
  std::istringstream lines(status);
  std::string line;
  bool alive = false;
  bool isProcess = false;
  while (std::getline(lines, line)) {
    if (line.starts_with("State:")) {
      const std::size_t code = line.find_first_not_of(" \t", 6);
      alive = code != std::string::npos && line[code] != 'Z' && line[code] != 'X';
    } else if (line.starts_with("Tgid:")) {
      isProcess = std::stoi(line.substr(5)) == pid;
    }
  }
  return alive && isProcess;
}

// The last component of argv[0] (split at '/' and '\'), else the kernel's short name.
std::string ImageName(int pid) {
  const std::string base = "/proc/" + std::to_string(pid);
  std::string commandLine = ReadWholeFile(base + "/cmdline");
  const std::string argument0 = commandLine.substr(0, commandLine.find('\0'));
  const std::size_t separator = argument0.find_last_of("/\\");
  std::string name = separator == std::string::npos ? argument0 : argument0.substr(separator + 1);
  if (!name.empty()) return name;
  std::string comm = ReadWholeFile(base + "/comm");
  if (!comm.empty() && comm.back() == '\n') comm.pop_back();
  return comm;
}

std::optional<int> ParsePid(std::string_view name) {
  if (name.empty() || name.size() > 9) return std::nullopt;
  int pid = 0;
  for (const char c : name) {
    if (c < '0' || c > '9') return std::nullopt;
    pid = pid * 10 + (c - '0');
  }
  return pid;
}

}  // namespace

std::vector<ProcessEntry> ListProcesses() {
  std::vector<int> pids;
  std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
  if (!proc) throw std::runtime_error("cannot read the process table (/proc)");
  while (const dirent* entry = readdir(proc.get())) {
    if (auto pid = ParsePid(entry->d_name)) pids.push_back(*pid);
  }
  std::sort(pids.begin(), pids.end());

  std::vector<ProcessEntry> processes;
  for (const int pid : pids) {
    // A process may end while the table is read: it is then simply left out.
    if (!IsLiveProcess(pid)) continue;
    ProcessEntry process;
    process.pid = pid;
    process.imageName = ImageName(pid);
    processes.push_back(std::move(process));
  }
  return processes;
}

bool ProcessExists(int pid) { return pid > 0 && IsLiveProcess(pid); }

}  // namespace maj::platform
