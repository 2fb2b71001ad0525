#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace geoframe {

// Where a JPEG's EXIF segment lies (its marker to its end), or, when it has
// none, the empty place where one goes: after SOI and any APP0 segments.
struct ExifSlot {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool found() const { return end > begin; }
};

// Walks the marker segments before the picture data. Throws OutputError
// (NotJpeg) when the bytes do not start with SOI or a segment runs past the end.
ExifSlot FindExifSlot(std::span<const std::uint8_t> jpeg);

// The TIFF block of the EXIF segment in the slot (after "Exif\0\0"); empty for
// an empty slot.
std::span<const std::uint8_t> ExifTiff(std::span<const std::uint8_t> jpeg, const ExifSlot& slot);

// The JPEG with the slot's bytes replaced by an APP1 EXIF segment holding the
// TIFF block; every other byte stays as it was. Throws OutputError
// (ExifTooLarge) when the block does not fit one segment.
std::vector<std::uint8_t> WithExifSegment(std::span<const std::uint8_t> jpeg, const ExifSlot& slot,
                                          std::span<const std::uint8_t> tiff);

}  // namespace geoframe
