#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "output/image.h"

namespace geoframe {

// The one exception type of the JPEG codec wrapper.
class JpegError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole file's bytes. Throws JpegError naming the file when it cannot be read.
std::vector<std::uint8_t> ReadJpegFile(const std::filesystem::path& path);

// The stored pixel size of a JPEG stream. Throws JpegError.
PixelSize ReadJpegSize(std::span<const std::uint8_t> jpeg);

// The reduced size libjpeg-turbo decodes to at scale num/denom.
PixelSize ScaledJpegSize(PixelSize stored, int num, int denom);

// Decodes the stream at the strongest DCT reduction (1/8, 1/4, 3/8, 1/2, ...)
// whose result is still at least minWidth x minHeight, so that a small preview
// of a large photo costs a fraction of a full decode. Throws JpegError.
RgbImage DecodeJpegAtLeast(std::span<const std::uint8_t> jpeg, int minWidth, int minHeight);

// Decodes the stream at full size. Throws JpegError.
RgbImage DecodeJpeg(std::span<const std::uint8_t> jpeg);

// Decodes the stream at full size straight into the caller's RGB buffer, whose
// rows are pitch bytes apart and which holds at least the stream's size.
// Throws JpegError.
void DecodeJpegInto(std::span<const std::uint8_t> jpeg, std::uint8_t* rgb, int pitch);

// Encodes RGB rows (pitch bytes apart) as a baseline JPEG at the given quality
// (0-100), 4:2:0 chroma, without any metadata. Throws JpegError.
std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* rgb, int width, int height, int pitch,
                                     int quality);

}  // namespace geoframe
