#include "app/command_line_console.h"

#include <cstdio>
#include <ctime>

namespace maj::app {
namespace {

void PrintStamped(std::FILE* stream, const std::string& text) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::fprintf(stream, "%s %s\n", stamp, text.c_str());
  // Under a service manager the output is a pipe: each line must reach the journal when it happens.
  std::fflush(stream);
}

}  // namespace

void PrintStatusLine(const std::string& text) { PrintStamped(stdout, text); }

void PrintErrorLine(const std::string& text) { PrintStamped(stderr, text); }

}  // namespace maj::app
