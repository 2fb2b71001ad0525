#include "tiff_builder.h"

#include <algorithm>  // std::copy
#include <iterator>   // std::begin

#include "test_support.h"

namespace geoframe::testing {

Tiff& Tiff::Header(std::uint32_t ifd0Offset) {
  if (little_) {
    Raw({'I', 'I', 42, 0});
  } else {
    Raw({'M', 'M', 0, 42});
  }
  return U32(ifd0Offset);
}

Tiff& Tiff::U16(std::uint16_t value) {
  const std::uint8_t high = value >> 8, low = value & 0xFF;
  return little_ ? Raw({low, high}) : Raw({high, low});
}

Tiff& Tiff::U32(std::uint32_t value) {
  return little_ ? U16(value & 0xFFFF).U16(value >> 16) : U16(value >> 16).U16(value & 0xFFFF);
}

Tiff& Tiff::Raw(std::initializer_list<std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes);
  return *this;
}

Tiff& Tiff::Text(std::string_view text) {
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  return *this;
}

Tiff& Tiff::Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t field) {
  return U16(tag).U16(type).U32(count).U32(field);
}

Tiff& Tiff::EntryRaw(std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                     std::initializer_list<std::uint8_t> field) {
  return U16(tag).U16(type).U32(count).Raw(field);
}

Tiff& Tiff::PadTo(std::uint32_t offset) {
  if (bytes_.size() < offset) bytes_.resize(offset, 0);
  return *this;
}

std::vector<std::uint8_t> JpegWithExif(const Tiff& tiff) {
  const std::size_t segmentLength = 2 + 6 + tiff.bytes().size();
  const std::uint8_t head[] = {0xFF, 0xD8,  // start of image
                               0xFF, 0xE1,  // APP1
                               static_cast<std::uint8_t>(segmentLength >> 8),
                               static_cast<std::uint8_t>(segmentLength & 0xFF),
                               'E', 'x', 'i', 'f', 0, 0};
  const std::uint8_t tail[] = {0xFF, 0xD9};  // end of image
  std::vector<std::uint8_t> file(sizeof head + tiff.bytes().size() + sizeof tail);
  auto out = std::copy(std::begin(head), std::end(head), file.begin());
  out = std::copy(tiff.bytes().begin(), tiff.bytes().end(), out);
  std::copy(std::begin(tail), std::end(tail), out);
  return file;
}

std::string WriteFile(const std::filesystem::path& dir, const std::string& name, const std::vector<std::uint8_t>& bytes) {
  const std::filesystem::path path = dir / name;
  WriteFileBytes(path, bytes);
  return path.string();
}

}  // namespace geoframe::testing
