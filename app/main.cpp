#include <QApplication>

#include "CConsoleApp.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  orvane::CConsoleApp console;
  return console.run();
}
