#include "archive/unar_fallback.h"

#include "archive/rar_headers.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "platform/unique_fd.h"

extern char** environ;

namespace maj::archive {

std::optional<std::uint32_t> FileCrc32(const std::string& path) {
  const platform::UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return std::nullopt;
  std::vector<unsigned char> buffer(64 * 1024);
  std::uint32_t crc = 0;
  ssize_t got;
  while ((got = read(fd.get(), buffer.data(), buffer.size())) > 0) {
    crc = Crc32(buffer.data(), static_cast<std::size_t>(got), crc);
  }
  if (got < 0) return std::nullopt;
  return crc;
}

std::string FindProgramOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string candidate = folders.substr(start, end - start) + "/" + program;
    if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

std::string MakeScratchFolder(const std::string& besides) {
  std::string base = besides;
  if (base.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    base = tmp && *tmp ? tmp : "/tmp";
  }
  std::string pattern = base + "/.maj-unar-XXXXXX";
  if (!mkdtemp(pattern.data())) return {};
  return pattern;
}

std::chrono::milliseconds UnarTimeLimit() {
  if (const char* configured = std::getenv("MAJ_UNAR_TIMEOUT_MS"); configured && *configured) {
    long value = std::strtol(configured, nullptr, 10);
    if (value > 0) return std::chrono::milliseconds(value);
  }
  return std::chrono::seconds(60);
}

std::optional<int> RunTool(const std::vector<std::string>& arguments, int outputFd, std::uint64_t fileSizeLimit,
                           const std::function<void()>& whileWaiting) {
  std::vector<std::string> copies = arguments;
  std::vector<char*> argv;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (outputFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  // The child inherits the limit (a larger file ends it with SIGXFSZ); this process gets its own back.
  rlimit previous{};
  getrlimit(RLIMIT_FSIZE, &previous);
  rlimit limited = previous;
  if (previous.rlim_cur == RLIM_INFINITY || previous.rlim_cur > fileSizeLimit) limited.rlim_cur = fileSizeLimit;
  setrlimit(RLIMIT_FSIZE, &limited);
  pid_t pid = -1;
  int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  setrlimit(RLIMIT_FSIZE, &previous);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return std::nullopt;

  const auto deadline = std::chrono::steady_clock::now() + UnarTimeLimit();
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return std::nullopt;
    }
    whileWaiting();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!WIFEXITED(status)) return std::nullopt;
  return WEXITSTATUS(status);
}

std::optional<int> ExtractEntriesWithUnar(const std::string& archivePath, const std::vector<std::int64_t>& indexes,
                                          const std::string& outputFolder, std::uint64_t fileSizeLimit,
                                          const std::function<void()>& whileWaiting) {
  const std::string unar = FindProgramOnPath("unar");
  if (unar.empty()) return std::nullopt;
  std::vector<std::string> arguments = {unar, "-q", "-f", "-D", "-nr", "-o", outputFolder, "-i", archivePath};
  for (std::int64_t index : indexes) arguments.push_back(std::to_string(index));
  return RunTool(arguments, -1, fileSizeLimit, whileWaiting);
}

std::optional<std::string> CheckedExtractedFile(const std::string& outputFolder, const std::string& entryName,
                                                std::uint64_t expectedSize, std::optional<std::uint32_t> expectedCrc) {
  std::string extracted = outputFolder + "/" + entryName;
  struct stat info {};
  if (lstat(extracted.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (static_cast<std::uint64_t>(info.st_size) != expectedSize) return std::nullopt;
  if (expectedCrc && FileCrc32(extracted) != expectedCrc) return std::nullopt;
  return extracted;
}

std::optional<std::string> ExtractEntryWithUnar(const std::string& archivePath, std::int64_t entryIndex,
                                                const std::string& entryName, const std::string& outputFolder,
                                                std::uint64_t expectedSize, std::optional<std::uint32_t> expectedCrc,
                                                const std::function<void()>& whileWaiting) {
  std::optional<int> status =
      ExtractEntriesWithUnar(archivePath, {entryIndex}, outputFolder, expectedSize + 1, whileWaiting);
  if (status != 0) return std::nullopt;
  return CheckedExtractedFile(outputFolder, entryName, expectedSize, expectedCrc);
}

}  // namespace maj::archive
