#include "jpeg_fixture.h"

#include "output/jpeg_codec.h"

namespace geoframe::testing {

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, unsigned value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// One 12-byte IFD entry: tag, type, count, value or offset.
void PutEntry(std::vector<std::uint8_t>& out, unsigned tag, unsigned type, unsigned count, unsigned value) {
  Put16(out, tag);
  Put16(out, type);
  Put32(out, count);
  Put32(out, value);
}

// The TIFF structure: IFD0 (orientation, Exif IFD pointer), then the Exif IFD
// (DateTimeOriginal), then the time text. Offsets count from the "II" mark.
std::vector<std::uint8_t> TiffBlock(const std::string& exifTime, int orientation) {
  const unsigned ifd0Entries = (orientation != 0 ? 1 : 0) + (exifTime.empty() ? 0 : 1);
  const unsigned exifIfd = 8 + 2 + 12 * ifd0Entries + 4;
  const unsigned timeText = exifIfd + 2 + 12 + 4;
  std::vector<std::uint8_t> tiff = {'I', 'I', 0x2A, 0x00};
  Put32(tiff, 8);
  Put16(tiff, ifd0Entries);
  if (orientation != 0) PutEntry(tiff, 274, 3, 1, static_cast<unsigned>(orientation));  // SHORT
  if (!exifTime.empty()) PutEntry(tiff, 0x8769, 4, 1, exifIfd);                          // LONG
  Put32(tiff, 0);  // no IFD1
  if (!exifTime.empty()) {
    Put16(tiff, 1);
    PutEntry(tiff, 36867, 2, static_cast<unsigned>(exifTime.size() + 1), timeText);  // ASCII
    Put32(tiff, 0);
    tiff.insert(tiff.end(), exifTime.begin(), exifTime.end());
    tiff.push_back(0);
  }
  return tiff;
}

std::vector<std::uint8_t> App1Segment(const std::string& exifTime, int orientation) {
  std::vector<std::uint8_t> tiff = TiffBlock(exifTime, orientation);
  const std::size_t length = 2 + 6 + tiff.size();  // the length field counts itself
  std::vector<std::uint8_t> segment = {0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8),
                                       static_cast<std::uint8_t>(length & 0xFF), 'E', 'x', 'i', 'f', 0, 0};
  segment.insert(segment.end(), tiff.begin(), tiff.end());
  return segment;
}

}  // namespace

std::vector<std::uint8_t> MakeJpegPhoto(int width, int height, const std::string& exifTime, int orientation) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      p[0] = y < height / 2 ? 220 : 20;
      p[1] = 30;
      p[2] = y < height / 2 ? 20 : 220;
    }
  }
  std::vector<std::uint8_t> jpeg = EncodeJpeg(rgb.data(), width, height, width * 3, 85);
  if (exifTime.empty() && orientation == 0) return jpeg;
  std::vector<std::uint8_t> app1 = App1Segment(exifTime, orientation);
  jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());  // right after the start-of-image marker
  return jpeg;
}

}  // namespace geoframe::testing
