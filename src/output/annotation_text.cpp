#include "output/annotation_text.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QtGlobal>  // qInstallMessageHandler

#include "output/frame_picture.h"  // kTextStripHeight

namespace geoframe {

namespace {

// SimSun 15 pt bold at 96 dpi is 20 pixels; it is asked for by its English
// and its Chinese family name (written as escapes), and Noto Serif CJK SC
// stands in where SimSun is missing.
// Made once and kept for the whole run (never destroyed, so it cannot outlive
// the font database at exit).
const QFont& AnnotationFont() {
  static const QFont* font = [] {
    auto* made = new QFont();
    made->setFamilies({QStringLiteral("SimSun"), QStringLiteral("\u5B8B\u4F53"), QStringLiteral("Noto Serif CJK SC")});
    made->setBold(true);
    made->setPixelSize(kTextStripHeight);
    made->setStyleStrategy(QFont::PreferAntialias);
    return made;
  }();
  return *font;
}

// Qt looks for a Wayland socket in XDG_RUNTIME_DIR when it starts, and warns
// on stderr where that is not set (ssh, cron, a container): nothing a program
// drawing offscreen needs. That warning is dropped; every other message goes
// to the handler Qt had.
QtMessageHandler qtMessageHandler = nullptr;

void DropRuntimeDirWarning(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
  qtMessageHandler(type, context, message);
}

}  // namespace

bool TextGuiRunning() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

std::shared_ptr<void> StartTextGui() {
  if (QCoreApplication::instance() != nullptr) return {};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qtMessageHandler = qInstallMessageHandler(DropRuntimeDirWarning);
  // The application keeps references to its arguments for its whole life.
  static int argc = 1;
  static char name[] = "geoframe-cli";
  static char* argv[] = {name, nullptr};
  return std::make_shared<QGuiApplication>(argc, argv);
}

void PrepareFonts() { QFontDatabase::families(); }

AnnotationFit FitAnnotation(const std::string& annotation, int width) {
  const QString line = QString::fromStdString(annotation);
  QFont font = AnnotationFont();
  for (int pixels = kTextStripHeight; pixels >= kMinAnnotationPixels; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetricsF(font).horizontalAdvance(line) <= width) return {pixels, annotation};
  }
  return {kMinAnnotationPixels, QFontMetricsF(font).elidedText(line, Qt::ElideRight, width).toStdString()};
}

void PaintAnnotation(const std::string& annotation, RgbRows strip) {
  QImage image(strip.bits, strip.width, strip.height, strip.pitch, QImage::Format_RGB888);
  const AnnotationFit fit = FitAnnotation(annotation, strip.width);
  QFont font = AnnotationFont();
  font.setPixelSize(fit.pixelSize);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setFont(font);
  painter.setPen(Qt::black);
  // Left to right whatever the line's first letters: a comment in a
  // right-to-left script keeps coordinate and time after it.
  painter.drawText(QRect(0, 0, strip.width, strip.height),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextForceLeftToRight,
                   QString::fromStdString(fit.text));
}

}  // namespace geoframe

// Exported from the module even where it hides its other symbols.
extern "C" [[gnu::visibility("default")]] const geoframe::AnnotationText* geoframe_annotation_text() {
  static constexpr geoframe::AnnotationText text{geoframe::TextGuiRunning, geoframe::StartTextGui,
                                                 geoframe::PrepareFonts, geoframe::PaintAnnotation};
  return &text;
}
