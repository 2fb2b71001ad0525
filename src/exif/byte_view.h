#pragma once

#include <cstdint>
#include <string>

#include "exif/lazy_file.h"

namespace geoframe {

// A bounded, read-only view of a file's bytes with indices 0..L, L being the
// file length: index L reads as one extra zero byte, and any other index
// outside 0..L throws ExifError (OutOfRange). Indices are 64-bit so that a sum
// of an index and a file offset can never wrap. A default view is an empty
// file.
class ByteView {
 public:
  ByteView() = default;
  explicit ByteView(const LazyFile& file) : file_(&file) {}

  // L, the file length; also the highest readable index.
  std::int64_t Length() const { return file_ ? file_->Length() : 0; }
  // True when every index of first..last (inclusive) is readable.
  bool Holds(std::int64_t first, std::int64_t last) const { return first >= 0 && last <= Length(); }

  std::uint8_t At(std::int64_t index) const;
  // 16- and 32-bit unsigned integers in the given byte order.
  std::uint16_t U16(std::int64_t index, bool littleEndian) const;
  std::uint32_t U32(std::int64_t index, bool littleEndian) const;
  // The bytes first..last as text, one character per byte. Throws when the
  // range is not readable.
  std::string Text(std::int64_t first, std::int64_t last) const;
  // Index of the first i >= from with At(i) == a and At(i + 1) == b, or -1.
  std::int64_t FindPair(std::uint8_t a, std::uint8_t b, std::int64_t from) const;

 private:
  [[noreturn]] static void ThrowOutOfRange(std::int64_t index, std::int64_t length);

  const LazyFile* file_ = nullptr;
};

}  // namespace geoframe
