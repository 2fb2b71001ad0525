#include "output/image.h"

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

}  // namespace

void CopyUpright(const RgbImage& stored, int orientation, std::uint8_t* dst, int pitch) {
  for (int y = 0; y < stored.height; ++y) {
    const std::uint8_t* src = stored.row(y);
    for (int x = 0; x < stored.width; ++x) {
      auto [ux, uy] = UprightPosition(orientation, x, y, stored.width, stored.height);
      std::uint8_t* to = dst + static_cast<std::size_t>(uy) * pitch + static_cast<std::size_t>(ux) * 3;
      to[0] = src[x * 3];
      to[1] = src[x * 3 + 1];
      to[2] = src[x * 3 + 2];
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
