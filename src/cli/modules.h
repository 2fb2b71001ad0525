#pragma once

#include <memory>

// The command line links neither Qt Gui nor libexiv2: it loads the code that
// needs them as modules, from the folder beside the program (GEOFRAME_TEXT_MODULE
// and GEOFRAME_EXIF_MODULE, relative to the program's folder), only for the
// runs that draw text or write EXIF.

namespace geoframe::cli {

// Makes framing able to draw its annotation: puts in use the text code the
// program links, or else loads the text drawing module, and starts the
// QGuiApplication drawing needs (StartTextGui). The handle keeps the
// application. When the module cannot be loaded it says why on stderr and
// returns an empty handle: each annotation then fails as NoGui, and no photo
// that needs one is touched.
std::shared_ptr<void> StartTextDrawing();

// Makes the batch able to write EXIF: puts in use the EXIF code the program
// links, or else loads the EXIF module. When the module cannot be loaded it
// says why on stderr: each photo whose EXIF is to be written then fails as
// NoExifWriter, and is not touched.
void StartExifWriting();

}  // namespace geoframe::cli
