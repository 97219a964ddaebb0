// marevert: the desktop program.

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Orvane");
  QApplication::setApplicationName("marevert");
  QMessageBox::information(nullptr, "Marevert", "Marevert");
  return 0;
}
