#include "exif/byte_view.h"

#include <algorithm>  // std::min
#include <cstring>    // memmem

#include "exif/exif_reader.h"

namespace geoframe {

void ByteView::ThrowOutOfRange(std::int64_t index, std::int64_t length) {
  throw ExifError(ExifErrorKind::OutOfRange, "read at byte " + std::to_string(index) +
                                                 " is outside the file of " + std::to_string(length) +
                                                 " bytes");
}

std::uint8_t ByteView::At(std::int64_t index) const {
  const std::int64_t length = Length();
  if (index >= 0 && index < length) return file_[static_cast<std::size_t>(index)];
  if (index == length) return 0;
  ThrowOutOfRange(index, length);
}

std::uint16_t ByteView::U16(std::int64_t index, bool littleEndian) const {
  const unsigned first = At(index), second = At(index + 1);
  return static_cast<std::uint16_t>(littleEndian ? second << 8 | first : first << 8 | second);
}

std::uint32_t ByteView::U32(std::int64_t index, bool littleEndian) const {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const std::uint32_t byte = At(index + i);
    value |= littleEndian ? byte << (8 * i) : byte << (8 * (3 - i));
  }
  return value;
}

std::string ByteView::Text(std::int64_t first, std::int64_t last) const {
  if (last < first) return {};
  if (!Holds(first, last)) ThrowOutOfRange(first < 0 ? first : last, Length());
  // The mapped bytes are copied in one go; index L, the extra zero byte, is
  // not in the mapping and is appended by hand.
  const std::int64_t mappedLast = std::min(last, Length() - 1);
  std::string text(reinterpret_cast<const char*>(file_.data()) + first,
                   static_cast<std::size_t>(mappedLast - first + 1));
  if (last == Length()) text.push_back('\0');
  return text;
}

std::int64_t ByteView::FindPair(std::uint8_t a, std::uint8_t b, std::int64_t from) const {
  const std::int64_t length = Length();
  if (from < 0 || from >= length) return -1;
  const std::uint8_t pair[2] = {a, b};
  const void* found = ::memmem(file_.data() + from, static_cast<std::size_t>(length - from), pair, 2);
  if (found != nullptr) return static_cast<const std::uint8_t*>(found) - file_.data();
  // The last byte pairs with the extra zero byte at index L.
  if (b == 0 && file_[static_cast<std::size_t>(length - 1)] == a) return length - 1;
  return -1;
}

}  // namespace geoframe
