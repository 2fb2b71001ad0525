#include "exif/exif_reader.h"

#include <algorithm>  // std::replace
#include <array>
#include <limits>

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

// A plain byte scan for the first FF E1 pair after the start-of-image marker,
// not a walk over the marker segments: that is how this reader has always
// found the segment, and a pair inside an earlier segment's data wins.
bool ExifReader::FindExifSegment() {
  State& s = *state_;
  const ByteView& bytes = s.fileBytes;
  // Both bytes are read before comparing: an empty file fails as out of range.
  const std::uint8_t first = bytes.At(0), second = bytes.At(1);
  if (first != 0xFF || second != 0xD8) return false;
  const std::int64_t found = bytes.FindPair(0xFF, 0xE1, 2);
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

int ReadOrientation(const std::string& path) {
  try {
    ExifReader reader;
    reader.Load(path);
    if (!reader.HasExif()) return 1;
    const ExifValue value = reader.Tag(kOrientation);
    const auto* number = std::get_if<std::int32_t>(&value);
    if (number != nullptr && *number >= 1 && *number <= 8) return *number;
  } catch (const ExifError& error) {
    // Damaged EXIF data gives no orientation; an unread file gives no photo.
    if (error.cause()) throw *error.cause();
  }
  return 1;
}

}  // namespace geoframe
