// libFuzzer harness for decoding, framing and encoding: every input is a whole
// JPEG stream, framed and encoded as the batch does it, with the orientation
// its last byte selects (an EXIF value 1 to 8, or 0, which leaves the photo as
// stored) and a short annotation. Built and run by `scripts/fuzz frame`.
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "output/annotation_text.h"
#include "output/frame_picture.h"
#include "output/output_error.h"
#include "output/jpeg_encoder.h"
#include "output/text_drawing.h"

namespace {

// Drawing the annotation needs a QGuiApplication: one for the whole run,
// offscreen unless the environment chooses a platform. It is destroyed at exit
// like any application object, so Qt releases its font caches. Framing draws
// with the text code linked in.
void StartGuiOnce() {
  static int argc = 1;
  static char name[] = "frame_fuzz";
  static char* argv[] = {name, nullptr};
  static const bool platformChosen = [] {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
  }();
  static QGuiApplication app(argc, argv);
  (void)platformChosen;
  geoframe::UseAnnotationText(*geoframe_annotation_text());
}

const std::string kAnnotation = " 西湖  N30°15.1234',E120°30.5678'  2010-12-06 16:30:15";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  StartGuiOnce();
  const int orientation = size > 0 ? data[size - 1] % 9 : 1;
  try {
    const geoframe::EncodedJpeg framed = geoframe::FrameJpegEncoded(std::span<const std::uint8_t>(data, size),
                                                                    orientation, kAnnotation, geoframe::kFramedQuality);
    (void)framed;
  } catch (const geoframe::OutputError&) {
    // Refusing a stream is the framer's answer to it; anything else escapes.
  }
  return 0;
}
