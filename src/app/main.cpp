// geoframe: the window. Photos named on the command line (as a file manager or
// the desktop entry passes them) are added as 加入... adds chosen files.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

#include "app/argument_text.h"
#include "app/qt/main_window.h"
#include "io/folder.h"
#include "output/annotation_text.h"
#include "output/text_drawing.h"
#include "geoframe_version.h"

int main(int argc, char* argv[]) {
  geoframe::RaiseOpenFileLimit();
  QApplication app(argc, argv);
  geoframe::UseAnnotationText(*geoframe_annotation_text());  // framing draws with the text code linked in
  QApplication::setApplicationName(QStringLiteral("geoframe"));
  QApplication::setApplicationVersion(QStringLiteral(GEOFRAME_VERSION));
  // Lets desktop panels match the window to the desktop entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(GEOFRAME_APP_ID));
  geoframe::InstallChineseTranslations(app);

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("把 GPS 轨迹的位置和拍摄时间加到 JPEG 照片上。"));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("PHOTO"), QStringLiteral("要加入照片列表的 JPEG 照片。"),
                               QStringLiteral("[PHOTO...]"));
  // The arguments left after Qt took its own, as bytes: a photo's name need not be UTF-8.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments.append(geoframe::ArgumentText(argv[i]));
  // Usage errors end with status 2, as the command line's do.
  if (!parser.parse(arguments)) {
    std::fprintf(stderr, "geoframe: %s\n\n%s", qPrintable(parser.errorText()), qPrintable(parser.helpText()));
    return 2;
  }
  if (parser.isSet(help)) parser.showHelp(0);
  if (parser.isSet(version)) parser.showVersion();

  geoframe::MainWindow window;
  window.show();
  std::vector<std::string> photos;
  for (const QString& path : parser.positionalArguments()) photos.push_back(geoframe::ArgumentBytes(path));
  // Once the window stands, so that the progress strip and the summary show on it.
  if (!photos.empty()) QTimer::singleShot(0, &window, [&window, photos] { window.AddPhotos(photos); });
  return app.exec();
}
