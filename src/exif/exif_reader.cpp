#include "exif/exif_reader.h"

#include <algorithm>  // std::replace
#include <array>
#include <limits>
#include <optional>

#include "exif/entry_value.h"
#include "exif/reader_state.h"

namespace geoframe {

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kDateTimeOriginal = 36867;  // 0x9003
constexpr std::int32_t kOrientation = 274;         // 0x0112

// Closes the file on every way out of Load.
struct CloseFile {
  std::unique_ptr<LazyFile>& file;
  ByteView& view;
  ~CloseFile() {
    view = ByteView();
    file.reset();
  }
};

ExifValue FirstMatch(const std::vector<TagRecord>& records, std::int32_t tag, bool makerNoteOnly) {
  for (const TagRecord& record : records) {
    if (record.TagNumber == tag && (!makerNoteOnly || record.IsMakerNote)) return record.Value;
  }
  return {};
}

constexpr std::uint8_t kApp1 = 0xE1;
// Real headers have a few dozen segments (an ICC profile may take a few
// hundred); a file of endless tiny segments is scanned instead.
constexpr int kMaxSegments = 1024;

// TEM and RST0..RST7 stand alone, without a length.
bool StandsAlone(std::uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

// Where the header ends (a scan, the end of the image) or cannot go on (a
// second start of image, a zero after 0xFF).
bool EndsTheHeader(std::uint8_t marker) { return marker == 0x00 || (marker >= 0xD8 && marker <= 0xDA); }

// Whether the segment data at `data`, `size` bytes long, starts "Exif\0\0"
// (the rest of the segment may be cut off by the end of the file).
bool HoldsExifSignature(const ByteView& bytes, std::int64_t data, std::int64_t size) {
  static constexpr std::int64_t kSignatureSize = 6;
  static constexpr std::uint8_t kSignature[kSignatureSize] = {'E', 'x', 'i', 'f', 0, 0};
  if (size < kSignatureSize || data + kSignatureSize > bytes.Length()) return false;
  for (std::int64_t i = 0; i < kSignatureSize; ++i) {
    if (bytes.At(data + i) != kSignature[i]) return false;
  }
  return true;
}

// The index of the 0xFF of the first APP1 segment whose data starts
// "Exif\0\0", found by walking the segments after the start-of-image marker
// length by length up to the first scan, so that an FF E1 pair inside another
// segment's data (a comment, a thumbnail) or an APP1 of another kind (XMP)
// is passed over. None when the walk reaches the scan or the end of the image
// first, or meets bytes that are no marker where one belongs.
std::optional<std::int64_t> WalkToExifSegment(const ByteView& bytes) {
  const std::int64_t length = bytes.Length();
  std::int64_t at = 2;
  for (int segments = 0; segments < kMaxSegments && at < length && bytes.At(at) == 0xFF; ++segments) {
    std::int64_t marker = at + 1;
    while (marker < length && bytes.At(marker) == 0xFF) ++marker;  // fill bytes before the marker
    if (marker >= length) return std::nullopt;
    const std::uint8_t code = bytes.At(marker);
    if (StandsAlone(code)) {
      at = marker + 1;
      continue;
    }
    if (EndsTheHeader(code) || marker + 2 >= length) return std::nullopt;
    const std::int64_t segmentLength = bytes.U16(marker + 1, false);  // counts itself, not the marker
    if (segmentLength < 2) return std::nullopt;
    if (code == kApp1 && HoldsExifSignature(bytes, marker + 3, segmentLength - 2)) return marker - 1;
    at = marker + 1 + segmentLength;
  }
  return std::nullopt;
}

}  // namespace

ExifReader::ExifReader() : state_(std::make_unique<State>()) {}
ExifReader::~ExifReader() = default;

void ExifReader::picFile(const std::string& path) { state_->picFile = path; }

void ExifReader::Load(const std::string& picFile) {
  State& s = *state_;
  if (s.picFile.empty()) s.picFile = picFile;
  if (s.picFile.empty()) return;
  CloseFile closeOnExit{s.file, s.fileBytes};
  ReadFileBytes(s.picFile);
  ReadExif();
}

void ExifReader::Load(std::span<const std::uint8_t> jpeg) {
  State& s = *state_;
  CloseFile closeOnExit{s.file, s.fileBytes};
  s.file = std::make_unique<LazyFile>(jpeg);
  s.fileBytes = ByteView(*s.file);
  ReadExif();
}

// Finds the EXIF segment of the file in s.file and reads its record tables.
void ExifReader::ReadExif() {
  State& s = *state_;
  if (!FindExifSegment()) {
    s.hasExif = false;
    return;
  }
  const std::uint32_t offset = s.fileBytes.U32(s.app1Pos + 14, IsIntelOrder());
  if (offset > kInt32Max) {
    throw ExifError(ExifErrorKind::Overflow, "the IFD0 offset " + std::to_string(offset) + " is out of range");
  }
  s.ifd0Offset = static_cast<std::int32_t>(offset);
  s.hasExif = true;
  const std::int64_t ifd0Index = s.tiffStart + s.ifd0Offset;
  if (ifd0Index > kInt32Max) {
    throw ExifError(ExifErrorKind::Overflow, "IFD0 lies beyond byte " + std::to_string(kInt32Max));
  }
  s.valueByteBudget = kValueByteBudget;
  ReadIfds(ifd0Index);
}

ExifValue ExifReader::Tag(std::int32_t ExifTag) {
  State& s = *state_;
  if (!s.hasExif) {
    if (s.picFile.empty()) return {};
    Load(s.picFile);  // a file without EXIF is read again on every query
  }
  if (ExifTag == 0) {
    if (s.tagRecords.empty()) return {};
    return static_cast<std::int32_t>(s.tagRecords.size());
  }
  // A file without an EXIF segment has no record table: that answers empty,
  // the same as a tag the file does not carry.
  return FirstMatch(s.tagRecords, ExifTag, false);
}

ExifValue ExifReader::MakerNoteTag(std::int32_t MakerTag) const {
  if (!state_->hasExif) return {};
  return FirstMatch(state_->tagRecords, MakerTag, true);
}

const std::vector<TagRecord>& ExifReader::Records() const { return state_->tagRecords; }

bool ExifReader::HasExif() const { return state_->hasExif; }

std::string ExifReader::PadLeft(const std::string& text, std::size_t width, const std::string& fill) {
  if (text.size() >= width || fill.empty()) return text;
  return std::string(width - text.size(), fill.front()) + text;
}

void ExifReader::ReadFileBytes(const std::string& path) {
  State& s = *state_;
  s.file = std::make_unique<LazyFile>(path);
  s.fileBytes = ByteView(*s.file);
}

// The segment is found by walking the marker segments; a file whose
// segments cannot be walked to it is scanned for the first FF E1 byte pair
// after the start-of-image marker instead, as this reader always did, so
// that every file it read before reads the same.
bool ExifReader::FindExifSegment() {
  State& s = *state_;
  const ByteView& bytes = s.fileBytes;
  // Both bytes are read before comparing: an empty file fails as out of range.
  const std::uint8_t first = bytes.At(0), second = bytes.At(1);
  if (first != 0xFF || second != 0xD8) return false;
  const std::optional<std::int64_t> walked = WalkToExifSegment(bytes);
  const std::int64_t found = walked ? *walked : bytes.FindPair(0xFF, 0xE1, 2);
  if (found >= 0) s.app1Pos = found;  // no pair: app1Pos keeps its value
  s.tiffStart = s.app1Pos + 10;
  // All four signature bytes are read before comparing, so a signature cut
  // off by the end of the file fails as out of range.
  std::array<std::uint8_t, 4> signature{};
  for (std::size_t i = 0; i < signature.size(); ++i) signature[i] = bytes.At(s.app1Pos + 4 + static_cast<std::int64_t>(i));
  return signature == std::array<std::uint8_t, 4>{'E', 'x', 'i', 'f'};
}

// Only the first byte of the TIFF header decides: "I" (0x49) is little-endian,
// anything else big-endian.
bool ExifReader::IsIntelOrder() const { return state_->fileBytes.At(state_->tiffStart) == 0x49; }

std::string ExifTimeToDateTimeText(const std::string& exifText) {
  if (exifText.empty()) return {};
  std::string date = exifText.substr(0, 10);
  std::replace(date.begin(), date.end(), ':', '-');
  const std::string time = exifText.size() < 10 ? exifText : exifText.substr(exifText.size() - 8);
  return date + " " + time;
}

std::string ReadShootingTime(const std::string& path) {
  ExifReader reader;
  reader.Load(path);
  // Without an EXIF segment Tag would only read the file again to find none.
  if (!reader.HasExif()) return {};
  const ExifValue value = reader.Tag(kDateTimeOriginal);
  if (const auto* text = std::get_if<std::string>(&value)) return ExifTimeToDateTimeText(*text);
  if (const auto* number = std::get_if<std::int32_t>(&value)) return ExifTimeToDateTimeText(std::to_string(*number));
  return {};
}

int ReadOrientation(std::span<const std::uint8_t> jpeg) {
  try {
    ExifReader reader;
    reader.Load(jpeg);
    if (!reader.HasExif()) return 1;
    const ExifValue value = reader.Tag(kOrientation);
    const auto* number = std::get_if<std::int32_t>(&value);
    return number != nullptr && *number >= 1 && *number <= 8 ? *number : 1;
  } catch (const ExifError&) {
    return 1;  // damaged EXIF data gives no orientation
  }
}

}  // namespace geoframe
