#include "output/yuv_image.h"

#include <algorithm>  // clamp
#include <cstring>    // memcpy
#include <new>        // bad_alloc

#include "output/output_error.h"
#include "output/simd.h"

namespace geoframe {

namespace {

// JFIF's conversion in 16-bit fixed point. Cb and Cr are offset by 128 and
// rounded half down, so that 255.5 cannot come out as 256.
constexpr int kShift = 16;
constexpr std::int32_t Fixed(double value) { return static_cast<std::int32_t>(value * (1 << kShift) + 0.5); }
constexpr std::int32_t kHalf = 1 << (kShift - 1);
constexpr std::int32_t kChromaOffset = (128 << kShift) + kHalf - 1;

// Rows start at multiples of 32 bytes, as SIMD code likes them.
std::ptrdiff_t RowBytes(std::int64_t samples) { return static_cast<std::ptrdiff_t>((samples + 31) / 32 * 32); }

int Even(int value) { return value + (value & 1); }

// The rounding bias of 4:2:0 column x: 1 and 2 in turn along the row, as
// libjpeg's encoder rounds its 2 x 2 means, so that halves round up as often
// as down.
int Bias(int x) { return 1 + (x & 1); }

#if GEOFRAME_SSE2
// 16-bit lanes of biases from an even column on.
__m128i Biases() { return _mm_set1_epi32(0x00020001); }

__m128i Load(const std::uint8_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

// The sums of the eight byte pairs of 16 bytes, in 16-bit lanes.
__m128i PairSums(__m128i bytes) {
  return _mm_add_epi16(_mm_and_si128(bytes, _mm_set1_epi16(0x00FF)), _mm_srli_epi16(bytes, 8));
}
#endif

// Means of 2 x 2 samples from an even 4:2:0 column on: out[i] takes a[2i],
// a[2i + 1], b[2i] and b[2i + 1].
void AveragePairs(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out, int count) {
  int i = 0;
#if GEOFRAME_SSE2
  auto means = [](const std::uint8_t* fromA, const std::uint8_t* fromB) {
    const __m128i sums = _mm_add_epi16(PairSums(Load(fromA)), PairSums(Load(fromB)));
    return _mm_srli_epi16(_mm_add_epi16(sums, Biases()), 2);
  };
  for (; i + 16 <= count; i += 16) {
    const __m128i made = _mm_packus_epi16(means(a + 2 * i, b + 2 * i), means(a + 2 * i + 16, b + 2 * i + 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), made);
  }
#endif
  for (; i < count; ++i) {
    out[i] = static_cast<std::uint8_t>((a[2 * i] + a[2 * i + 1] + b[2 * i] + b[2 * i + 1] + Bias(i)) >> 2);
  }
}

// The same where each 4:2:0 column takes one or two neighbouring samples of
// half-width rows: out[i] takes a[i], a[i + next], b[i] and b[i + next], with
// `next` 0 or 1.
void AverageNeighbours(const std::uint8_t* a, const std::uint8_t* b, int next, std::uint8_t* out, int count) {
  int i = 0;
#if GEOFRAME_SSE2
  const __m128i zero = _mm_setzero_si128();
  auto means = [&](auto widen, int at) {
    const __m128i sums = _mm_add_epi16(_mm_add_epi16(widen(Load(a + at), zero), widen(Load(a + at + next), zero)),
                                       _mm_add_epi16(widen(Load(b + at), zero), widen(Load(b + at + next), zero)));
    return _mm_srli_epi16(_mm_add_epi16(sums, Biases()), 2);
  };
  auto low = [](__m128i v, __m128i z) { return _mm_unpacklo_epi8(v, z); };
  auto high = [](__m128i v, __m128i z) { return _mm_unpackhi_epi8(v, z); };
  for (; i + 16 <= count; i += 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(means(low, i), means(high, i)));
  }
#endif
  for (; i < count; ++i) {
    out[i] = static_cast<std::uint8_t>((a[i] + a[i + next] + b[i] + b[i + next] + Bias(i)) >> 2);
  }
}

}  // namespace

void RgbToYcc(const std::uint8_t* rgb, int count, std::uint8_t* y, std::uint8_t* cb, std::uint8_t* cr) {
  for (int i = 0; i < count; ++i, rgb += 3) {
    const std::int32_t r = rgb[0], g = rgb[1], b = rgb[2];
    y[i] = static_cast<std::uint8_t>((Fixed(0.299) * r + Fixed(0.587) * g + Fixed(0.114) * b + kHalf) >> kShift);
    cb[i] = static_cast<std::uint8_t>((-Fixed(0.16874) * r - Fixed(0.33126) * g + Fixed(0.5) * b + kChromaOffset) >>
                                      kShift);
    cr[i] = static_cast<std::uint8_t>((Fixed(0.5) * r - Fixed(0.41869) * g - Fixed(0.08131) * b + kChromaOffset) >>
                                      kShift);
  }
}

std::int64_t Yuv420Image::BytesFor(PixelSize size) {
  const std::int64_t height = Even(size.height);
  return RowBytes(Even(size.width)) * height + 2 * RowBytes(Even(size.width) / 2) * (height / 2);
}

Yuv420Image::Yuv420Image(PixelSize size) : size_(size) {
  const int height = Even(size.height);
  yPitch_ = RowBytes(Even(size.width));
  chromaPitch_ = RowBytes(Even(size.width) / 2);
  cbOffset_ = yPitch_ * height;
  crOffset_ = cbOffset_ + chromaPitch_ * (height / 2);
  try {
    memory_ = MappedMemory(static_cast<std::size_t>(BytesFor(size)));
  } catch (const std::bad_alloc&) {
    throw OutputError(OutputErrorKind::OutOfMemory, OutputError::Fields{});
  }
}

UprightPlanes::UprightPlanes(PixelSize stored, int orientation, ChromaSampling sampling, PlaneRows y, PlaneRows cb,
                             PlaneRows cr)
    : stored_(stored),
      orientation_(orientation),
      sampling_(sampling),
      mirroredColumns_(MirrorsStoredColumns(orientation)),
      y_(y),
      cb_(cb),
      cr_(cr),
      chroma_{ChromaCount(stored.width, 2), ChromaCount(stored.height, 2)} {
  const bool mirroredRows = MirrorsStoredRows(orientation);
  across_.reserve(static_cast<std::size_t>(chroma_.width));
  copiesAcross_ = true;
  for (int x = 0; x < chroma_.width; ++x) {
    across_.push_back(TapsOf(x, stored.width, sampling.across, mirroredRows));
    copiesAcross_ = copiesAcross_ && across_.back().a == x && across_.back().b == x;
  }
  FindRegularRun(mirroredRows && stored.width % 2 == 1 ? -1 : 0);
  const auto sourceWidth = static_cast<std::size_t>(ChromaCount(stored.width, sampling.across));
  carryCb_.resize(sourceWidth);
  carryCr_.resize(sourceWidth);
}

UprightPlanes::Taps UprightPlanes::TapsOf(int index, int pixels, int step, bool mirrored) {
  // Mirrored, an odd side's pixel 2i of the upright picture is stored pixel
  // (pixels - 1 - 2i), which is even: the upright pairs are stored (2k - 1, 2k).
  const int first = mirrored && pixels % 2 == 1 ? 2 * index - 1 : 2 * index;
  return {std::clamp(first, 0, pixels - 1) / step, std::clamp(first + 1, 0, pixels - 1) / step};
}

// The columns whose taps follow the pattern of the whole row: a pair of full
// chroma samples from 2x + shift, or half-width samples x + shift and x.
// Only a column or two at the ends, clamped to the picture, differ.
void UprightPlanes::FindRegularRun(int shift) {
  shift_ = shift;
  auto regular = [&](int x) {
    const Taps t = across_[static_cast<std::size_t>(x)];
    return sampling_.across == 1 ? t.a == 2 * x + shift && t.b == t.a + 1 : t.a == x + shift && t.b == x;
  };
  const int columns = chroma_.width;
  int begin = 0;
  while (begin < columns && !regular(begin)) ++begin;
  begin += begin & 1;  // the biases of the run start at an even column
  int end = std::min(begin, columns);
  while (end < columns && regular(end)) ++end;
  regularBegin_ = end > begin ? begin : 0;
  regularEnd_ = end > begin ? end : 0;
}

void UprightPlanes::Place(const YccStrip& strip) {
  if (strip.y != nullptr) {
    CopyUprightPlaneRows(strip.y, strip.yPitch, stored_, strip.firstRow, strip.rows, orientation_, y_.data, y_.pitch);
  }
  if (strip.cb != nullptr && cb_.data != nullptr) PlaceChroma(strip);
}

// Makes every 4:2:0 row whose stored rows this strip (or the last row of the
// strip before) holds, and turns them into place.
void UprightPlanes::PlaceChroma(const YccStrip& strip) {
  const int first = strip.firstRow / sampling_.down;
  const int end = ChromaCount(strip.firstRow + strip.rows, sampling_.down);
  auto source = [&](const std::uint8_t* plane, const std::vector<std::uint8_t>& carry, int row) {
    return row < first ? carry.data() : plane + (row - first) * strip.chromaPitch;
  };
  const auto width = static_cast<std::size_t>(chroma_.width);
  const std::size_t most = static_cast<std::size_t>(strip.rows / 2 + 2) * width;
  if (made_.size() < 2 * most) made_ = MappedMemory(2 * most);
  std::uint8_t* madeCb = made_.data();
  std::uint8_t* madeCr = made_.data() + most;
  const int start = nextRow_;
  for (; nextRow_ < chroma_.height; ++nextRow_) {
    const Taps rows = TapsOf(nextRow_, stored_.height, sampling_.down, mirroredColumns_);
    if (rows.b >= end) break;
    const std::size_t at = static_cast<std::size_t>(nextRow_ - start) * width;
    Average(source(strip.cb, carryCb_, rows.a), source(strip.cb, carryCb_, rows.b), madeCb + at);
    Average(source(strip.cr, carryCr_, rows.a), source(strip.cr, carryCr_, rows.b), madeCr + at);
  }
  if (nextRow_ > start) {
    const auto pitch = static_cast<std::ptrdiff_t>(width);
    CopyUprightPlaneRows(madeCb, pitch, chroma_, start, nextRow_ - start, orientation_, cb_.data, cb_.pitch);
    CopyUprightPlaneRows(madeCr, pitch, chroma_, start, nextRow_ - start, orientation_, cr_.data, cr_.pitch);
  }
  std::memcpy(carryCb_.data(), source(strip.cb, carryCb_, end - 1), carryCb_.size());
  std::memcpy(carryCr_.data(), source(strip.cr, carryCr_, end - 1), carryCr_.size());
}

// The mean of four samples, rounded up and down in turn along the row as
// libjpeg's 2 x 2 downsampling rounds; a sample repeated four times stays.
// The regular run goes a row at a time, the columns at its ends by their taps.
void UprightPlanes::Average(const std::uint8_t* rowA, const std::uint8_t* rowB, std::uint8_t* out) const {
  if (copiesAcross_ && rowA == rowB) {
    std::memcpy(out, rowA, across_.size());
    return;
  }
  AverageByTaps(rowA, rowB, out, 0, regularBegin_);
  const int count = regularEnd_ - regularBegin_;
  if (count > 0 && sampling_.across == 1) {
    const int at = 2 * regularBegin_ + shift_;
    AveragePairs(rowA + at, rowB + at, out + regularBegin_, count);
  } else if (count > 0) {
    const int at = regularBegin_ + shift_;
    AverageNeighbours(rowA + at, rowB + at, -shift_, out + regularBegin_, count);
  }
  AverageByTaps(rowA, rowB, out, regularEnd_, chroma_.width);
}

void UprightPlanes::AverageByTaps(const std::uint8_t* rowA, const std::uint8_t* rowB, std::uint8_t* out, int from,
                                  int to) const {
  for (int x = from; x < to; ++x) {
    const Taps t = across_[static_cast<std::size_t>(x)];
    out[x] = static_cast<std::uint8_t>((rowA[t.a] + rowA[t.b] + rowB[t.a] + rowB[t.b] + Bias(x)) >> 2);
  }
}

}  // namespace geoframe
