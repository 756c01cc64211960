#include "bench/child_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace maj::bench {
namespace {

// posix_spawn file actions, destroyed with the object.
class FileActions {
 public:
  FileActions() { posix_spawn_file_actions_init(&actions_); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// This process's environment with `overrides` (NAME=value) replacing entries of the same name.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& overrides) {
  std::vector<std::string> merged;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    bool replaced = false;
    for (const std::string& override : overrides) {
      if (override.compare(0, name.size() + 1, name + "=") == 0) replaced = true;
    }
    if (!replaced) merged.push_back(text);
  }
  merged.insert(merged.end(), overrides.begin(), overrides.end());
  return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

StartedChild StartChild(const ChildSpec& spec) {
  if (spec.arguments.empty()) throw std::runtime_error("no program to run");
  std::vector<std::string> arguments = spec.arguments;
  std::vector<std::string> environment = MergedEnvironment(spec.environment);
  std::vector<char*> argv = Pointers(arguments);
  std::vector<char*> envp = Pointers(environment);

  FileActions actions;
  const std::string input = spec.standardInput.empty() ? "/dev/null" : spec.standardInput;
  posix_spawn_file_actions_addopen(actions.get(), 0, input.c_str(), O_RDONLY, 0);
  if (!spec.standardOutput.empty()) {
    posix_spawn_file_actions_addopen(actions.get(), 1, spec.standardOutput.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }

  StartedChild child;
  child.program = arguments[0];
  child.startSeconds = SteadySeconds();
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, argv[0], actions.get(), nullptr, argv.data(), envp.data());
  if (error != 0) throw std::runtime_error("cannot start " + arguments[0] + ": " + std::strerror(error));
  child.pid = pid;
  return child;
}

ChildMeasure WaitChild(const StartedChild& child) {
  int status = 0;
  rusage usage{};
  while (wait4(child.pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw std::runtime_error("cannot wait for " + child.program + ": " + std::strerror(errno));
  }
  ChildMeasure measure;
  measure.seconds = SteadySeconds() - child.startSeconds;
  measure.peakResidentKiB = usage.ru_maxrss;
  measure.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return measure;
}

ChildMeasure RunChild(const ChildSpec& spec) { return WaitChild(StartChild(spec)); }

ChildMeasure RunChecked(const ChildSpec& spec, const std::string& what) {
  ChildMeasure measure = RunChild(spec);
  if (measure.exitCode != 0) {
    throw std::runtime_error(what + " failed (exit code " + std::to_string(measure.exitCode) + ")");
  }
  return measure;
}

}  // namespace maj::bench
