#pragma once

#include <memory>

namespace geoframe::cli {

// Makes framing able to draw its annotation: puts in use the text code the
// program links, or else loads the text drawing module that lies beside the
// program (GEOFRAME_TEXT_MODULE, relative to the program's folder), and
// starts the QGuiApplication drawing needs (StartTextGui). The handle keeps
// the application. When the module cannot be loaded it says why on stderr
// and returns an empty handle: each annotation then fails as NoGui, and no
// photo that needs one is touched.
std::shared_ptr<void> StartTextDrawing();

}  // namespace geoframe::cli
