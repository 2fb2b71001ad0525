#pragma once

// The annotation's text as Qt lays it out and draws it (fonts, shaping,
// painting: Qt Gui and the ~45 libraries it loads), behind an interface
// without Qt types. The window and the tests link this code
// (geoframe_annotation_text); the command line loads the same code as a module
// (libgeoframe_text.so) only when it frames, so that its other commands start
// without Qt Gui. Either way the program hands the table below to
// UseAnnotationText (text_drawing.h), through which framing draws.

#include <cstddef>  // ptrdiff_t
#include <cstdint>
#include <memory>
#include <string>

namespace geoframe {

// The smallest font a long annotation shrinks to before it is cut short:
// still readable, half the strip's height.
inline constexpr int kMinAnnotationPixels = 10;

// Rows of RGB pixels (3 bytes each), pitch bytes apart, in the caller's memory.
struct RgbRows {
  std::uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t pitch = 0;
};

// True when the process has a QGuiApplication, which drawing text needs.
bool TextGuiRunning();

// Makes the QGuiApplication text drawing needs, for a program that has none
// (the command line): offscreen unless QT_QPA_PLATFORM names another
// platform, and without Qt's warning about a missing XDG_RUNTIME_DIR. Drawing
// on pictures needs no display, and one that cannot be reached (a stale
// DISPLAY after ssh) would stop the program. The application lives as long as
// the handle; an empty handle when one exists already.
std::shared_ptr<void> StartTextGui();

// Loads what every thread's text drawing shares: the font database
// (fontconfig's configuration and font list). Qt keeps faces, shaping and
// glyph caches per thread, so those are made by each drawing thread itself.
// Needs a QGuiApplication.
void PrepareFonts();

// The annotation as it is drawn under a photo column `width` pixels wide: at
// the strip's 20-pixel font when it fits, else at the largest smaller size
// (down to kMinAnnotationPixels) at which it fits, else at that size cut
// short with "…". Needs a QGuiApplication.
struct AnnotationFit {
  int pixelSize = 0;
  std::string text;
};
AnnotationFit FitAnnotation(const std::string& annotation, int width);

// Draws the annotation black on the strip, fitted to its width
// (FitAnnotation), left-aligned and vertically centred; nothing reaches past
// the strip. Needs a QGuiApplication.
void PaintAnnotation(const std::string& annotation, RgbRows strip);

// The functions above as a program finds them in the module.
struct AnnotationText {
  bool (*guiRunning)();
  std::shared_ptr<void> (*startGui)();
  void (*prepareFonts)();
  void (*paint)(const std::string& annotation, RgbRows strip);
};

// The name the module's table is looked up by.
inline constexpr char kAnnotationTextSymbol[] = "geoframe_annotation_text";

}  // namespace geoframe

// The table of the functions above (kAnnotationTextSymbol).
extern "C" const geoframe::AnnotationText* geoframe_annotation_text();
