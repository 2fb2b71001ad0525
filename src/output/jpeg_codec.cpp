#include "output/jpeg_codec.h"

#include <turbojpeg.h>

#include <fstream>
#include <memory>

namespace geoframe {

namespace {

struct HandleCloser {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

Handle MakeDecompressor() {
  Handle handle(tjInitDecompress());
  if (!handle) throw JpegError("无法启动 JPEG 解码器");
  return handle;
}

std::string LastError(void* handle) { return tjGetErrorStr2(handle); }

// Stream size is held as unsigned long by TurboJPEG; a file larger than that cannot be a photo.
unsigned long StreamSize(std::span<const std::uint8_t> jpeg) {
  return static_cast<unsigned long>(jpeg.size());
}

PixelSize ReadHeader(void* handle, std::span<const std::uint8_t> jpeg) {
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  // A warning (e.g. stray bytes before a marker, which real cameras write)
  // still gives a usable header; only fatal errors mean there is none.
  if (tjDecompressHeader3(handle, jpeg.data(), StreamSize(jpeg), &width, &height, &subsampling,
                          &colorspace) != 0 &&
      tjGetErrorCode(handle) == TJERR_FATAL) {
    throw JpegError("不是可读的 JPEG 图像: " + LastError(handle));
  }
  if (width <= 0 || height <= 0) throw JpegError("JPEG 图像没有像素");
  return {width, height};
}

void Decode(void* handle, std::span<const std::uint8_t> jpeg, PixelSize size, std::uint8_t* rgb,
            int pitch) {
  // Warnings (a truncated stream, a corrupt segment) still give a picture; only
  // fatal errors fail the decode.
  if (tjDecompress2(handle, jpeg.data(), StreamSize(jpeg), rgb, size.width, pitch, size.height,
                    TJPF_RGB, 0) != 0 &&
      tjGetErrorCode(handle) == TJERR_FATAL) {
    throw JpegError("JPEG 图像无法解码: " + LastError(handle));
  }
}

RgbImage DecodeAtSize(void* handle, std::span<const std::uint8_t> jpeg, PixelSize size) {
  RgbImage image;
  image.width = size.width;
  image.height = size.height;
  image.pixels.resize(static_cast<std::size_t>(size.width) * size.height * 3);
  Decode(handle, jpeg, size, image.pixels.data(), size.width * 3);
  return image;
}

}  // namespace

std::vector<std::uint8_t> ReadJpegFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw JpegError("无法打开 " + path.string());
  std::streamoff length = in.tellg();
  if (length < 0) throw JpegError("无法读取 " + path.string());
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), length)) {
    throw JpegError("无法读取 " + path.string());
  }
  return bytes;
}

PixelSize ReadJpegSize(std::span<const std::uint8_t> jpeg) {
  Handle handle = MakeDecompressor();
  return ReadHeader(handle.get(), jpeg);
}

PixelSize ScaledJpegSize(PixelSize stored, int num, int denom) {
  tjscalingfactor factor{num, denom};
  return {TJSCALED(stored.width, factor), TJSCALED(stored.height, factor)};
}

RgbImage DecodeJpegAtLeast(std::span<const std::uint8_t> jpeg, int minWidth, int minHeight) {
  Handle handle = MakeDecompressor();
  PixelSize stored = ReadHeader(handle.get(), jpeg);
  int count = 0;
  tjscalingfactor* factors = tjGetScalingFactors(&count);
  PixelSize best = stored;
  for (int i = 0; i < count; ++i) {
    if (factors[i].num > factors[i].denom) continue;  // never enlarge
    PixelSize scaled = ScaledJpegSize(stored, factors[i].num, factors[i].denom);
    if (scaled.width >= minWidth && scaled.height >= minHeight && scaled.width < best.width) {
      best = scaled;
    }
  }
  return DecodeAtSize(handle.get(), jpeg, best);
}

RgbImage DecodeJpeg(std::span<const std::uint8_t> jpeg) {
  Handle handle = MakeDecompressor();
  return DecodeAtSize(handle.get(), jpeg, ReadHeader(handle.get(), jpeg));
}

void DecodeJpegInto(std::span<const std::uint8_t> jpeg, std::uint8_t* rgb, int pitch) {
  Handle handle = MakeDecompressor();
  Decode(handle.get(), jpeg, ReadHeader(handle.get(), jpeg), rgb, pitch);
}

std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* rgb, int width, int height, int pitch,
                                     int quality) {
  if (rgb == nullptr || width <= 0 || height <= 0) throw JpegError("没有可压缩的图像");
  Handle handle(tjInitCompress());
  if (!handle) throw JpegError("无法启动 JPEG 编码器");
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (tjCompress2(handle.get(), rgb, width, pitch, height, TJPF_RGB, &buffer, &size, TJSAMP_420,
                  quality, 0) != 0) {
    std::string reason = LastError(handle.get());
    tjFree(buffer);
    throw JpegError("图像无法压缩: " + reason);
  }
  std::vector<std::uint8_t> out(buffer, buffer + size);
  tjFree(buffer);
  return out;
}

}  // namespace geoframe
