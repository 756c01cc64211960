#include "engine/action_command.h"

#include "platform/text.h"

namespace maj::engine {

ActionCommand SplitActionCommand(std::string_view path, std::string_view data, std::string_view workingFolder) {
  const std::string command = platform::ReplaceAllIgnoreCase(data.empty() ? path : data, "%MAJ%", workingFolder);
  if (command.starts_with('"')) {
    const std::size_t quote = command.find('"', 1);
    if (quote != std::string::npos) {
      const std::size_t parameters = command.find_first_not_of(' ', quote + 1);
      return {command.substr(1, quote - 1),
              parameters == std::string::npos ? std::string() : command.substr(parameters)};
    }
  }
  const std::size_t start =
      !workingFolder.empty() && command.starts_with(workingFolder) ? workingFolder.size() : 0;
  const std::size_t blank = command.find(' ', start);
  if (blank == std::string::npos) return {command, std::string()};
  const std::size_t parameters = command.find_first_not_of(' ', blank);
  return {command.substr(0, blank), parameters == std::string::npos ? std::string() : command.substr(parameters)};
}

}  // namespace maj::engine
