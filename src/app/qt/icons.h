#pragma once

#include <QPixmap>

namespace geoframe {

// The photo list's small icons (ImageList1), drawn by our own code: a small
// landscape (sky, sun, hills); the one for a photo with an EXIF time carries
// the red letters EX. size is the side in pixels (16 for the list, 32 for the
// window icon); the drawing scales with it.
QPixmap DrawPhotoIcon(int size, bool withExifLetters);

}  // namespace geoframe
