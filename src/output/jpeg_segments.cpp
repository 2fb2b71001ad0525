#include "output/jpeg_segments.h"

#include <algorithm>  // copy, equal
#include <iterator>   // begin, end
#include <optional>
#include <string>

#include "output/output_error.h"

namespace geoframe {

namespace {

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA;
constexpr std::uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};

// The length field of the segment whose marker is at `at`; it counts itself.
std::size_t SegmentLength(std::span<const std::uint8_t> jpeg, std::size_t at) {
  return static_cast<std::size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3];
}

// Markers without a length or payload: TEM, the restart markers, and SOI.
bool StandsAlone(std::uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= kSoi); }

bool StartsWithSoi(std::span<const std::uint8_t> jpeg) {
  return jpeg.size() >= 2 && jpeg[0] == kMarker && jpeg[1] == kSoi;
}

// Reads a stream front to back; reading past its end gives nothing.
class Cursor {
 public:
  Cursor(std::span<const std::uint8_t> bytes, std::size_t at) : bytes_(bytes), at_(at) {}

  std::optional<std::uint8_t> Byte() {
    if (at_ >= bytes_.size()) return std::nullopt;
    return bytes_[at_++];
  }

  // The next marker's code: bytes before a 0xFF are stray ones, further 0xFF
  // are fill, and 0xFF 0x00 marks no segment; all are passed over.
  std::optional<std::uint8_t> Marker() {
    for (;;) {
      std::optional<std::uint8_t> byte = Byte();
      while (byte && *byte != 0xFF) byte = Byte();
      while (byte && *byte == 0xFF) byte = Byte();
      if (!byte || *byte != 0) return byte;
    }
  }

  // A segment's payload, by the length before it; nothing when the length is
  // impossible or runs past the end.
  std::optional<std::span<const std::uint8_t>> Payload() {
    const std::optional<std::uint8_t> high = Byte(), low = Byte();
    if (!low) return std::nullopt;
    const std::size_t length = std::size_t{*high} << 8 | *low;
    if (length < 2 || length - 2 > bytes_.size() - at_) return std::nullopt;
    const std::span<const std::uint8_t> payload = bytes_.subspan(at_, length - 2);
    at_ += payload.size();
    return payload;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_;
};

// Where the segments go: after SOI and the APP0 segments that follow it.
std::size_t AfterApp0(std::span<const std::uint8_t> jpeg) {
  std::size_t at = 2;
  while (jpeg.size() - at >= 4 && jpeg[at] == kMarker && jpeg[at + 1] == kApp0Marker) {
    const std::size_t next = at + 2 + SegmentLength(jpeg, at);
    if (next > jpeg.size()) break;
    at = next;
  }
  return at;
}

bool IsExifSegment(std::span<const std::uint8_t> segment) {
  return segment[1] == kApp1Marker && segment.size() >= 4 + sizeof kExifHeader &&
         std::equal(std::begin(kExifHeader), std::end(kExifHeader), segment.begin() + 4);
}

// The size of the stream with its bytes from `begin` to `end` replaced by the segments.
std::size_t SplicedSize(std::span<const std::uint8_t> jpeg, std::size_t begin, std::size_t end,
                        std::span<const JpegSegment> segments) {
  std::size_t size = jpeg.size() - (end - begin);
  for (const JpegSegment& segment : segments) size += 4 + segment.payload.size();
  return size;
}

// Writes into `out`, of SplicedSize bytes, the stream with its bytes from
// `begin` to `end` replaced by the segments, each written as its marker, its
// length and its payload; every other byte stays as it was. The callers have
// checked that each payload fits a segment.
void SpliceInto(std::span<const std::uint8_t> jpeg, std::size_t begin, std::size_t end,
                std::span<const JpegSegment> segments, std::span<std::uint8_t> out) {
  std::uint8_t* to = std::copy_n(jpeg.data(), begin, out.data());
  for (const JpegSegment& segment : segments) {
    const std::size_t length = segment.payload.size() + 2;
    *to++ = kMarker;
    *to++ = segment.marker;
    *to++ = static_cast<std::uint8_t>(length >> 8);
    *to++ = static_cast<std::uint8_t>(length & 0xFF);
    to = std::copy(segment.payload.begin(), segment.payload.end(), to);
  }
  std::copy(jpeg.begin() + static_cast<std::ptrdiff_t>(end), jpeg.end(), to);
}

std::vector<std::uint8_t> Spliced(std::span<const std::uint8_t> jpeg, std::size_t begin, std::size_t end,
                                  std::span<const JpegSegment> segments) {
  std::vector<std::uint8_t> out(SplicedSize(jpeg, begin, end, segments));
  SpliceInto(jpeg, begin, end, segments, out);
  return out;
}

[[noreturn]] void Refuse(std::string detail) {
  OutputError::Fields fields;
  fields.detail = std::move(detail);
  throw OutputError(OutputErrorKind::EncodeFailed, std::move(fields));
}

}  // namespace

