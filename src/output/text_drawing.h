#pragma once

#include <string>

#include "output/annotation_text.h"

namespace geoframe {

// Framing draws its annotation through the text code the program puts in use
// here: the window and the tests hand over the code they link, the command
// line the module it loads when it frames. Without it, or without a
// QGuiApplication, an annotation cannot be drawn (OutputError NoGui).
//
// Qt sets up its font database, the annotation's fonts and the gamma table
// for drawing text on RGB pictures the first time a glyph is drawn, the gamma
// table unguarded: two threads drawing their first glyph at once may both
// make it, and one frees the table the other uses. So the first drawing of a
// batch happens alone: until one drawing has ended since BeginTextBatch, a
// drawing waits while another is under way and then goes alone itself. A
// batch loads the font database (WarmUpText) on its caller's thread while its
// workers decode; it draws nothing there, because Qt keeps a thread's faces
// and glyph caches to that thread, and a worker would make them again.

void UseAnnotationText(const AnnotationText& text);

// The text code in use; nullptr when there is none.
const AnnotationText* AnnotationTextInUse();

// Draws the annotation on the strip (PaintAnnotation) with the text code in
// use. Throws OutputError NoGui when there is none or no QGuiApplication.
void DrawAnnotationText(const std::string& annotation, RgbRows strip);

// A batch's drawing is about to start: its first drawing goes alone again.
// Called before the batch's workers start.
void BeginTextBatch();

// The warm-up: loads the font database (PrepareFonts), alone as a first
// drawing is, unless a drawing has ended since BeginTextBatch. Does nothing
// when no text can be drawn; a warm-up that fails (out of memory) leaves it
// to the first drawing. Never throws.
void WarmUpText();

}  // namespace geoframe
