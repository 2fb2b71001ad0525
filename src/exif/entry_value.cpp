#include "exif/entry_value.h"

#include <algorithm>  // std::min
#include <array>
#include <limits>
#include <string>

#include "exif/exif_reader.h"

namespace geoframe {

namespace {

enum class Group { None, Bytes, Text, Short, Long, Rational };

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

Group GroupOf(std::uint16_t dataType) {
  switch (dataType) {
    case 1: case 6: return Group::Bytes;     // BYTE, SBYTE
    case 2: case 7: return Group::Text;      // ASCII, UNDEFINED
    case 3: case 8: return Group::Short;     // SHORT, SSHORT
    case 4: case 9: return Group::Long;      // LONG, SLONG
    case 5: case 10: return Group::Rational; // RATIONAL, SRATIONAL
    default: return Group::None;
  }
}

std::int64_t ComponentSize(Group group) {
  switch (group) {
    case Group::Short: return 2;
    case Group::Long: return 4;
    case Group::Rational: return 8;
    default: return 1;
  }
}

bool IsSigned(std::uint16_t dataType) { return dataType == 9 || dataType == 10; }

// The four value bytes of an entry, most significant first, as a 32-bit read
// in the file's byte order would weigh them.
std::array<std::uint8_t, 4> InlineBytes(const ByteView& bytes, const EntryLayout& entry) {
  const std::uint32_t field = bytes.U32(entry.valueField, entry.littleEndian);
  return {static_cast<std::uint8_t>(field >> 24), static_cast<std::uint8_t>(field >> 16),
          static_cast<std::uint8_t>(field >> 8), static_cast<std::uint8_t>(field)};
}

std::string HexText(const std::array<std::uint8_t, 4>& f) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::uint8_t byte : f) {
    // Two digits per byte: the same as padding each hex text to width 2 with "0".
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0xF]);
  }
  return text;
}

// Shorts held in the entry itself fill its four bytes from the first: one
// value takes the first two bytes only, the other two being padding that
// writers need not clear; two values are summed; none gives no value.
ExifValue InlineShorts(const ByteView& bytes, const EntryLayout& entry, const std::array<std::uint8_t, 4>& f) {
  switch (entry.count) {
    case 0: return {};
    case 1: {
      const std::uint16_t value = bytes.U16(entry.valueField, entry.littleEndian);
      if (entry.dataType == 8) return static_cast<std::int32_t>(static_cast<std::int16_t>(value));  // SSHORT
      return static_cast<std::int32_t>(value);
    }
    default: return static_cast<std::int32_t>((f[0] * 256 + f[1]) + (f[2] * 256 + f[3]));
  }
}

ExifValue InlineValue(const ByteView& bytes, const EntryLayout& entry, Group group) {
  const auto f = InlineBytes(bytes, entry);
  switch (group) {
    case Group::Bytes: return HexText(f);
    case Group::Text: return std::string(f.begin(), f.end());
    case Group::Short: return InlineShorts(bytes, entry, f);
    case Group::Long: {
      const std::uint32_t value = static_cast<std::uint32_t>(f[0]) << 24 | f[1] << 16 | f[2] << 8 | f[3];
      if (IsSigned(entry.dataType)) return static_cast<std::int32_t>(value);
      if (value > kInt32Max) return {};  // an unsigned LONG beyond the signed range
      return static_cast<std::int32_t>(value);
    }
    default: return {};  // a rational with Count 0: nothing to read
  }
}

// Decimal texts of the bytes first..last, concatenated, in ascending or
// descending order.
std::string DecimalBytes(const ByteView& bytes, std::int64_t first, std::int64_t last, bool descending) {
  const std::string data = bytes.Text(first, last);  // one read for the whole range
  std::string text;
  text.reserve(data.size() * 3);
  auto append = [&text](unsigned char byte) {
    if (byte >= 100) text.push_back(static_cast<char>('0' + byte / 100));
    if (byte >= 10) text.push_back(static_cast<char>('0' + byte / 10 % 10));
    text.push_back(static_cast<char>('0' + byte % 10));
  };
  if (descending) {
    for (auto it = data.rbegin(); it != data.rend(); ++it) append(static_cast<unsigned char>(*it));
  } else {
    for (char c : data) append(static_cast<unsigned char>(c));
  }
  return text;
}

// An ASCII value ends at its first zero byte, or after its Count bytes when it
// has none: cameras write times of 19 characters without the terminator and
// times padded with more than one zero, and both must read as 19 characters.
std::string AsciiText(const ByteView& bytes, std::int64_t data, std::uint32_t count) {
  const std::int64_t last = std::min(data + count - 1, bytes.Length());
  std::string text = bytes.Text(data, last);
  const std::size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

std::string RationalText(const ByteView& bytes, std::int64_t data, const EntryLayout& entry) {
  const std::uint32_t numerator = bytes.U32(data, entry.littleEndian);
  const std::uint32_t denominator = bytes.U32(data + 4, entry.littleEndian);
  if (IsSigned(entry.dataType)) {
    return std::to_string(static_cast<std::int32_t>(numerator)) + "/" +
           std::to_string(static_cast<std::int32_t>(denominator));
  }
  return std::to_string(numerator) + "/" + std::to_string(denominator);
}

// The last data index an out-of-line value reads, counted from its first.
std::int64_t DataSpan(Group group, std::uint32_t count) {
  switch (group) {
    case Group::Text: return static_cast<std::int64_t>(count) - 2;  // the terminating byte is not read
    case Group::Rational: return 7;                                  // only the first rational
    default: return static_cast<std::int64_t>(count) - 1;           // the first Count bytes
  }
}

ExifValue OutOfLineValue(const ByteView& bytes, const EntryLayout& entry, Group group, std::int64_t data,
                         std::int64_t& byteBudget) {
  const std::int64_t last = data + DataSpan(group, entry.count);
  if (!bytes.Holds(data, last)) return {};
  const std::int64_t size = last - data + 1;
  if (size > byteBudget) return {};
  byteBudget -= size;
  switch (group) {
    case Group::Text:
      if (entry.dataType == 2) return AsciiText(bytes, data, entry.count);
      return bytes.Text(data, last);
    case Group::Short: return DecimalBytes(bytes, data, last, !entry.littleEndian);
    case Group::Rational: return RationalText(bytes, data, entry);
    default: return DecimalBytes(bytes, data, last, false);  // bytes and long groups
  }
}

}  // namespace

EntryValue ConvertEntryValue(const ByteView& bytes, const EntryLayout& entry, std::int64_t& byteBudget) {
  const Group group = GroupOf(entry.dataType);
  if (group == Group::None) return {};
  if (static_cast<std::int64_t>(entry.count) * ComponentSize(group) <= 4) {
    return {0, InlineValue(bytes, entry, group)};
  }
  const std::uint32_t offset = bytes.U32(entry.valueField, entry.littleEndian);
  // The field's 32 bits are kept as they are; an offset of 2^31 or more reads
  // negative and points nowhere.
  EntryValue result{static_cast<std::int32_t>(offset), {}};
  const std::int64_t data = entry.tiffStart + offset;
  if (offset > kInt32Max || data > kInt32Max) return result;
  result.value = OutOfLineValue(bytes, entry, group, data, byteBudget);
  return result;
}

}  // namespace geoframe