bool JpegSegmentView::StartsWith(std::string_view text) const {
  return payload.size() >= text.size() &&
         std::equal(text.begin(), text.end(), payload.begin(),
                    [](char c, std::uint8_t byte) { return static_cast<std::uint8_t>(c) == byte; });
}

std::vector<JpegSegmentView> HeaderSegments(std::span<const std::uint8_t> jpeg) {
  std::vector<JpegSegmentView> segments;
  if (!StartsWithSoi(jpeg)) return segments;
  Cursor cursor(jpeg, 2);
  while (const std::optional<std::uint8_t> marker = cursor.Marker()) {
    if (*marker == kSos || *marker == kEoi) break;
    if (StandsAlone(*marker)) continue;
    const std::optional<std::span<const std::uint8_t>> payload = cursor.Payload();
    if (!payload) break;
    segments.push_back({*marker, *payload});
  }
  return segments;
}

std::size_t InsertedSize(std::span<const std::uint8_t> jpeg, const std::vector<JpegSegment>& segments) {
  if (!StartsWithSoi(jpeg)) Refuse("no SOI to put segments after");
  for (const JpegSegment& segment : segments) {
    if (segment.payload.size() > kMaxSegmentPayload) {
      Refuse("a segment of " + std::to_string(segment.payload.size()) + " bytes");
    }
  }
  const std::size_t at = AfterApp0(jpeg);
  return SplicedSize(jpeg, at, at, segments);
}

void InsertSegments(std::span<const std::uint8_t> jpeg, const std::vector<JpegSegment>& segments,
                    std::span<std::uint8_t> out) {
  if (out.size() != InsertedSize(jpeg, segments)) Refuse("no room for the segments");
  const std::size_t at = AfterApp0(jpeg);
  SpliceInto(jpeg, at, at, segments, out);
}

std::vector<std::uint8_t> InsertSegments(std::span<const std::uint8_t> jpeg,
                                         const std::vector<JpegSegment>& segments) {
  std::vector<std::uint8_t> out(InsertedSize(jpeg, segments));
  InsertSegments(jpeg, segments, out);
  return out;
}

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
    leadingApp0 = leadingApp0 && jpeg[at + 1] == kApp0Marker;
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

JpegSegment ExifSegment(std::span<const std::uint8_t> tiff) {
  if (sizeof kExifHeader + tiff.size() > kMaxSegmentPayload) throw OutputError(OutputErrorKind::ExifTooLarge, "");
  // Copied into a payload of its full size: appending the block to a payload
  // made of the header alone draws a false array-bounds warning from GCC 12 at -O3.
  JpegSegment exif{kApp1Marker, std::vector<std::uint8_t>(sizeof kExifHeader + tiff.size())};
  const auto tiffAt = std::copy(std::begin(kExifHeader), std::end(kExifHeader), exif.payload.begin());
  std::copy(tiff.begin(), tiff.end(), tiffAt);
  return exif;
}

std::vector<std::uint8_t> WithExifSegment(std::span<const std::uint8_t> jpeg, const ExifSlot& slot,
                                          std::span<const std::uint8_t> tiff) {
  const JpegSegment exif = ExifSegment(tiff);
  return Spliced(jpeg, slot.begin, slot.end, {&exif, 1});
}

}  // namespace geoframe
