// The main of test programs that draw text with Qt: text rendering needs a
// QGuiApplication, and it never needs a screen (CTest also lists the cases
// without its test environment, so the platform is set here too). Framing
// draws with the text code the tests link, as the window does.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include "output/annotation_text.h"
#include "output/text_drawing.h"

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  geoframe::UseAnnotationText(*geoframe_annotation_text());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
