#pragma once
// The command of a post-install action: "%MAJ%" expanded and the text cut into program and parameters.
#include <string>
#include <string_view>

namespace maj::engine {

struct ActionCommand {
  std::string program;
  std::string parameters;
};

// `data` when not empty, else `path`, with every "%MAJ%" (any letter case) replaced by `workingFolder`, cut
// at the first blank: the program before it, the parameters after it without their leading blanks. When the
// command begins with `workingFolder`, the blank is looked for only after that folder, so that a blank in
// the folder's own path never cuts the program. No blank: the whole command is the program. A command that
// begins with a double quote names its program up to the closing quote.
ActionCommand SplitActionCommand(std::string_view path, std::string_view data, std::string_view workingFolder);

}  // namespace maj::engine
