#include <QApplication>

#include "app/frm_maj.h"

// Opens the main screen; the program ends when it is closed.
int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  maj::app::Frm_maj screen;
  screen.show();
  return application.exec();
}
