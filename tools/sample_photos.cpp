#include "sample_photos.h"

#include <turbojpeg.h>

#include <algorithm>  // std::max
#include <memory>
#include <stdexcept>

#include "output/jpeg_encoder.h"

namespace geoframe::tools {

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// One 12-byte IFD entry; `value` is the inline value or the data's offset.
void PutEntry(std::vector<std::uint8_t>& out, unsigned tag, unsigned type, std::uint32_t count,
              std::uint32_t value) {
  Put16(out, tag);
  Put16(out, type);
  Put32(out, count);
  Put32(out, value);
}

constexpr unsigned kShort = 3, kLong = 4, kAscii = 2;

// TurboJPEG with the options the production encoder does not offer.
std::vector<std::uint8_t> Compress(const std::uint8_t* pixels, int width, int height, int pixelFormat,
                                   int subsampling, int quality, int flags) {
  const std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitCompress(), tjDestroy);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const int status = tjCompress2(handle.get(), pixels, width, 0, height, pixelFormat, &buffer, &size,
                                 subsampling, quality, flags);
  const std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(buffer, tjFree);
  if (status != 0) throw std::runtime_error(tjGetErrorStr2(handle.get()));
  return {owned.get(), owned.get() + size};
}

}  // namespace

std::vector<std::uint8_t> MakeExifPayload(const std::string& exifDateTime, int orientation) {
  // Offsets count from the TIFF header: IFD0 (2 entries) at 8, the Exif IFD
  // (1 entry) at 38, the time text at 56.
  constexpr std::uint32_t kIfd0 = 8, kExifIfd = kIfd0 + 2 + 2 * 12 + 4, kTimeText = kExifIfd + 2 + 12 + 4;
  const bool withTime = !exifDateTime.empty();
  std::vector<std::uint8_t> out = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0};
  Put32(out, kIfd0);
  Put16(out, withTime ? 2 : 1);
  PutEntry(out, 274, kShort, 1, static_cast<std::uint32_t>(orientation));
  if (withTime) PutEntry(out, 0x8769, kLong, 1, kExifIfd);
  Put32(out, 0);
  if (!withTime) return out;
  Put16(out, 1);
  PutEntry(out, 36867, kAscii, static_cast<std::uint32_t>(exifDateTime.size() + 1), kTimeText);
  Put32(out, 0);
  out.insert(out.end(), exifDateTime.begin(), exifDateTime.end());
  out.push_back(0);
  return out;
}

std::vector<std::uint8_t> InsertExif(std::span<const std::uint8_t> jpeg, const std::string& exifDateTime,
                                     int orientation) {
  if (jpeg.size() < 2 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) throw std::invalid_argument("not a JPEG");
  std::vector<std::uint8_t> payload = MakeExifPayload(exifDateTime, orientation);
  std::vector<std::uint8_t> out = {0xFF, 0xD8, 0xFF, 0xE1};
  std::size_t length = payload.size() + 2;
  out.push_back(static_cast<std::uint8_t>(length >> 8));
  out.push_back(static_cast<std::uint8_t>(length & 0xFF));
  out.insert(out.end(), payload.begin(), payload.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

std::vector<std::uint8_t> SamplePixels(int width, int height, unsigned seed) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = rgb.data() + static_cast<std::size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      row[x * 3] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
      row[x * 3 + 1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
      // fine stripes give the encoder real detail to work on
      row[x * 3 + 2] = static_cast<std::uint8_t>(((x / 3 + y / 5 + seed * 37) % 16) * 12 + 40);
    }
  }
  return rgb;
}

std::vector<std::uint8_t> MakeSamplePhoto(int width, int height, unsigned seed,
                                          const std::string& exifDateTime, int orientation) {
  std::vector<std::uint8_t> rgb = SamplePixels(width, height, seed);
  std::vector<std::uint8_t> jpeg = EncodeJpeg(rgb.data(), width, height, width * 3, 90);
  if (exifDateTime.empty() && orientation == 1) return jpeg;
  return InsertExif(jpeg, exifDateTime, orientation);
}

