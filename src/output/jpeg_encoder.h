#pragma once

#include <cstdint>
#include <vector>

#include "output/yuv_image.h"

// Encoding goes through TurboJPEG, which takes 4:2:0 planes as they are.

namespace geoframe {

// Encodes RGB rows (pitch bytes apart) as a baseline JPEG at the given quality
// (0-100), 4:2:0 chroma, without any metadata. Throws OutputError
// (EncodeFailed, with the encoder's message).
std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* rgb, int width, int height, int pitch,
                                     int quality);

// The same from 4:2:0 planes, which the encoder takes as they are.
std::vector<std::uint8_t> EncodeJpeg(const Yuv420Image& picture, int quality);

}  // namespace geoframe
