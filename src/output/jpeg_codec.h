#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "output/image.h"

namespace geoframe {

// The most scans a stream may have. Camera and editor files have about ten;
// each further scan is one more pass over every coefficient of the picture,
// so a stream repeating a scan thousands of times would keep the decoder busy
// for minutes.
inline constexpr int kMaxJpegScans = 100;

// Rows the decoder hands on at a time when it decodes in strips.
inline constexpr int kJpegStripRows = 64;

// What a JPEG stream's header tells before any pixel is decoded.
struct JpegHeader {
  PixelSize size;     // as stored, before any turn
  bool cmyk = false;  // four ink components (CMYK or YCCK), turned into RGB while decoding
  // The memory the decoder itself takes at full size: for a progressive (or
  // other multi-scan) stream every DCT coefficient of the whole picture, two
  // bytes each, held until the last scan whatever the output size; and the
  // rows it works on.
  std::int64_t decoderBytes = 0;
};

// Every function here that reads a stream throws OutputError: NotJpeg (no
// readable header), NoPixels, Unsupported (a colour model or coding libjpeg
// cannot decode), TooLarge (beyond libjpeg's 65500 pixels a side), Damaged
// (compressed data that is corrupt or ends early, where libjpeg would make
// up the missing pixels, or more than kMaxJpegScans scans) and OutOfMemory.
// Stray bytes before a marker, which some cameras write, are no damage.

JpegHeader ReadJpegHeader(std::span<const std::uint8_t> jpeg);

// The stored pixel size.
PixelSize ReadJpegSize(std::span<const std::uint8_t> jpeg);

// Decodes the stream at the strongest DCT reduction (1/8, 2/8, ... 8/8) whose
// result is still at least minWidth x minHeight, so that a small preview of
// a large photo costs a fraction of a full decode.
RgbImage DecodeJpegAtLeast(std::span<const std::uint8_t> jpeg, int minWidth, int minHeight);

// Decodes the stream at full size. These two refuse (TooLarge) a picture whose
// RGB pixels would take more than 1 GiB; callers with a budget check the
// header against it first.
RgbImage DecodeJpeg(std::span<const std::uint8_t> jpeg);

// Decodes the stream at full size straight into the caller's RGB buffer, whose
// rows are pitch bytes apart and which holds at least the stream's size.
void DecodeJpegInto(std::span<const std::uint8_t> jpeg, std::uint8_t* rgb, int pitch);

// Receives decoded RGB rows: `rows` rows from stored row `firstRow` on, each
// `pitch` bytes after the one before.
using JpegStripSink = std::function<void(const std::uint8_t* rgb, int pitch, int firstRow, int rows)>;

// Decodes the stream at full size, handing the rows on in order, in strips of
// kJpegStripRows (the last one shorter), so a caller that places them
// elsewhere (turned, say) never holds the whole decoded picture.
void DecodeJpegStrips(std::span<const std::uint8_t> jpeg, const JpegStripSink& sink);

// Encodes RGB rows (pitch bytes apart) as a baseline JPEG at the given quality
// (0-100), 4:2:0 chroma, without any metadata. Throws OutputError
// (EncodeFailed, with the encoder's message).
std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* rgb, int width, int height, int pitch,
                                     int quality);

}  // namespace geoframe
