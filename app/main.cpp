#include <QApplication>

// Placeholder entry point: the screens arrive with their own work.
int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  return 0;
}
