#include "output/jpeg_encoder.h"

#include <turbojpeg.h>

#include <memory>
#include <string>
#include <utility>  // move
#include <vector>

#include "output/output_error.h"

namespace geoframe {

namespace {

OutputError EncodeFailed(std::string detail) {
  OutputError::Fields fields;
  fields.detail = std::move(detail);
  return OutputError(OutputErrorKind::EncodeFailed, std::move(fields));
}

struct TurboFree {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};
struct TurboDestroy {
  void operator()(void* handle) const { tjDestroy(handle); }
};

// Runs one TurboJPEG compression into a buffer it allocates; the bytes it made.
template <typename Compress>
std::vector<std::uint8_t> Encoded(Compress&& compress) {
  std::unique_ptr<void, TurboDestroy> handle(tjInitCompress());
  if (!handle) throw EncodeFailed(tjGetErrorStr2(nullptr));
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const int status = compress(handle.get(), &buffer, &size);
  const std::unique_ptr<unsigned char, TurboFree> owned(buffer);
  if (status != 0) throw EncodeFailed(tjGetErrorStr2(handle.get()));
  return {owned.get(), owned.get() + size};
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* rgb, int width, int height, int pitch,
                                     int quality) {
  if (rgb == nullptr || width <= 0 || height <= 0) throw EncodeFailed("no picture");
  return Encoded([&](tjhandle handle, unsigned char** buffer, unsigned long* size) {
    return tjCompress2(handle, rgb, width, pitch, height, TJPF_RGB, buffer, size, TJSAMP_420, quality, 0);
  });
}

std::vector<std::uint8_t> EncodeJpeg(const Yuv420Image& picture, int quality) {
  if (picture.width() <= 0 || picture.height() <= 0) throw EncodeFailed("no picture");
  const unsigned char* planes[3] = {picture.y().data, picture.cb().data, picture.cr().data};
  const int strides[3] = {static_cast<int>(picture.y().pitch), static_cast<int>(picture.cb().pitch),
                          static_cast<int>(picture.cr().pitch)};
  return Encoded([&](tjhandle handle, unsigned char** buffer, unsigned long* size) {
    return tjCompressFromYUVPlanes(handle, planes, picture.width(), strides, picture.height(), TJSAMP_420, buffer,
                                   size, quality, 0);
  });
}

}  // namespace geoframe
