// Windows command-line splitting.
#include "platform/processes.h"

namespace maj::platform {

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  // The argument rules of CommandLineToArgvW: 2n backslashes before a quote give n backslashes and the quote
  // opens or closes a quoted part; 2n+1 give n backslashes and a literal quote; backslashes elsewhere are
  // literal; inside a quoted part, a doubled quote gives a literal quote.
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false;
  int quotes = 0;  // 1 inside a quoted part
  std::size_t backslashes = 0;
  std::size_t i = 0;
  while (i < commandLine.size()) {
    const char c = commandLine[i];
    if ((c == ' ' || c == '\t') && quotes == 0) {
      if (inArgument) arguments.push_back(current);
      current.clear();
      inArgument = false;
      backslashes = 0;
      ++i;
      continue;
    }
    inArgument = true;
    if (c == '\\') {
      current += c;
      ++backslashes;
      ++i;
      continue;
    }
    if (c != '"') {
      current += c;
      backslashes = 0;
      ++i;
      continue;
    }
    current.resize(current.size() - backslashes / 2);
    if (backslashes % 2 == 1) {
      current.back() = '"';
    } else {
      ++quotes;
    }
    backslashes = 0;
    ++i;
    // Quotes that follow count together: every third one is a literal quote.
    while (i < commandLine.size() && commandLine[i] == '"') {
      if (++quotes == 3) {
        current += '"';
        quotes = 0;
      }
      ++i;
    }
    if (quotes == 2) quotes = 0;
  }
  if (inArgument) arguments.push_back(current);
  return arguments;
}

}  // namespace maj::platform
