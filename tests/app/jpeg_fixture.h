#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace geoframe::testing {

// A small real JPEG photo, width x height, its top half red and its bottom half
// blue, optionally carrying an EXIF segment (little-endian) with the shooting
// time (tag 36867, e.g. "2010:12:06 08:30:15") and the orientation (tag 274).
// An empty time and orientation 0 leave the tag out; both left out give a
// plain JFIF file without EXIF.
std::vector<std::uint8_t> MakeJpegPhoto(int width, int height, const std::string& exifTime = {},
                                        int orientation = 0);

}  // namespace geoframe::testing
