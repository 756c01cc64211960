// Programs started with posix_spawn.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <utility>

#include "platform/paths.h"
#include "platform/processes.h"

extern char** environ;

namespace maj::platform {
namespace {

int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Waits for a child nobody waits for any more, on a thread of its own, so that it does not stay a zombie.
void ReapInBackground(int pid) {
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

class SpawnSettings {
 public:
  SpawnSettings() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attributes_);
    // The child starts with no blocked signals and the usual signals back to their default handling.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes_, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&defaults, signal);
    posix_spawnattr_setsigdefault(&attributes_, &defaults);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnSettings() {
    posix_spawnattr_destroy(&attributes_);
    posix_spawn_file_actions_destroy(&actions_);
  }
  SpawnSettings(const SpawnSettings&) = delete;
  SpawnSettings& operator=(const SpawnSettings&) = delete;

  bool ChangeFolder(const std::string& folder) {
    return posix_spawn_file_actions_addchdir_np(&actions_, folder.c_str()) == 0;
  }
  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

// Where a path from outside points on this machine: Windows form converted, components resolved ignoring case.
std::string LocalResolved(const std::string& path) { return ResolvePathCase(ToLocalPath(path)); }

}  // namespace

std::optional<ChildProcess> ChildProcess::Start(const std::string& program, std::string_view parameters,
                                                const std::string& workingFolder) {
  if (program.empty()) return std::nullopt;
  // A bare program name is looked for on PATH, as the shell does.
  const std::string local = ToLocalPath(program);
  const bool searchPath = local.find('/') == std::string::npos;
  const std::string executable = searchPath ? local : ResolvePathCase(local);

  std::vector<std::string> arguments = SplitCommandLine(parameters);
  arguments.insert(arguments.begin(), executable);
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  SpawnSettings settings;
  if (!workingFolder.empty() && !settings.ChangeFolder(LocalResolved(workingFolder))) return std::nullopt;
  pid_t pid = 0;
  const int error = searchPath
                        ? posix_spawnp(&pid, executable.c_str(), settings.actions(), settings.attributes(),
                                       argv.data(), environ)
                        : posix_spawn(&pid, executable.c_str(), settings.actions(), settings.attributes(),
                                      argv.data(), environ);
  if (error != 0) return std::nullopt;
  return ChildProcess(pid);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), exitCode_(std::exchange(other.exitCode_, std::nullopt)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    if (pid_ > 0 && !exitCode_ && IsRunning()) ReapInBackground(pid_);
    pid_ = std::exchange(other.pid_, -1);
    exitCode_ = std::exchange(other.exitCode_, std::nullopt);
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !exitCode_ && IsRunning()) ReapInBackground(pid_);
}

bool ChildProcess::IsRunning() {
  if (exitCode_ || pid_ <= 0) return false;
  int status = 0;
  pid_t result;
  do {
    result = waitpid(pid_, &status, WNOHANG);
  } while (result < 0 && errno == EINTR);
  if (result == 0) return true;
  // Reaped elsewhere (ECHILD) or ended: either way it no longer runs.
  exitCode_ = result == pid_ ? ExitCodeOf(status) : -1;
  return false;
}

int ChildProcess::WaitForExit(const std::function<void()>& betweenPolls, std::chrono::milliseconds pollInterval) {
  for (;;) {
    if (betweenPolls) betweenPolls();
    if (!IsRunning()) return exitCode_.value_or(-1);
    std::this_thread::sleep_for(pollInterval);
  }
}

bool StartDetached(std::string_view commandLine, const std::string& workingFolder) {
  const ProgramAndParameters command = SplitProgram(commandLine);
  if (command.program.empty()) return false;
  // The handle goes out of scope at once: its destructor hands the child to a background reaper.
  return ChildProcess::Start(command.program, command.parameters, workingFolder).has_value();
}

}  // namespace maj::platform
