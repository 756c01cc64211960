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

#include "platform/paths.h"

extern char** environ;

namespace maj::archive {
namespace {

constexpr char kWorkerName[] = "maj-rar-worker";
constexpr int kWorkerChannelFd = 3;

bool IsExecutable(const std::string& path) { return !path.empty() && access(path.c_str(), X_OK) == 0; }

}  // namespace

std::string FindRarWorkerProgram() {
  if (const char* configured = std::getenv("MAJ_RAR_WORKER"); configured && *configured) {
    return IsExecutable(configured) ? configured : std::string();
  }
  // Beside the program (a folder installation), then in the private folder of a packaged one
  // (<prefix>/bin/maj and <prefix>/libexec/maj/maj-rar-worker).
  const std::string programFolder = platform::ExecutableFolder();
  for (const std::string& candidate : {programFolder + "/" + kWorkerName,
                                       platform::ParentFolder(programFolder) + "/libexec/maj/" + kWorkerName}) {
    if (IsExecutable(candidate)) return candidate;
  }
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
