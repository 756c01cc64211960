// maj-rar-worker: reads RAR archives with libarchive on behalf of the updater, in a process of its own
// with a memory and CPU limit, so that an archive that makes the library crash, loop or exhaust memory
// costs an error in the updater and nothing more. It serves one archive on the socket at file descriptor
// 3 (see rar_worker_channel.h) and ends when the updater closes it.
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <clocale>
#include <csignal>

#include "archive/rar_result_codes.h"
#include "archive/rar_worker_channel.h"
#include "archive/rar_worker_link.h"
#include "archive/rar_worker_session.h"

namespace {

constexpr int kChannelFd = 3;
constexpr rlim_t kMemoryLimitBytes = rlim_t{2} * 1024 * 1024 * 1024;
constexpr rlim_t kCpuLimitSeconds = 900;

// Keeps only the standard streams and the channel: descriptors the updater left open by mistake (a
// database socket, files) must not reach code that reads hostile data, nor the tools it starts, which do
// not get the channel either.
void CloseInheritedDescriptors() {
  close_range(kChannelFd + 1, ~0U, 0);
  fcntl(kChannelFd, F_SETFD, FD_CLOEXEC);
}

void LimitResources() {
  rlimit memory{kMemoryLimitBytes, kMemoryLimitBytes};
  setrlimit(RLIMIT_AS, &memory);
  rlimit cpu{kCpuLimitSeconds, kCpuLimitSeconds};
  setrlimit(RLIMIT_CPU, &cpu);
  rlimit core{0, 0};
  setrlimit(RLIMIT_CORE, &core);
  // Ends with the updater.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
}

}  // namespace

int main() {
  CloseInheritedDescriptors();
  LimitResources();
  // RAR 4 names are converted through the locale: without a UTF-8 one libarchive drops non-ASCII names.
  if (!std::setlocale(LC_ALL, "C.UTF-8")) std::setlocale(LC_ALL, "");

  using namespace maj::archive;
  WorkerLink link(kChannelFd);
  RarWorkerSession session(link);
  while (std::optional<WorkerMessage> request = ReceiveWorkerMessage(kChannelFd)) {
    WorkerMessage reply{WorkerMessageKind::kResult, {kRarSuccess}, {}};
    switch (request->kind) {
      case WorkerMessageKind::kOpen:
        reply = session.Open(request->Text(0), static_cast<unsigned>(request->Number(0)));
        break;
      case WorkerMessageKind::kSetPassword:
        session.SetPassword(request->Text(0));
        break;
      case WorkerMessageKind::kReadHeader:
        reply = session.ReadHeader();
        break;
      case WorkerMessageKind::kProcess:
        reply = session.Process(static_cast<int>(request->Number(0)), request->Text(0), request->Text(1));
        break;
      case WorkerMessageKind::kClose:
        // The updater kills the worker once answered: the session's files go first.
        session.Close();
        SendWorkerMessage(kChannelFd, reply);
        return 0;
      default:
        reply.numbers = {kRarUnknown};
        break;
    }
    if (!SendWorkerMessage(kChannelFd, reply)) return 1;
  }
  return 0;
}
