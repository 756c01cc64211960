#include <QApplication>

#include <optional>

#include "app/command_line.h"

// Placeholder entry point: the screens arrive with their own work.
int main(int argc, char* argv[]) {
  if (const std::optional<int> status = maj::app::RunCommandLine(argc, argv)) return *status;
  QApplication application(argc, argv);
  return 0;
}
