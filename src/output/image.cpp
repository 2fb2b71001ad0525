#include "output/image.h"

#include <algorithm>  // min
#include <bit>        // endian
#include <cstddef>    // ptrdiff_t
#include <cstring>    // memcpy
#include <utility>

#include "output/simd.h"

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

// Where a turn that swaps sides puts single-byte samples: stored rows become
// upright columns. A block of stored rows y to y + n - 1 becomes runs of n
// bytes in upright rows, which hold those rows in the other order when
// stepY is -1: reading them bottom up makes every run start at its lowest
// address.
struct TurnedBlocks {
  const std::uint8_t* src;
  std::ptrdiff_t srcPitch;
  int firstRow;
  Placement at;
  std::uint8_t* dst;

  // Row i of the n rows from stored row y on, counted bottom up for stepY -1.
  const std::uint8_t* Row(int y, int i, int n) const {
    return src + (y - firstRow + (at.stepY > 0 ? i : n - 1 - i)) * srcPitch;
  }
  // Where the run of stored column x's n samples from row y on starts.
  std::uint8_t* Run(int x, int y, int n) const {
    return dst + at.origin + x * at.stepX + (at.stepY > 0 ? y : y + n - 1) * at.stepY;
  }

  // The n x n block from stored (x, y), n 8 or 16.
  template <int n>
  void Turn(int x, int y) const;
};

template <>
void TurnedBlocks::Turn<8>(int x, int y) const {
  std::uint64_t block[8];
  for (int i = 0; i < 8; ++i) std::memcpy(&block[i], Row(y, i, 8) + x, 8);
  TransposeBytes(block);
  for (int c = 0; c < 8; ++c) std::memcpy(Run(x + c, y, 8), &block[c], 8);
}

#if GEOFRAME_SSE2
// Interleaving row i with row i + 8 byte by byte, four times over, turns a
// 16 x 16 block: each round moves the top bit of a byte's row number to the
// bottom of its column number and the column's top bit to the row's bottom.
template <>
void TurnedBlocks::Turn<16>(int x, int y) const {
  __m128i rows[16], next[16];
  for (int i = 0; i < 16; ++i) rows[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Row(y, i, 16) + x));
  for (int round = 0; round < 4; ++round) {
    for (int i = 0; i < 8; ++i) {
      next[2 * i] = _mm_unpacklo_epi8(rows[i], rows[i + 8]);
      next[2 * i + 1] = _mm_unpackhi_epi8(rows[i], rows[i + 8]);
    }
    std::memcpy(rows, next, sizeof rows);
  }
  for (int c = 0; c < 16; ++c) _mm_storeu_si128(reinterpret_cast<__m128i*>(Run(x + c, y, 16)), rows[c]);
}
#else
template <>
void TurnedBlocks::Turn<16>(int x, int y) const {
  for (int i = 0; i < 16; i += 8) {
    for (int j = 0; j < 16; j += 8) Turn<8>(x + j, y + i);
  }
}
#endif

// The n x n blocks of stored rows [top, bottom) and columns [left, right),
// both a whole number of blocks, in tiles that keep both the rows read and
// the columns written in the cache.
template <int n>
void TurnBlocks(const TurnedBlocks& blocks, int top, int bottom, int left, int right) {
  for (int tileX = left; tileX < right; tileX += kTile) {
    const int endX = std::min(right, tileX + kTile);
    for (int y = top; y < bottom; y += n) {
      for (int x = tileX; x < endX; x += n) blocks.Turn<n>(x, y);
    }
  }
}

// Single-byte samples of a turn that swaps sides. Blocks are read as runs of
// a stored row, turned in registers and written as runs of an upright row:
// writing single bytes down columns, each a row apart, costs several times as
// much. 16 x 16 blocks cover what they can, 8 x 8 ones the edges beyond them,
// and the last few samples go one by one.
void CopyTurnedBytes(const std::uint8_t* src, std::ptrdiff_t srcPitch, PixelSize stored, int firstRow, int rows,
                     const Placement& at, std::uint8_t* dst) {
  const TurnedBlocks blocks{src, srcPitch, firstRow, at, dst};
  const int endRow = firstRow + rows;
  const int rows16 = firstRow + rows / 16 * 16, rows8 = firstRow + rows / 8 * 8;
  const int columns16 = stored.width / 16 * 16, columns8 = stored.width / 8 * 8;
  TurnBlocks<16>(blocks, firstRow, rows16, 0, columns16);
  TurnBlocks<8>(blocks, firstRow, rows16, columns16, columns8);
  TurnBlocks<8>(blocks, rows16, rows8, 0, columns8);
  for (int y = firstRow; y < endRow; ++y) {
    for (int x = y < rows8 ? columns8 : 0; x < stored.width; ++x) {
      dst[at.origin + x * at.stepX + y * at.stepY] = src[(y - firstRow) * srcPitch + x];
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
