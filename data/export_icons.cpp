// geoframe-export-icons DIR NAME SIZE...: draws the window's icon at each size
// and writes it as DIR/SIZExSIZE/apps/NAME.png, the hicolor theme's layout, so
// that menus show the same picture as the window.
#include <QDir>
#include <QGuiApplication>
#include <QIODevice>
#include <QPixmap>
#include <QSaveFile>
#include <QString>

#include <cstdio>
#include <cstdlib>  // EXIT_FAILURE
#include <optional>

#include "app/qt/icons.h"

namespace {

// A side in pixels, 1 to 1024; nothing for anything else.
std::optional<int> ParseSize(const char* text) {
  bool ok = false;
  const int size = QString::fromLocal8Bit(text).toInt(&ok);
  if (!ok || size < 1 || size > 1024) return std::nullopt;
  return size;
}

bool WriteIcon(const QString& dir, const QString& name, int size) {
  const QString folder = QStringLiteral("%1/%2x%2/apps").arg(dir).arg(size);
  const QString path = QStringLiteral("%1/%2.png").arg(folder, name);
  // The same drawing as MainWindow's window icon, which carries the EX letters;
  // written under a temporary name and renamed into place when complete.
  QSaveFile file(path);
  if (QDir().mkpath(folder) && file.open(QIODevice::WriteOnly) &&
      geoframe::DrawPhotoIcon(size, true).save(&file, "PNG") && file.commit()) {
    return true;
  }
  std::fprintf(stderr, "geoframe-export-icons: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  // QPixmap needs a GUI application; no screen is needed to draw into one.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: geoframe-export-icons DIR NAME SIZE...\n");
    return 2;
  }
  const QString dir = QString::fromLocal8Bit(argv[1]);
  const QString name = QString::fromLocal8Bit(argv[2]);
  for (int i = 3; i < argc; ++i) {
    const std::optional<int> size = ParseSize(argv[i]);
    if (!size) {
      std::fprintf(stderr, "geoframe-export-icons: bad size %s\n", argv[i]);
      return 2;
    }
    if (!WriteIcon(dir, name, *size)) return EXIT_FAILURE;
  }
  return 0;
}
