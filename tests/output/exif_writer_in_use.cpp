// Linked into the tests that write EXIF: the libexiv2 code they link is the
// code in use, as the command line's module is when it writes EXIF.
#include "output/exif_writer.h"
#include "output/photo_exif.h"

namespace {

[[maybe_unused]] const bool kExifWriterInUse = (geoframe::UseExifWriter(*geoframe_exif_writer()), true);

}  // namespace
