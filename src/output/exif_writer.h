#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "timematch/geo_position.h"

// The only code that uses libexiv2: reading back what was written, and the
// EXIF a framed picture keeps. Writing EXIF goes through the table below,
// which a program puts in use (UseExifWriter, photo_exif.h): the tests link
// this code (geoframe_exif_writer), and the command line loads the same code
// as a module (libgeoframe_exif_writing.so) only when it writes EXIF, so that its
// other commands start without libexiv2.
namespace geoframe {

// Throws OutputError (ExifDamaged, detail: what differs) unless libexiv2 reads
// the written TIFF block with every tag of the original block outside the GPS
// IFD and the position's latitude and longitude as they were meant.
void CheckGpsWritten(std::span<const std::uint8_t> original, std::span<const std::uint8_t> written,
                     const GeoPosition& position);

// The original's EXIF (a TIFF block) for a framed picture of
// that size: Orientation 1, since the framed picture stands upright,
// PixelXDimension and PixelYDimension its size, and no thumbnail (IFD1).
// Throws OutputError: ExifDamaged when libexiv2 cannot read the block,
// ExifTooLarge when the result would not fit one segment.
std::vector<std::uint8_t> FramedExifTiff(std::span<const std::uint8_t> original, int width, int height);

// The functions above as a program finds them in the module.
struct ExifWriter {
  void (*checkGpsWritten)(std::span<const std::uint8_t> original, std::span<const std::uint8_t> written,
                          const GeoPosition& position);
  std::vector<std::uint8_t> (*framedExifTiff)(std::span<const std::uint8_t> original, int width, int height);
};

// The name the module's table is looked up by.
inline constexpr char kExifWriterSymbol[] = "geoframe_exif_writer";

}  // namespace geoframe

// The table of the functions above (kExifWriterSymbol).
extern "C" const geoframe::ExifWriter* geoframe_exif_writer();
