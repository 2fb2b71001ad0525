#include "output/image.h"

#include <algorithm>  // min
#include <bit>        // endian
#include <cstddef>    // ptrdiff_t
#include <cstring>    // memcpy
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

Placement PlacementOf(int orientation, int w, int h, std::ptrdiff_t pitch, int bytes) {
  auto offset = [&](int x, int y) {
    auto [ux, uy] = UprightPosition(orientation, x, y, w, h);
    return static_cast<std::ptrdiff_t>(uy) * pitch + static_cast<std::ptrdiff_t>(ux) * bytes;
  };
  return {offset(0, 0), offset(1, 0) - offset(0, 0), offset(0, 1) - offset(0, 0)};
}

// Square tiles keep both the rows read and the columns written in the cache.
constexpr int kTile = 64;

// Turns an 8 x 8 block of bytes, row i in block[i] with byte j its column j
// (in the order of a little-endian load), so that block[j] holds column j:
// swaps bytes in 2 x 2 squares, then 2-byte pairs in 4 x 4, then 4-byte runs.
void TransposeBytes(std::uint64_t (&block)[8]) {
  constexpr std::uint64_t kMasks[3] = {0x00FF00FF00FF00FF, 0x0000FFFF0000FFFF, 0x00000000FFFFFFFF};
  for (int level = 0, span = 1; level < 3; ++level, span *= 2) {
    const int shift = 8 * span;
    for (int first = 0; first < 8; first += 2 * span) {
      for (int i = first, j = first + span; i < first + span; ++i, ++j) {
        const std::uint64_t swap = ((block[i] >> shift) ^ block[j]) & kMasks[level];
        block[j] ^= swap;
        block[i] ^= swap << shift;
      }
    }
  }
}

// Single-byte samples of a turn that swaps sides (stored rows become upright
// columns). Whole 8 x 8 blocks are read as eight 8-byte runs, turned in
// registers and written as eight runs: writing single bytes down columns,
// each a row apart, costs several times as much.
void CopyTurnedBytes(const std::uint8_t* src, std::ptrdiff_t srcPitch, PixelSize stored, int firstRow, int rows,
                     const Placement& at, std::uint8_t* dst) {
  auto from = [&](int x, int y) { return src + (y - firstRow) * srcPitch + x; };
  const int endRow = firstRow + rows, blockRows = firstRow + rows / 8 * 8, blockColumns = stored.width / 8 * 8;
  for (int tileX = 0; tileX < blockColumns; tileX += kTile) {
    const int endX = std::min(blockColumns, tileX + kTile);
    for (int y = firstRow; y < blockRows; y += 8) {
      for (int x = tileX; x < endX; x += 8) {
        std::uint64_t block[8];
        for (int i = 0; i < 8; ++i) std::memcpy(&block[i], from(x, y + i), 8);
        TransposeBytes(block);
        // block[c] is stored column x + c from row y on; upright, those rows
        // stand side by side, in the other order when stepY is -1
        const int lowRow = at.stepY > 0 ? y : y + 7;
        for (int c = 0; c < 8; ++c) {
          const std::uint64_t run = at.stepY > 0 ? block[c] : __builtin_bswap64(block[c]);
          std::memcpy(dst + at.origin + (x + c) * at.stepX + lowRow * at.stepY, &run, 8);
        }
      }
    }
  }
  for (int y = firstRow; y < endRow; ++y) {
    for (int x = y < blockRows ? blockColumns : 0; x < stored.width; ++x) {
      dst[at.origin + x * at.stepX + y * at.stepY] = *from(x, y);
    }
  }
}

// Pixels of kBytes bytes each. A row that stays a row going forwards is copied
// whole.
template <int kBytes>
void CopyRows(const std::uint8_t* src, std::ptrdiff_t srcPitch, PixelSize stored, int firstRow, int rows,
              int orientation, std::uint8_t* dst, std::ptrdiff_t pitch) {
  const Placement at = PlacementOf(orientation, stored.width, stored.height, pitch, kBytes);
  auto from = [&](int x, int y) { return src + (y - firstRow) * srcPitch + static_cast<std::ptrdiff_t>(x) * kBytes; };
  const int endRow = firstRow + rows;
  if (at.stepX == kBytes) {
    const auto rowBytes = static_cast<std::size_t>(stored.width) * kBytes;
    for (int y = firstRow; y < endRow; ++y) std::memcpy(dst + at.origin + y * at.stepY, from(0, y), rowBytes);
    return;
  }
  if constexpr (kBytes == 1 && std::endian::native == std::endian::little) {
    if (at.stepY == 1 || at.stepY == -1) {
      CopyTurnedBytes(src, srcPitch, stored, firstRow, rows, at, dst);
      return;
    }
  }
  for (int tileY = firstRow; tileY < endRow; tileY += kTile) {
    const int endY = std::min(endRow, tileY + kTile);
    for (int tileX = 0; tileX < stored.width; tileX += kTile) {
      const int endX = std::min(stored.width, tileX + kTile);
      for (int y = tileY; y < endY; ++y) {
        const std::uint8_t* pixel = from(tileX, y);
        std::ptrdiff_t to = at.origin + y * at.stepY + tileX * at.stepX;
        for (int x = tileX; x < endX; ++x, pixel += kBytes, to += at.stepX) {
          for (int b = 0; b < kBytes; ++b) dst[to + b] = pixel[b];
        }
      }
    }
  }
}

}  // namespace

void CopyUprightRows(const std::uint8_t* src, int srcPitch, PixelSize stored, int firstRow, int rows,
                     int orientation, std::uint8_t* dst, int pitch) {
  CopyRows<3>(src, srcPitch, stored, firstRow, rows, orientation, dst, pitch);
}

void CopyUprightPlaneRows(const std::uint8_t* src, std::ptrdiff_t srcPitch, PixelSize stored, int firstRow,
                          int rows, int orientation, std::uint8_t* dst, std::ptrdiff_t pitch) {
  CopyRows<1>(src, srcPitch, stored, firstRow, rows, orientation, dst, pitch);
}

// Placed in a 2 x 2 picture, stored pixel (1, 0) lands left of (0, 0) when the
// rows run backwards; (0, 1) lands left of or above (0, 0) when the columns do.
bool MirrorsStoredRows(int orientation) { return PlacementOf(orientation, 2, 2, 2, 1).stepX < 0; }
bool MirrorsStoredColumns(int orientation) { return PlacementOf(orientation, 2, 2, 2, 1).stepY < 0; }

void CopyUpright(const RgbImage& stored, int orientation, std::uint8_t* dst, int pitch) {
  CopyUprightRows(stored.pixels.data(), stored.width * 3, {stored.width, stored.height}, 0, stored.height,
                  orientation, dst, pitch);
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
