// Windows command-line splitting: arguments, and program name from parameters.
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

ProgramAndParameters SplitProgram(std::string_view commandLine) {
  const std::size_t start = commandLine.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  ProgramAndParameters result;
  std::size_t end;
  if (commandLine[start] == '"') {
    const std::size_t quote = commandLine.find('"', start + 1);
    result.program = std::string(commandLine.substr(
        start + 1, quote == std::string_view::npos ? std::string_view::npos : quote - start - 1));
    end = quote == std::string_view::npos ? commandLine.size() : quote + 1;
  } else {
    end = commandLine.find_first_of(" \t", start);
    if (end == std::string_view::npos) end = commandLine.size();
    result.program = std::string(commandLine.substr(start, end - start));
  }
  const std::string_view rest = commandLine.substr(end);
  const std::size_t first = rest.find_first_not_of(" \t");
  if (first != std::string_view::npos) {
    result.parameters = std::string(rest.substr(first, rest.find_last_not_of(" \t") - first + 1));
  }
  return result;
}

}  // namespace maj::platform
