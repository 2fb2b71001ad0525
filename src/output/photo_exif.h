#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "output/jpeg_segments.h"
#include "timematch/geo_position.h"

namespace geoframe {

struct ExifWriter;

// EXIF is written through the libexiv2 code the program puts in use here
// (exif_writer.h): the tests hand over the code they link, the command line
// the module it loads when it writes EXIF. Without it, writing EXIF fails
// with OutputError NoExifWriter.
void UseExifWriter(const ExifWriter& writer);

// The EXIF code in use; nullptr when there is none.
const ExifWriter* ExifWriterInUse();

// The photo with a GPS IFD for the position in its EXIF segment (a segment
// inserted after SOI and APP0 when it has none). Only that segment changes:
// every other byte, the compressed picture above all, stays as it was, and so
// does everything the EXIF held but an earlier GPS IFD. Throws OutputError
// naming the photo: NotJpeg, ExifDamaged (the EXIF cannot be read, or does not
// read back as written), ExifTooLarge, NoExifWriter.
std::vector<std::uint8_t> WithGpsExif(std::span<const std::uint8_t> jpeg, const GeoPosition& position,
                                      const std::string& path);

// A framed picture's JPEG with an EXIF segment after its JFIF header: the
// original's EXIF made to fit the framed picture (see FramedExifTiff) when
// keepOriginal, and a GPS IFD for the position when there is one. Throws
// OutputError naming the photo: NotJpeg, ExifDamaged, ExifTooLarge,
// NoExifWriter (only where the original's EXIF is kept).
std::vector<std::uint8_t> WithFramedExif(std::span<const std::uint8_t> framed, int width, int height,
                                         std::span<const std::uint8_t> original, bool keepOriginal,
                                         const std::optional<GeoPosition>& position, const std::string& path);

// That EXIF as the APP1 segment WithFramedExif puts after the JFIF header, for
// a caller that inserts it together with other segments; none when the
// picture gets no EXIF. Throws as WithFramedExif does.
std::optional<JpegSegment> FramedExifSegment(int width, int height, std::span<const std::uint8_t> original,
                                             bool keepOriginal, const std::optional<GeoPosition>& position,
                                             const std::string& path);

}  // namespace geoframe
