#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "output/image.h"
#include "output/yuv_image.h"

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
  // How DecodeJpegYccStrips hands the picture on. As stored: libjpeg's own
  // planes without any colour conversion, luma only (grey) or with chroma
  // sampled as `sampling` says. Otherwise (inks, streams coded in RGB, chroma
  // sampled other than every 1 or 2 pixels each way) decoded to RGB and
  // converted, with full chroma.
  bool asStored = false;
  bool grey = false;
  ChromaSampling sampling;
  // The memory the decoder itself takes at full size: for a progressive (or
  // other multi-scan) stream every DCT coefficient of the whole picture, two
  // bytes each, held until the last scan whatever the output size; and the
  // rows it and its callers work on.
  std::int64_t decoderBytes = 0;
};

// Every function here that reads a stream throws OutputError: NotJpeg (no
// readable header), NoPixels, Unsupported (a colour model or coding libjpeg
// cannot decode), TooLarge (beyond libjpeg's 65500 pixels a side), Damaged
// (compressed data that is corrupt, leaves bytes unread before a marker or
// ends early, where libjpeg would make up the missing pixels, or more than
// kMaxJpegScans scans) and OutOfMemory. Stray bytes between the header's
// segments, which some cameras write, are no damage, and neither is a
// missing end-of-image marker after every scan.

JpegHeader ReadJpegHeader(std::span<const std::uint8_t> jpeg);

// The stored pixel size.
PixelSize ReadJpegSize(std::span<const std::uint8_t> jpeg);

// Decodes the stream at the strongest DCT reduction (1/8, 2/8, ... 8/8) whose
// result is still at least minWidth x minHeight, so that a small preview of
// a large photo costs a fraction of a full decode.
RgbImage DecodeJpegAtLeast(std::span<const std::uint8_t> jpeg, int minWidth, int minHeight);

// The memory DecodeJpegAtLeast takes for the stream: the decoder's own (see
// JpegHeader::decoderBytes) and the reduced RGB picture.
std::int64_t DecodeAtLeastBytes(std::span<const std::uint8_t> jpeg, int minWidth, int minHeight);

// Decodes the stream at full size. These two refuse (TooLarge) a picture whose
// RGB pixels would take more than 1 GiB; callers with a budget check the
// header against it first.
RgbImage DecodeJpeg(std::span<const std::uint8_t> jpeg);

// Decodes the stream at full size in Y, Cb and Cr planes as the header's
// asStored, grey and sampling fields say, handing the rows on in order, in
// strips of kJpegStripRows (the last one shorter), so a caller that places
// them elsewhere (turned, say) never holds the whole decoded picture.
using YccStripSink = std::function<void(const YccStrip& strip)>;
void DecodeJpegYccStrips(std::span<const std::uint8_t> jpeg, const YccStripSink& sink);

// Decodes a stream whose planes libjpeg hands on as stored (the header's
// asStored) with luma straight into the caller's plane, overwriting up to 7
// samples past its last column and row as DecodeJpegPlanesInto does, and
// hands the chroma rows on in strips as DecodeJpegYccStrips does, without
// luma (y null). Throws OutputError (Unsupported) for any other stream.
void DecodeJpegLumaInto(std::span<const std::uint8_t> jpeg, PlaneRows y, const YccStripSink& chroma);

// Decodes a stream whose planes libjpeg hands on as stored (the header's
// asStored) a row of MCUs (8 or 16 luma rows) at a time, each component's
// rows where `place` says, and tells `decoded` after each row of MCUs how
// many luma rows are done. `place(component, first, count, rows)` fills `rows`
// with pointers to room for rows first to first + count - 1 of the component
// (0 luma, 1 Cb, 2 Cr), each its whole blocks long: up to 7 samples past its
// last column, and the last row of MCUs up to 7 rows past its last row, are
// overwritten. Throws OutputError (Unsupported) for any other stream.
using StoredRowsPlace = std::function<void(int component, int first, int count, std::uint8_t** rows)>;
void DecodeJpegStoredRows(std::span<const std::uint8_t> jpeg, const StoredRowsPlace& place,
                          const std::function<void(int decoded)>& decoded);

// Whether DecodeJpegPlanesInto takes the stream: stored grey or with 4:2:0
// chroma, as cameras write.
bool DecodesInto420(const JpegHeader& header);

// Decodes such a stream straight into the caller's 4:2:0 planes (chroma left
// alone for a grey one). libjpeg writes whole 8 x 8 blocks: up to 7 samples
// past the picture's last column and row in each plane are overwritten.
// Throws OutputError (Unsupported) for any other stream.
void DecodeJpegPlanesInto(std::span<const std::uint8_t> jpeg, PlaneRows y, PlaneRows cb, PlaneRows cr);

}  // namespace geoframe
