// The walk over IFD0, the IFDs linked from it and the Exif IFD.
#include <algorithm>  // std::clamp
#include <cctype>     // isdigit
#include <cstdint>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "exif/entry_value.h"
#include "exif/exif_reader.h"
#include "exif/reader_state.h"

namespace geoframe {

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kExifIfdPointer = 34665;  // 0x8769
constexpr std::int64_t kEntrySize = 12;
// Real files link IFD0 to IFD1 and rarely further; the bound keeps a file of
// many distinct overlapping IFDs from growing the record table for long.
constexpr int kMaxLinkedIfds = 16;

enum class IfdRole { First, Linked, Exif };

// What one walk reads and writes.
struct Walk {
  const ByteView& bytes;
  std::int64_t tiffStart;
  bool littleEndian;
  std::vector<TagRecord>& records;
  std::int32_t& exifIfdOffset;
  std::int64_t& valueByteBudget;
};

// A whole number written as text: optional blanks, an optional sign, digits,
// optional blanks. Throws Overflow beyond the 32-bit range.
std::optional<std::int32_t> WholeNumber(const std::string& text) {
  std::size_t i = text.find_first_not_of(' ');
  const std::size_t end = text.find_last_not_of(' ') + 1;
  if (i == std::string::npos) return std::nullopt;
  const bool negative = text[i] == '-';
  if (text[i] == '-' || text[i] == '+') ++i;
  if (i == end) return std::nullopt;
  std::int64_t value = 0;
  for (; i < end; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > kInt32Max + 1) break;
  }
  if (negative) value = -value;
  if (value > kInt32Max || value < std::numeric_limits<std::int32_t>::min()) {
    throw ExifError(ExifErrorKind::Overflow, "the Exif IFD offset \"" + text + "\" is out of range");
  }
  return static_cast<std::int32_t>(value);
}

// Entry 0x8769 gives the Exif IFD's offset. In IFD0 its value is taken as it
// is (empty gives 0, a text that is no number fails the load). A later IFD's
// unusable entry leaves the offset found in IFD0 alone, so that a damaged IFD1
// cannot cost the photo its Exif IFD.
void TakeExifIfdOffset(Walk& walk, const ExifValue& value, IfdRole role) {
  std::optional<std::int32_t> offset;
  if (const auto* number = std::get_if<std::int32_t>(&value)) {
    offset = *number;
  } else if (const auto* text = std::get_if<std::string>(&value)) {
    offset = role == IfdRole::First ? WholeNumber(*text) : std::nullopt;
    if (!offset && role == IfdRole::First) {
      throw ExifError(ExifErrorKind::Conversion, "the Exif IFD offset is not a number");
    }
  } else if (role == IfdRole::First) {
    offset = 0;
  }
  if (offset) walk.exifIfdOffset = *offset;
}

void ReadEntry(Walk& walk, std::int64_t entry, TagRecord& record, IfdRole role) {
  const ByteView& bytes = walk.bytes;
  record.TagNumber = bytes.U16(entry, walk.littleEndian);
  record.DataType = bytes.U16(entry + 2, walk.littleEndian);
  const std::uint32_t count = bytes.U32(entry + 4, walk.littleEndian);
  record.Count = static_cast<std::int32_t>(count);
  EntryLayout layout{static_cast<std::uint16_t>(record.DataType), count, entry + 8, walk.tiffStart,
                     walk.littleEndian};
  EntryValue converted = ConvertEntryValue(bytes, layout, walk.valueByteBudget);
  record.ValueOffset = converted.valueOffset;
  record.Value = std::move(converted.value);
  if (record.TagNumber == kExifIfdPointer) TakeExifIfdOffset(walk, record.Value, role);
}

// The number of whole entries of an IFD with this many entries that lie
// inside the file.
std::int64_t EntriesInFile(const Walk& walk, std::int64_t ifd, std::int64_t entries) {
  const std::int64_t room = (walk.bytes.Length() - (ifd + 2) + 1) / kEntrySize;
  return std::clamp<std::int64_t>(room, 0, entries);
}