std::vector<std::uint8_t> EncodeSampleJpeg(std::span<const std::uint8_t> rgb, int width, int height,
                                           JpegCoding coding) {
  if (rgb.size() < static_cast<std::size_t>(width) * height * 3) throw std::invalid_argument("too few pixels");
  const bool full = coding == JpegCoding::Baseline444 || coding == JpegCoding::Progressive444;
  const int subsampling = full ? TJSAMP_444 : coding == JpegCoding::Baseline422 ? TJSAMP_422 : TJSAMP_420;
  const bool progressive = coding == JpegCoding::Progressive420 || coding == JpegCoding::Progressive444;
  const int flags = progressive ? TJFLAG_PROGRESSIVE : 0;
  return Compress(rgb.data(), width, height, TJPF_RGB, subsampling, 90, flags);
}

std::vector<std::uint8_t> EncodeYcckJpeg(std::span<const std::uint8_t> cmyk, int width, int height) {
  if (cmyk.size() < static_cast<std::size_t>(width) * height * 4) throw std::invalid_argument("too few pixels");
  return Compress(cmyk.data(), width, height, TJPF_CMYK, TJSAMP_444, 100, 0);
}

std::vector<std::uint8_t> WithDeclaredSize(std::vector<std::uint8_t> jpeg, int width, int height) {
  // Walks the marker segments from SOI: FF, code, big-endian length (which counts itself).
  for (std::size_t pos = 2; pos + 9 < jpeg.size() && jpeg[pos] == 0xFF;) {
    const int marker = jpeg[pos + 1];
    if (marker >= 0xC0 && marker <= 0xC2) {
      // After the precision byte: height, then width.
      jpeg[pos + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[pos + 6] = static_cast<std::uint8_t>(height & 0xFF);
      jpeg[pos + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[pos + 8] = static_cast<std::uint8_t>(width & 0xFF);
      return jpeg;
    }
    pos += 2 + (static_cast<std::size_t>(jpeg[pos + 2]) << 8 | jpeg[pos + 3]);
  }
  throw std::invalid_argument("no SOF0, SOF1 or SOF2 before the first scan");
}

std::vector<std::uint8_t> WithExtraScans(const std::vector<std::uint8_t>& progressive, int extra) {
  const std::vector<std::uint8_t> scan = {
      0xFF, 0xC4, 0x00, 0x14, 0x10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00,  // DHT: AC table 0
      0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x01, 0x3F, 0x00,  // SOS: component 1, coefficients 1-63
      0x0F};  // at most four blocks "0" (end of block), padded with ones
  if (progressive.size() < 4) throw std::invalid_argument("not a JPEG");
  std::vector<std::uint8_t> out(progressive.begin(), progressive.end() - 2);  // without EOI
  for (int i = 0; i < extra; ++i) out.insert(out.end(), scan.begin(), scan.end());
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}

std::vector<std::uint8_t> MakeFlatGreyJpeg(int width, int height) {
  const auto w = static_cast<std::uint8_t>(width >> 8), wl = static_cast<std::uint8_t>(width & 0xFF);
  const auto h = static_cast<std::uint8_t>(height >> 8), hl = static_cast<std::uint8_t>(height & 0xFF);
  std::vector<std::uint8_t> out = {
      0xFF, 0xD8,                                                    // SOI
      0xFF, 0xDB, 0x00, 0x43, 0x00};                                 // DQT: table 0, 64 steps of 1
  out.reserve(256);  // all of the header: no reallocation while it grows
  out.insert(out.end(), 64, 1);
  out.insert(out.end(), {
      0xFF, 0xC0, 0x00, 0x0B, 8, h, hl, w, wl, 1, 1, 0x11, 0,         // SOF0: one component, 1 x 1, table 0
      0xFF, 0xC4, 0x00, 0x14, 0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00,  // DHT: DC 0, "0" = no change
      0xFF, 0xC4, 0x00, 0x14, 0x10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00,  // DHT: AC 0, "0" = end of block
      0xFF, 0xDA, 0x00, 0x08, 1, 1, 0x00, 0, 63, 0});                // SOS: component 1, tables 0
  // Two bits "00" a block (no DC change, end of block), the last byte padded with ones.
  const std::int64_t blocks = std::int64_t{(width + 7) / 8} * ((height + 7) / 8);
  const std::int64_t bits = 2 * blocks;
  out.insert(out.end(), static_cast<std::size_t>(bits / 8), 0);
  if (bits % 8 != 0) out.push_back(static_cast<std::uint8_t>(0xFF >> (bits % 8)));
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}

}  // namespace geoframe::tools
