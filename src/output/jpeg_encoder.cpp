#include "output/jpeg_encoder.h"

#include <turbojpeg.h>

#include <memory>
#include <string>
#include <utility>  // move

#include "output/output_error.h"

namespace geoframe {

namespace {

OutputError EncodeFailed(std::string detail) {
  OutputError::Fields fields;
  fields.detail = std::move(detail);
  return OutputError(OutputErrorKind::EncodeFailed, std::move(fields));
}

struct TurboDestroy {
  void operator()(void* handle) const { tjDestroy(handle); }
};

// Runs one TurboJPEG compression of a width x height picture into a buffer
// of TurboJPEG's bound for it, which it then neither grows nor frees
// (TJFLAG_NOREALLOC).
template <typename Compress>
EncodedJpeg Encoded(int width, int height, Compress&& compress) {
  if (width <= 0 || height <= 0) throw EncodeFailed("no picture");
  const unsigned long bound = tjBufSize(width, height, TJSAMP_420);
  if (bound == static_cast<unsigned long>(-1)) throw EncodeFailed(tjGetErrorStr2(nullptr));
  const std::unique_ptr<void, TurboDestroy> handle(tjInitCompress());
  if (!handle) throw EncodeFailed(tjGetErrorStr2(nullptr));
  EncodedJpeg encoded{MappedMemory(bound), 0};
  unsigned char* buffer = encoded.memory.data();
  unsigned long size = bound;
  if (compress(handle.get(), &buffer, &size) != 0) throw EncodeFailed(tjGetErrorStr2(handle.get()));
  encoded.size = size;
  return encoded;
}

}  // namespace

EncodedJpeg EncodeJpegMapped(const Yuv420Image& picture, int quality) {
  const unsigned char* planes[3] = {picture.y().data, picture.cb().data, picture.cr().data};
  const int strides[3] = {static_cast<int>(picture.y().pitch), static_cast<int>(picture.cb().pitch),
                          static_cast<int>(picture.cr().pitch)};
  return Encoded(picture.width(), picture.height(), [&](tjhandle handle, unsigned char** buffer, unsigned long* size) {
    return tjCompressFromYUVPlanes(handle, planes, picture.width(), strides, picture.height(), TJSAMP_420, buffer,
                                   size, quality, TJFLAG_NOREALLOC);
  });
}

std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* rgb, int width, int height, int pitch, int quality) {
  if (rgb == nullptr) throw EncodeFailed("no picture");
  const EncodedJpeg encoded = Encoded(width, height, [&](tjhandle handle, unsigned char** buffer, unsigned long* size) {
    return tjCompress2(handle, rgb, width, pitch, height, TJPF_RGB, buffer, size, TJSAMP_420, quality,
                       TJFLAG_NOREALLOC);
  });
  return {encoded.bytes().begin(), encoded.bytes().end()};
}

}  // namespace geoframe
