#include "pending/command_runner.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "platform/paths.h"
#include "platform/processes.h"
#include "platform/system_error_text.h"
#include "platform/text.h"

namespace maj::pending {
namespace {

std::string Local(std::string_view path) { return platform::ResolvePathCase(platform::ToLocalPath(path)); }

std::string TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::string();
  const std::size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

// A temporary name beside `target`, unique for this process.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
  return target.parent_path() /
         std::string(".").append(target.filename().string()).append(".maj-pending.").append(std::to_string(getpid()));
}

std::error_code CopyThenRename(const std::filesystem::path& source, const std::filesystem::path& target) {
  const std::filesystem::path temporary = TemporaryBeside(target);
  std::error_code error;
  std::filesystem::copy_file(source, temporary, std::filesystem::copy_options::overwrite_existing, error);
  if (!error) std::filesystem::rename(temporary, target, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
  }
  return error;
}

bool IsSkippedLine(std::string_view line) {
  return line.empty() || platform::EqualsIgnoreCase(line, "rem") || platform::StartsWithIgnoreCase(line, "rem ") ||
         line.starts_with("::") || platform::EqualsIgnoreCase(line, "echo") ||
         platform::StartsWithIgnoreCase(line, "echo ");
}

// regsvr32.exe and regasm.exe, which the updater names in its commands and which a Linux machine usually
// lacks.
bool IsRegistrationProgram(const std::string& localProgram) {
  const std::string name = platform::FileName(localProgram);
  return platform::EqualsIgnoreCase(name, "regsvr32.exe") || platform::EqualsIgnoreCase(name, "regasm.exe");
}

// "/y", "/-y", "/b"...: a copy switch, not a path (which on this system may start with "/" too).
bool IsCopySwitch(std::string_view word) {
  return word.size() >= 2 && word.size() <= 3 && word[0] == '/' && word.find('/', 1) == std::string_view::npos;
}

// "copy [/y] source target": the two paths, or false when the line does not hold them.
bool RunCopyLine(std::string_view line, std::ostream& log) {
  std::vector<std::string> words = platform::SplitCommandLine(line);
  std::vector<std::string> paths;
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (IsCopySwitch(words[i])) continue;
    paths.push_back(words[i]);
  }
  if (paths.size() != 2) {
    log << "maj-pending : ligne de copie non comprise : " << line << "\n";
    return false;
  }
  if (const std::error_code error = CopyReplacing(paths[0], paths[1])) {
    log << "maj-pending : copie impossible de " << paths[0] << " vers " << paths[1] << " : "
        << platform::SystemErrorText(error.value()) << "\n";
    return false;
  }
  log << "maj-pending : copié " << paths[0] << " vers " << paths[1] << "\n";
  return true;
}

}  // namespace

std::error_code CopyReplacing(std::string_view from, std::string_view to) {
  const std::filesystem::path source = Local(from);
  const std::filesystem::path target = Local(to);
  std::error_code error;
  if (!std::filesystem::is_regular_file(source, error)) {
    return error ? error : std::make_error_code(std::errc::no_such_file_or_directory);
  }
  if (std::filesystem::equivalent(source, target, error)) return {};
  return CopyThenRename(source, target);
}

std::error_code MoveReplacing(std::string_view from, std::string_view to) {
  const std::filesystem::path source = Local(from);
  const std::filesystem::path target = Local(to);
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(source, error))) {
    return error ? error : std::make_error_code(std::errc::no_such_file_or_directory);
  }
  // A file never replaces a folder.
  if (std::filesystem::is_directory(target, error)) return std::make_error_code(std::errc::is_a_directory);
  if (std::rename(source.c_str(), target.c_str()) == 0) return {};
  const int renameError = errno;
  if (renameError != EXDEV || !std::filesystem::is_regular_file(source, error)) {
    return std::error_code(renameError, std::generic_category());
  }
  if ((error = CopyThenRename(source, target))) return error;
  std::filesystem::remove(source, error);
  return {};
}

bool RunCommand(std::string_view commandLine, std::ostream& log) {
  const platform::ProgramAndParameters command = platform::SplitProgram(commandLine);
  if (command.program.empty()) {
    log << "maj-pending : commande vide\n";
    return false;
  }
  if (platform::EndsWithIgnoreCase(command.program, ".bat") ||
      platform::EndsWithIgnoreCase(command.program, ".cmd")) {
    return RunBatchFile(command.program, log);
  }
  const std::string program = platform::ToLocalPath(command.program);
  if (program.find('/') != std::string::npos && IsRegistrationProgram(program) &&
      !std::filesystem::exists(Local(program))) {
    // As the in-place registration does, a registration program that this machine lacks is skipped.
    log << "maj-pending : programme d'inscription introuvable, commande ignorée : " << commandLine << "\n";
    return true;
  }
  std::optional<platform::ChildProcess> child =
      platform::ChildProcess::Start(command.program, command.parameters, {});
  if (!child) {
    log << "maj-pending : impossible de lancer " << command.program << "\n";
    return false;
  }
  const int exitCode = child->WaitForExit({});
  if (exitCode != 0) {
    log << "maj-pending : " << command.program << " s'est terminé avec le code " << exitCode << "\n";
    return false;
  }
  log << "maj-pending : exécuté " << commandLine << "\n";
  return true;
}

bool RunBatchFile(const std::string& path, std::ostream& log) {
  // A batch file that starts itself, directly or not, must not recurse for ever.
  static int depth = 0;
  if (depth >= 8) {
    log << "maj-pending : trop de fichiers de commandes imbriqués : " << path << "\n";
    return false;
  }
  struct DepthGuard {
    DepthGuard() { ++depth; }
    ~DepthGuard() { --depth; }
  } guard;
  std::ifstream in(Local(path), std::ios::binary);
  if (!in) {
    log << "maj-pending : fichier de commandes introuvable : " << path << "\n";
    return false;
  }
  bool ok = true;
  std::string rawLine;
  while (std::getline(in, rawLine)) {
    if (!rawLine.empty() && rawLine.back() == '\r') rawLine.pop_back();
    std::string line = TrimBlanks(rawLine);
    if (!line.empty() && line[0] == '@') line = TrimBlanks(std::string_view(line).substr(1));
    if (IsSkippedLine(line)) continue;
    if (platform::EqualsIgnoreCase(line, "exit") || platform::StartsWithIgnoreCase(line, "exit ")) break;
    if (platform::StartsWithIgnoreCase(line, "copy ")) {
      ok = RunCopyLine(line, log) && ok;
    } else {
      ok = RunCommand(line, log) && ok;
    }
  }
  return ok;
}

}  // namespace maj::pending
