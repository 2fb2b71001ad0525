// The main of test programs that build widgets: they need a QApplication, and
// never a screen (CTest also lists the cases without its test environment, so
// the platform is set here too). Framing draws with the text code the window
// links, as the window's own main sets it.
#include <gtest/gtest.h>

#include <QApplication>

#include "output/annotation_text.h"
#include "output/text_drawing.h"

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  geoframe::UseAnnotationText(*geoframe_annotation_text());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
