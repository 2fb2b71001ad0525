#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "output/mapped_memory.h"
#include "output/yuv_image.h"

// Encoding goes through TurboJPEG, which takes 4:2:0 planes as they are.

namespace geoframe {

// A JPEG stream in memory of its own: the first `size` bytes of `memory`,
// which holds TurboJPEG's bound for the picture (about three bytes a pixel,
// of which only the pages written take memory), so the encoder never grows
// it by copying.
struct EncodedJpeg {
  MappedMemory memory;
  std::size_t size = 0;
  std::span<const std::uint8_t> bytes() const { return {memory.data(), size}; }
};

// Encodes 4:2:0 planes, which the encoder takes as they are, as a baseline
// JPEG at the given quality (0-100), 4:2:0 chroma, without any metadata.
// Throws OutputError (EncodeFailed, with the encoder's message), bad_alloc.
EncodedJpeg EncodeJpegMapped(const Yuv420Image& picture, int quality);

// The same from RGB rows (pitch bytes apart), as a copy.
std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* rgb, int width, int height, int pitch, int quality);

}  // namespace geoframe
