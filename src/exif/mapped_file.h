#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace geoframe {

// A whole file mapped read-only into memory. Only the pages that are actually
// read are brought in, so reading a few kilobytes at the start of a 20 MB photo
// costs about what it costs for a small one. Throws ExifError (Io) when the file
// cannot be opened or mapped.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace geoframe
