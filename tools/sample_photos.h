#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace geoframe::tools {

// A minimal little-endian EXIF block (APP1 payload from "Exif\0\0" on) holding
// the orientation (tag 274) and, when exifDateTime ("YYYY:MM:DD HH:MM:SS") is
// not empty, the shooting time (tag 36867).
std::vector<std::uint8_t> MakeExifPayload(const std::string& exifDateTime, int orientation);

// The JPEG stream with an APP1 EXIF segment put right after its SOI marker.
std::vector<std::uint8_t> InsertExif(std::span<const std::uint8_t> jpeg, const std::string& exifDateTime,
                                     int orientation);

// A colourful pattern of gradients and fine stripes (varied by seed) as RGB rows.
std::vector<std::uint8_t> SamplePixels(int width, int height, unsigned seed);

// A JPEG of the pattern at quality 90, with an EXIF block when exifDateTime is
// not empty or orientation is not 1.
std::vector<std::uint8_t> MakeSamplePhoto(int width, int height, unsigned seed,
                                          const std::string& exifDateTime = "", int orientation = 1);

}  // namespace geoframe::tools
