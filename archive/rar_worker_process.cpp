#include "archive/rar_worker_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace maj::archive {
namespace {

constexpr char kWorkerName[] = "maj-rar-worker";
constexpr int kWorkerChannelFd = 3;

bool IsExecutable(const std::string& path) { return !path.empty() && access(path.c_str(), X_OK) == 0; }

std::string ExecutableFolder() {
  char buffer[PATH_MAX];
  ssize_t size = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (size <= 0) return {};
  std::string path(buffer, static_cast<std::size_t>(size));
  return path.substr(0, path.find_last_of('/'));
}

}  // namespace

std::string FindRarWorkerProgram() {
  if (const char* configured = std::getenv("MAJ_RAR_WORKER"); configured && *configured) {
    return IsExecutable(configured) ? configured : std::string();
  }
  std::string beside = ExecutableFolder() + "/" + kWorkerName;
  if (IsExecutable(beside)) return beside;
#ifdef MAJ_RAR_WORKER_BUILD_PATH
  if (IsExecutable(MAJ_RAR_WORKER_BUILD_PATH)) return MAJ_RAR_WORKER_BUILD_PATH;
#endif
  return {};
}

std::chrono::milliseconds RarWorkerSilenceLimit() {
  if (const char* configured = std::getenv("MAJ_RAR_WORKER_TIMEOUT_MS"); configured && *configured) {
    long value = std::strtol(configured, nullptr, 10);
    if (value > 0) return std::chrono::milliseconds(value);
  }
  return std::chrono::seconds(5);
}

std::unique_ptr<RarWorkerProcess> RarWorkerProcess::Start() {
  const std::string program = FindRarWorkerProgram();
  if (program.empty()) throw std::runtime_error(std::string("RAR reader not found: ") + kWorkerName);

  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    throw std::runtime_error("Cannot start the RAR reader");
  }
  // Keep the child's end away from descriptor 3 so that dup2 onto 3 always clears close-on-exec.
  int childEnd = fcntl(ends[1], F_DUPFD_CLOEXEC, 10);
  close(ends[1]);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, childEnd, kWorkerChannelFd);
  std::vector<char> name(program.begin(), program.end());
  name.push_back('\0');
  char* argv[] = {name.data(), nullptr};
  pid_t pid = -1;
  int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(childEnd);
  if (spawned != 0) {
    close(ends[0]);
    throw std::runtime_error("Cannot start the RAR reader " + program);
  }
  return std::unique_ptr<RarWorkerProcess>(new RarWorkerProcess(pid, ends[0]));
}

RarWorkerProcess::~RarWorkerProcess() { Stop(); }

void RarWorkerProcess::Stop() {
  fd_.reset();
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }
}

std::optional<WorkerMessage> RarWorkerProcess::Call(const WorkerMessage& request, const CallbackHandler& onCallback) {
  if (!fd_.valid()) return std::nullopt;
  if (!SendWorkerMessage(fd_.get(), request)) {
    Stop();
    return std::nullopt;
  }
  const std::chrono::milliseconds silenceLimit = RarWorkerSilenceLimit();
  while (true) {
    std::optional<WorkerMessage> message = ReceiveWorkerMessage(fd_.get(), silenceLimit);
    if (!message) break;
    switch (message->kind) {
      case WorkerMessageKind::kResult:
        return message;
      case WorkerMessageKind::kHeartbeat:
        continue;
      case WorkerMessageKind::kCallback:
        if (!SendWorkerMessage(fd_.get(), onCallback(*message))) {
          Stop();
          return std::nullopt;
        }
        continue;
      default:
        break;
    }
    break;
  }
  Stop();
  return std::nullopt;
}

}  // namespace maj::archive
