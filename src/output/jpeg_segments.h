#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace geoframe {

inline constexpr std::uint8_t kApp0Marker = 0xE0;     // JFIF
inline constexpr std::uint8_t kApp1Marker = 0xE1;     // EXIF
inline constexpr std::uint8_t kApp2Marker = 0xE2;     // ICC_PROFILE chunks
inline constexpr std::uint8_t kCommentMarker = 0xFE;  // COM

// The most bytes a segment's payload holds: its 16-bit length counts its own
// two bytes too.
inline constexpr std::size_t kMaxSegmentPayload = 65533;

// One marker segment of a JPEG stream's header: its marker code and its
// payload (what follows the two length bytes).
struct JpegSegment {
  std::uint8_t marker = 0;
  std::vector<std::uint8_t> payload;
};

// A segment as it lies in a stream read, without copying its payload.
struct JpegSegmentView {
  std::uint8_t marker = 0;
  std::span<const std::uint8_t> payload;

  // Whether the payload begins with these bytes.
  bool StartsWith(std::string_view text) const;
};

// The segments between SOI and the first SOS (or EOI), in file order, passing
// over fill bytes and stray bytes before a marker as a decoder does. A stream
// that is cut short or breaks off gives the segments read before that point;
// one that does not start with SOI gives none. The views point into `jpeg`.
std::vector<JpegSegmentView> HeaderSegments(std::span<const std::uint8_t> jpeg);

// The stream with the segments put in, in their order, after its SOI and the
// APP0 (JFIF) segments right after it, where readers look for them ahead of
// the tables. Throws OutputError (EncodeFailed) for a stream without SOI and
// for a payload longer than kMaxSegmentPayload.
std::vector<std::uint8_t> InsertSegments(std::span<const std::uint8_t> jpeg,
                                         const std::vector<JpegSegment>& segments);
// The same into the caller's memory, of exactly InsertedSize bytes.
std::size_t InsertedSize(std::span<const std::uint8_t> jpeg, const std::vector<JpegSegment>& segments);
void InsertSegments(std::span<const std::uint8_t> jpeg, const std::vector<JpegSegment>& segments,
                    std::span<std::uint8_t> out);

// Where a JPEG's EXIF segment lies (its marker to its end), or, when it has
// none, the empty place where one goes: after SOI and any APP0 segments.
struct ExifSlot {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool found() const { return end > begin; }
};

// Walks the marker segments before the picture data. Throws OutputError
// (NotJpeg) when the bytes do not start with SOI or a segment runs past the end.
ExifSlot FindExifSlot(std::span<const std::uint8_t> jpeg);

// The TIFF block of the EXIF segment in the slot (after "Exif\0\0"); empty for
// an empty slot.
std::span<const std::uint8_t> ExifTiff(std::span<const std::uint8_t> jpeg, const ExifSlot& slot);

// The APP1 EXIF segment holding the TIFF block. Throws OutputError
// (ExifTooLarge) when the block does not fit one segment.
JpegSegment ExifSegment(std::span<const std::uint8_t> tiff);

// The JPEG with the slot's bytes replaced by an APP1 EXIF segment holding the
// TIFF block; every other byte stays as it was. Throws OutputError
// (ExifTooLarge) when the block does not fit one segment.
std::vector<std::uint8_t> WithExifSegment(std::span<const std::uint8_t> jpeg, const ExifSlot& slot,
                                          std::span<const std::uint8_t> tiff);

}  // namespace geoframe
