#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "output/image.h"
#include "output/mapped_memory.h"
#include "output/yuv_image.h"

// Encoding goes through TurboJPEG, which takes 4:2:0 planes as they are, or,
// band by band, through libjpeg's own interface set up as TurboJPEG sets it
// up, which gives the same bytes without the whole picture in memory.

namespace geoframe {

// A JPEG stream in memory of its own: the first `size` bytes of `memory`,
// which holds TurboJPEG's bound for the picture (about three bytes a pixel,
// of which only the pages written take memory), so the encoder never grows
// it by copying.
struct EncodedJpeg {
  MappedMemory memory;
  std::size_t size = 0;
  PixelSize picture;  // the size of the picture it encodes
  std::span<const std::uint8_t> bytes() const { return {memory.data(), size}; }
};

// Encodes 4:2:0 planes, which the encoder takes as they are, as a baseline
// JPEG at the given quality (0-100), 4:2:0 chroma, without any metadata.
// Throws OutputError (EncodeFailed, with the encoder's message), bad_alloc.
EncodedJpeg EncodeJpegMapped(const Yuv420Image& picture, int quality);

// Encodes a 4:2:0 picture band by band as it is made, into the bytes
// EncodeJpegMapped writes for the same planes (unless TurboJPEG's own TJ_*
// environment variables, which only it heeds, ask it for other coding).
class BandEncoder {
 public:
  // Luma rows a band holds; it holds half as many rows of each chroma plane.
  static constexpr int kBandRows = 16;

  // A quality of 0-100. Throws OutputError (EncodeFailed for an empty
  // picture), bad_alloc.
  BandEncoder(PixelSize size, int quality);
  ~BandEncoder();
  BandEncoder(const BandEncoder&) = delete;
  BandEncoder& operator=(const BandEncoder&) = delete;

  // The samples a row must hold: the picture's width rounded up to whole
  // MCUs (16 samples). Past its even width they repeat its last even column,
  // as EncodeJpegMapped pads, and the rows of the last band past its even
  // height repeat its last even row.
  static int RowSamples(int width);

  // The next band: kBandRows luma rows and kBandRows / 2 rows of each chroma
  // plane, as pointers to rows of RowSamples(width) and RowSamples(width) / 2
  // samples.
  void Write(std::uint8_t* const* y, std::uint8_t* const* cb, std::uint8_t* const* cr);

  // The stream, once every band of the picture is written.
  EncodedJpeg Finish();

 private:
  struct Compression;
  std::unique_ptr<Compression> compression_;
};

// The same from RGB rows (pitch bytes apart), as a copy.
std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* rgb, int width, int height, int pitch, int quality);

}  // namespace geoframe
