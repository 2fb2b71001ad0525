#pragma once

#include <cstddef>  // ptrdiff_t
#include <cstdint>
#include <vector>

#include "output/mapped_memory.h"
#include "output/image.h"

// Pictures as JPEG codes them: a luma plane (Y) and two chroma planes (Cb,
// Cr), in the full-range BT.601 colours JFIF defines, the chroma planes often
// at half the width or height of the picture.

namespace geoframe {

// Rows of single-byte samples, `pitch` bytes apart.
struct PlaneRows {
  std::uint8_t* data = nullptr;
  std::ptrdiff_t pitch = 0;

  std::uint8_t* row(int y) const { return data + y * pitch; }
  // The same rows from sample (x, y) on.
  PlaneRows From(int x, int y) const { return {row(y) + x, pitch}; }
};

// How many pixels across and down one chroma sample stands for, 1 or 2 each:
// 2 x 2 is 4:2:0, 2 x 1 is 4:2:2, 1 x 2 is 4:4:0 and 1 x 1 is 4:4:4.
struct ChromaSampling {
  int across = 1;
  int down = 1;
  bool operator==(const ChromaSampling&) const = default;
};

inline constexpr ChromaSampling kChroma420{2, 2};

// The chroma samples that stand for `pixels` pixels, `step` pixels each.
inline int ChromaCount(int pixels, int step) { return (pixels + step - 1) / step; }

// A strip of a picture in its stored orientation: luma rows firstRow to
// firstRow + rows - 1, and the chroma rows that stand for them (from chroma
// row firstRow / sampling.down on). A grey picture has no chroma rows; a
// strip whose luma went elsewhere has no luma rows.
struct YccStrip {
  int firstRow = 0;
  int rows = 0;
  const std::uint8_t* y = nullptr;
  std::ptrdiff_t yPitch = 0;
  const std::uint8_t* cb = nullptr;
  const std::uint8_t* cr = nullptr;
  std::ptrdiff_t chromaPitch = 0;
  ChromaSampling sampling;
};

// JFIF's colour conversion of `count` RGB pixels into Y, Cb and Cr samples, in
// 16-bit fixed point rounded as libjpeg's encoder rounds.
void RgbToYcc(const std::uint8_t* rgb, int count, std::uint8_t* y, std::uint8_t* cb, std::uint8_t* cr);

// A picture in Y, Cb and Cr planes with 4:2:0 chroma: chroma sample (x, y)
// stands for pixels (2x, 2y) to (2x + 1, 2y + 1). The luma plane has an even
// number of columns and rows, as a JPEG encoder reads it; an odd picture's
// last column or row beyond them is the caller's to fill. Its memory is asked
// of the kernel in one piece, in 2 MB pages where it allows them: first
// touching tens of MB in 4 KB pages can cost as much as decoding a photo.
class Yuv420Image {
 public:
  // Throws OutputError (OutOfMemory) when there is no memory for it.
  explicit Yuv420Image(PixelSize size);

  // The memory a picture of that size takes.
  static std::int64_t BytesFor(PixelSize size);

  PixelSize size() const { return size_; }
  int width() const { return size_.width; }
  int height() const { return size_.height; }
  PixelSize chromaSize() const { return {ChromaCount(size_.width, 2), ChromaCount(size_.height, 2)}; }
  PlaneRows y() const { return {memory_.data(), yPitch_}; }
  PlaneRows cb() const { return {memory_.data() + cbOffset_, chromaPitch_}; }
  PlaneRows cr() const { return {memory_.data() + crOffset_, chromaPitch_}; }

 private:
  PixelSize size_;
  MappedMemory memory_;
  std::ptrdiff_t yPitch_ = 0, chromaPitch_ = 0, cbOffset_ = 0, crOffset_ = 0;
};

// Places the strips of a stored picture, in order, into the 4:2:0 planes of
// its upright form (turned as ApplyOrientation turns): luma at `y`, and chroma
// at `cb` and `cr`, where the sample standing for upright pixels (0, 0) to
// (1, 1) goes. Each upright chroma sample is the mean of the stored samples of
// the pixels it stands for, as a JPEG encoder averages 2 x 2 pixels; where the
// turn mirrors an odd number of pixels, those straddle two stored samples.
// Samples for pixels beyond an odd picture's last column or row stand for the
// last pixels alone.
class UprightPlanes {
 public:
  // `sampling` is the strips' own; a grey picture's strips have no chroma,
  // and none is written.
  UprightPlanes(PixelSize stored, int orientation, ChromaSampling sampling, PlaneRows y, PlaneRows cb,
                PlaneRows cr);
  void Place(const YccStrip& strip);

 private:
  // The stored chroma samples (a, b) whose mean a 4:2:0 sample takes along one
  // stored side of `pixels` pixels.
  struct Taps {
    int a, b;
  };
  static Taps TapsOf(int index, int pixels, int step, bool mirrored);
  void FindRegularRun(int shift);
  void PlaceChroma(const YccStrip& strip);
  void Average(const std::uint8_t* rowA, const std::uint8_t* rowB, std::uint8_t* out) const;
  void AverageByTaps(const std::uint8_t* rowA, const std::uint8_t* rowB, std::uint8_t* out, int from, int to) const;

  PixelSize stored_;
  int orientation_;
  ChromaSampling sampling_;
  bool mirroredColumns_;
  PlaneRows y_, cb_, cr_;
  PixelSize chroma_;          // the stored 4:2:0 grid, before the turn
  std::vector<Taps> across_;  // per 4:2:0 column
  bool copiesAcross_ = false;  // each 4:2:0 column is one stored column
  // The columns [regularBegin_, regularEnd_) take taps 2x + shift_ and the
  // one after (full chroma) or x + shift_ and x (half-width chroma).
  int regularBegin_ = 0, regularEnd_ = 0, shift_ = 0;
  int nextRow_ = 0;           // the next 4:2:0 row to make
  // The last stored chroma row of the strip before, which a 4:2:0 row may
  // share with the next strip.
  std::vector<std::uint8_t> carryCb_, carryCr_;
  // A strip's 4:2:0 rows of Cb, then of Cr, made before they are turned.
  MappedMemory made_;
};

}  // namespace geoframe