// Appends one record per entry of the IFD at absolute index ifd. An IFD whose
// entries run past the end of the file fails after its entries inside the
// file were stored; the table does not grow by entries that cannot be read.
void ReadIfd(Walk& walk, std::int64_t ifd, IfdRole role) {
  const std::uint16_t entries = walk.bytes.U16(ifd, walk.littleEndian);
  if (entries == 0 && walk.records.empty()) {
    throw ExifError(ExifErrorKind::OutOfRange, "the first IFD has no entries");
  }
  const std::int64_t readable = EntriesInFile(walk, ifd, entries);
  const std::size_t base = walk.records.size();
  walk.records.resize(base + static_cast<std::size_t>(readable));
  for (std::int64_t i = 0; i < readable; ++i) {
    ReadEntry(walk, ifd + 2 + kEntrySize * i, walk.records[base + static_cast<std::size_t>(i)], role);
  }
  if (readable < entries) {
    throw ExifError(ExifErrorKind::OutOfRange, "the IFD at byte " + std::to_string(ifd) + " has " +
                                                   std::to_string(entries) + " entries but the file ends after " +
                                                   std::to_string(readable));
  }
}

// True when the entry count and every entry of the IFD lie inside the file.
bool IfdFits(const Walk& walk, std::int64_t ifd) {
  if (!walk.bytes.Holds(ifd, ifd + 1)) return false;
  const std::int64_t entries = walk.bytes.U16(ifd, walk.littleEndian);
  return walk.bytes.Holds(ifd, ifd + 1 + kEntrySize * entries);
}

// The absolute index of the IFD that the IFD at ifd links to; none when the
// link is 0 (the chain's end) or cannot be read or followed.
std::optional<std::int64_t> LinkedIfd(const Walk& walk, std::int64_t ifd, std::int32_t& nextIfd) {
  const std::int64_t link = ifd + 2 + kEntrySize * walk.bytes.U16(ifd, walk.littleEndian);
  if (!walk.bytes.Holds(link, link + 3)) return std::nullopt;
  const std::uint32_t offset = walk.bytes.U32(link, walk.littleEndian);
  if (offset == 0 || offset > kInt32Max || walk.tiffStart + offset > kInt32Max) return std::nullopt;
  nextIfd = static_cast<std::int32_t>(offset);
  return walk.tiffStart + offset;
}

}  // namespace

// IFD0 and the Exif IFD are read strictly: a fault in their structure fails
// the load, with the records read so far kept. The IFDs linked from IFD0 are
// read only while they can be: a link to nowhere, a damaged IFD or a link back
// to an IFD already read ends the chain, and the Exif IFD is still read.
void ExifReader::ReadIfds(std::int64_t ifd0Index) {
  State& s = *state_;
  Walk walk{s.fileBytes, s.tiffStart, IsIntelOrder(), s.tagRecords, s.exifIfdOffset, s.valueByteBudget};
  std::set<std::int64_t> visited{ifd0Index};
  ReadIfd(walk, ifd0Index, IfdRole::First);
  std::int64_t current = ifd0Index;
  for (int linked = 0; linked < kMaxLinkedIfds; ++linked) {
    const std::optional<std::int64_t> next = LinkedIfd(walk, current, s.nextIfd);
    if (!next || visited.contains(*next) || !IfdFits(walk, *next)) break;
    visited.insert(*next);
    ReadIfd(walk, *next, IfdRole::Linked);
    current = *next;
  }
  s.nextIfd = s.exifIfdOffset;
  if (s.exifIfdOffset == 0) return;
  const std::int64_t exifIfd = s.tiffStart + s.exifIfdOffset;
  if (exifIfd > kInt32Max) {
    throw ExifError(ExifErrorKind::Overflow, "the Exif IFD lies beyond byte " + std::to_string(kInt32Max));
  }
  if (!visited.insert(exifIfd).second) return;  // a pointer back to an IFD already read
  ReadIfd(walk, exifIfd, IfdRole::Exif);
}

}  // namespace geoframe
