#include "output/jpeg_segments.h"

#include <algorithm>  // std::equal

#include "output/output_error.h"

namespace geoframe {
namespace {

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kSoi = 0xD8, kSos = 0xDA, kEoi = 0xD9, kApp0 = 0xE0, kApp1 = 0xE1;
constexpr std::uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr std::size_t kMaxSegmentLength = 0xFFFF;  // the length field counts itself

std::size_t SegmentLength(std::span<const std::uint8_t> jpeg, std::size_t at) {
  return static_cast<std::size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3];
}

bool IsExifSegment(std::span<const std::uint8_t> segment) {
  return segment[1] == kApp1 && segment.size() >= 4 + sizeof kExifHeader &&
         std::equal(std::begin(kExifHeader), std::end(kExifHeader), segment.begin() + 4);
}

}  // namespace

ExifSlot FindExifSlot(std::span<const std::uint8_t> jpeg) {
  if (jpeg.size() < 4 || jpeg[0] != kMarker || jpeg[1] != kSoi) throw OutputError(OutputErrorKind::NotJpeg, "");
  ExifSlot insertAt{2, 2};
  bool leadingApp0 = true;
  std::size_t at = 2;
  for (;;) {
    while (at + 1 < jpeg.size() && jpeg[at] == kMarker && jpeg[at + 1] == kMarker) ++at;  // fill bytes
    if (at + 4 > jpeg.size() || jpeg[at] != kMarker || jpeg[at + 1] == kSos || jpeg[at + 1] == kEoi) break;
    const std::size_t end = at + 2 + SegmentLength(jpeg, at);
    if (SegmentLength(jpeg, at) < 2 || end > jpeg.size()) throw OutputError(OutputErrorKind::NotJpeg, "");
    if (IsExifSegment(jpeg.subspan(at, end - at))) return {at, end};
    leadingApp0 = leadingApp0 && jpeg[at + 1] == kApp0;
    if (leadingApp0) insertAt = {end, end};
    at = end;
  }
  return insertAt;
}

std::span<const std::uint8_t> ExifTiff(std::span<const std::uint8_t> jpeg, const ExifSlot& slot) {
  if (!slot.found()) return {};
  const std::size_t start = slot.begin + 4 + sizeof kExifHeader;
  return jpeg.subspan(start, slot.end - start);
}

std::vector<std::uint8_t> WithExifSegment(std::span<const std::uint8_t> jpeg, const ExifSlot& slot,
                                          std::span<const std::uint8_t> tiff) {
  const std::size_t length = 2 + sizeof kExifHeader + tiff.size();
  if (length > kMaxSegmentLength) throw OutputError(OutputErrorKind::ExifTooLarge, "");
  std::vector<std::uint8_t> out;
  out.reserve(jpeg.size() + 4 + length);
  out.insert(out.end(), jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(slot.begin));
  out.insert(out.end(), {kMarker, kApp1, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
  out.insert(out.end(), std::begin(kExifHeader), std::end(kExifHeader));
  out.insert(out.end(), tiff.begin(), tiff.end());
  out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(slot.end), jpeg.end());
  return out;
}

}  // namespace geoframe
