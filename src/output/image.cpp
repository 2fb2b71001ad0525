#include "output/image.h"

#include <algorithm>  // min, swap_ranges
#include <cstddef>    // ptrdiff_t
#include <utility>

namespace geoframe {

bool OrientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

PixelSize UprightSize(PixelSize stored, int orientation) {
  if (OrientationSwapsSides(orientation)) return {stored.height, stored.width};
  return stored;
}

namespace {

// Where the stored pixel (x, y) lands in the upright picture of size (uw, uh).
// For each orientation the stored picture's first row shows what the EXIF
// standard says: e.g. 6 means the stored row 0 is the upright right-hand column.
std::pair<int, int> UprightPosition(int orientation, int x, int y, int w, int h) {
  switch (orientation) {
    case 2: return {w - 1 - x, y};
    case 3: return {w - 1 - x, h - 1 - y};
    case 4: return {x, h - 1 - y};
    case 5: return {y, x};
    case 6: return {h - 1 - y, x};
    case 7: return {h - 1 - y, w - 1 - x};
    case 8: return {y, w - 1 - x};
    default: return {x, y};
  }
}

// The byte offset in the upright picture of stored pixel (x, y) is
// origin + x * stepX + y * stepY, since UprightPosition is affine in x and y.
struct Placement {
  std::ptrdiff_t origin, stepX, stepY;
};

Placement PlacementOf(int orientation, int w, int h, int pitch) {
  auto offset = [&](int x, int y) {
    auto [ux, uy] = UprightPosition(orientation, x, y, w, h);
    return static_cast<std::ptrdiff_t>(uy) * pitch + static_cast<std::ptrdiff_t>(ux) * 3;
  };
  return {offset(0, 0), offset(1, 0) - offset(0, 0), offset(0, 1) - offset(0, 0)};
}

// Square tiles keep both the rows read and the columns written in the cache.
constexpr int kTile = 64;

}  // namespace

void CopyUprightRows(const std::uint8_t* src, int srcPitch, PixelSize stored, int firstRow, int rows,
                     int orientation, std::uint8_t* dst, int pitch) {
  const Placement at = PlacementOf(orientation, stored.width, stored.height, pitch);
  const int endRow = firstRow + rows;
  for (int tileY = firstRow; tileY < endRow; tileY += kTile) {
    const int endY = std::min(endRow, tileY + kTile);
    for (int tileX = 0; tileX < stored.width; tileX += kTile) {
      const int endX = std::min(stored.width, tileX + kTile);
      for (int y = tileY; y < endY; ++y) {
        const std::uint8_t* from =
            src + static_cast<std::size_t>(y - firstRow) * srcPitch + static_cast<std::size_t>(tileX) * 3;
        std::ptrdiff_t to = at.origin + y * at.stepY + tileX * at.stepX;
        for (int x = tileX; x < endX; ++x, from += 3, to += at.stepX) {
          dst[to] = from[0];
          dst[to + 1] = from[1];
          dst[to + 2] = from[2];
        }
      }
    }
  }
}

void CopyUpright(const RgbImage& stored, int orientation, std::uint8_t* dst, int pitch) {
  CopyUprightRows(stored.pixels.data(), stored.width * 3, {stored.width, stored.height}, 0, stored.height,
                  orientation, dst, pitch);
}

void FlipUprightInPlace(std::uint8_t* rgb, int width, int height, int pitch, int orientation) {
  const bool mirror = orientation == 2 || orientation == 3;
  const bool upsideDown = orientation == 3 || orientation == 4;
  auto row = [&](int y) { return rgb + static_cast<std::size_t>(y) * pitch; };
  if (upsideDown) {
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
      std::swap_ranges(row(top), row(top) + static_cast<std::size_t>(width) * 3, row(bottom));
    }
  }
  if (!mirror) return;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* line = row(y);
    for (int left = 0, right = width - 1; left < right; ++left, --right) {
      std::swap_ranges(line + left * 3, line + left * 3 + 3, line + right * 3);
    }
  }
}

RgbImage ApplyOrientation(RgbImage image, int orientation) {
  if (orientation < 2 || orientation > 8 || image.empty()) return image;
  PixelSize upright = UprightSize({image.width, image.height}, orientation);
  RgbImage out;
  out.width = upright.width;
  out.height = upright.height;
  out.pixels.resize(image.pixels.size());
  CopyUpright(image, orientation, out.pixels.data(), out.width * 3);
  return out;
}

}  // namespace geoframe
