#pragma once

#include <cstddef>  // ptrdiff_t
#include <cstdint>
#include <vector>

namespace geoframe {

// A decoded picture: 8-bit RGB, rows top to bottom, tightly packed.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 3 bytes

  bool empty() const { return width <= 0 || height <= 0; }
  std::uint8_t* row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width * 3; }
  const std::uint8_t* row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width * 3; }
};

struct PixelSize {
  int width = 0;
  int height = 0;
  bool operator==(const PixelSize&) const = default;
};

// EXIF orientations 5 to 8 store the picture on its side.
bool OrientationSwapsSides(int orientation);

// The size of a w x h stored picture once it stands upright.
PixelSize UprightSize(PixelSize stored, int orientation);

// The stored picture turned and mirrored so that it stands upright, following
// the EXIF orientation (1 as stored, 3 turned half round, 6 turned a quarter
// clockwise, 8 a quarter counter-clockwise, 2/4/5/7 the mirrored forms).
// Values outside 1..8 leave the picture as it is.
RgbImage ApplyOrientation(RgbImage image, int orientation);

// Writes the stored picture, turned upright as ApplyOrientation does, into the
// caller's RGB buffer (rows pitch bytes apart, at least the upright size), e.g.
// straight into a larger canvas.
void CopyUpright(const RgbImage& stored, int orientation, std::uint8_t* dst, int pitch);

// The same for a strip of a stored picture of size `stored`: `rows` RGB rows
// from stored row `firstRow` on, srcPitch bytes apart, each pixel written where
// it stands in the upright picture. Strips of 64 rows turn as fast as the whole.
void CopyUprightRows(const std::uint8_t* src, int srcPitch, PixelSize stored, int firstRow, int rows,
                     int orientation, std::uint8_t* dst, int pitch);

// The same for one plane of single-byte samples (a luma or chroma plane).
void CopyUprightPlaneRows(const std::uint8_t* src, std::ptrdiff_t srcPitch, PixelSize stored, int firstRow,
                          int rows, int orientation, std::uint8_t* dst, std::ptrdiff_t pitch);

// Whether the upright picture runs the stored picture's rows right to left
// (MirrorsStoredRows: orientations 2, 3, 7, 8) or its columns bottom to top
// (MirrorsStoredColumns: 3, 4, 6, 7), wherever they end up.
bool MirrorsStoredRows(int orientation);
bool MirrorsStoredColumns(int orientation);

}  // namespace geoframe
