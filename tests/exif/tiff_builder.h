#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace geoframe::testing {

// Writes the bytes of a TIFF structure in one byte order, field by field, so
// that a test reads like the layout it builds.
class Tiff {
 public:
  explicit Tiff(bool littleEndian) : little_(littleEndian) {}

  bool little() const { return little_; }
  std::uint32_t size() const { return static_cast<std::uint32_t>(bytes_.size()); }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  // "II" 42 or "MM" 42, then the offset of IFD0.
  Tiff& Header(std::uint32_t ifd0Offset = 8);
  Tiff& U16(std::uint16_t value);
  Tiff& U32(std::uint32_t value);
  Tiff& Raw(std::initializer_list<std::uint8_t> bytes);
  Tiff& Text(std::string_view text);  // the characters only, no terminator
  // An IFD entry: tag, field type, count, then the four-byte value field as a
  // 32-bit number (an offset, or a LONG value).
  Tiff& Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t field);
  // An entry whose value field is given as its four bytes in file order.
  Tiff& EntryRaw(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::initializer_list<std::uint8_t> field);
  // Fills with zero bytes up to the given offset.
  Tiff& PadTo(std::uint32_t offset);

 private:
  bool little_;
  std::vector<std::uint8_t> bytes_;
};

// A JPEG file around a TIFF structure: SOI, an APP1 segment "Exif\0\0" whose
// TIFF header starts at byte 12, then EOI.
std::vector<std::uint8_t> JpegWithExif(const Tiff& tiff);

// Writes the bytes to a file named name in dir and returns its path.
std::string WriteFile(const std::filesystem::path& dir, const std::string& name, const std::vector<std::uint8_t>& bytes);

}  // namespace geoframe::testing
