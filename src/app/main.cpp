// geoframe: the window.
#include <QApplication>

#include "app/qt/main_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  geoframe::InstallChineseTranslations(app);
  geoframe::MainWindow window;
  window.show();
  return app.exec();
}
