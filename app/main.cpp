#include <QApplication>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/command_line_options.h"
#include "app/frm_maj.h"

// With an option, runs it without a window; otherwise opens the main screen, and the program ends when it
// is closed. `--installation DOSSIER` is taken first, so that everything after it reads that folder.
int main(int argc, char* argv[]) {
  std::vector<std::string> arguments(argv, argv + argc);
  if (const auto error = maj::app::TakeInstallationOption(arguments)) {
    std::fprintf(stderr, "maj : %s\nmaj --help décrit les options.\n", error->message.c_str());
    return maj::app::kExitBadUsage;
  }
  std::vector<char*> rest;
  for (std::string& argument : arguments) rest.push_back(argument.data());
  rest.push_back(nullptr);
  int restCount = static_cast<int>(arguments.size());

  if (const std::optional<int> status = maj::app::RunCommandLine(restCount, rest.data())) return *status;
  QApplication application(restCount, rest.data());
  maj::app::Frm_maj screen;
  screen.show();
  return application.exec();
}
