#include <QApplication>

#include <optional>

#include "app/command_line.h"
#include "app/frm_maj.h"

// With an option, runs it without a window; otherwise opens the main screen, and the program ends when it
// is closed.
int main(int argc, char* argv[]) {
  if (const std::optional<int> status = maj::app::RunCommandLine(argc, argv)) return *status;
  QApplication application(argc, argv);
  maj::app::Frm_maj screen;
  screen.show();
  return application.exec();
}
