#include "exif/byte_view.h"

#include <algorithm>  // std::min

#include "exif/exif_reader.h"

namespace geoframe {

void ByteView::ThrowOutOfRange(std::int64_t index, std::int64_t length) {
  throw ExifError(ExifErrorKind::OutOfRange,
                  "read at byte " + std::to_string(index) + " is outside the file of " + std::to_string(length) +
                      " bytes",
                  length);
}

std::uint8_t ByteView::At(std::int64_t index) const {
  const std::int64_t length = Length();
  if (index >= 0 && index < length) return file_->At(index);
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
  // Index L, the extra zero byte, is not in the file and comes from the
  // string's own zero fill.
  std::string text(static_cast<std::size_t>(last - first + 1), '\0');
  const std::int64_t fileLast = std::min(last, Length() - 1);
  if (fileLast >= first) file_->Copy(first, fileLast, text.data());
  return text;
}

std::int64_t ByteView::FindPair(std::uint8_t a, std::uint8_t b, std::int64_t from) const {
  const std::int64_t length = Length();
  if (from < 0 || from >= length) return -1;
  const std::int64_t found = file_->FindPair(a, b, from);
  if (found >= 0) return found;
  // The last byte pairs with the extra zero byte at index L.
  if (b == 0 && file_->At(length - 1) == a) return length - 1;
  return -1;
}

}  // namespace geoframe
