#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "io/read_file.h"

namespace geoframe {

// A file opened for reading whose bytes are read only when asked for, in
// blocks of kBlockSize, and kept in a small cache. Reading a photo's EXIF data
// thus reads a few kilobytes at the start of the file, whatever its size.
// (Plain reads rather than a memory map: on the machines we measured, mapping
// and faulting in the pages cost several times more than reading them.)
// Only regular files are opened (see OpenRegularFile). Throws ExifError (Io)
// when the file cannot be opened or read.
class LazyFile {
 public:
  static constexpr std::int64_t kBlockSize = 16 * 1024;

  explicit LazyFile(const std::string& path);
  // A file already read into memory (which must outlive this): the same
  // answers from its bytes, without opening anything.
  explicit LazyFile(std::span<const std::uint8_t> bytes);
  LazyFile(const LazyFile&) = delete;
  LazyFile& operator=(const LazyFile&) = delete;

  std::int64_t Length() const { return length_; }
  // The byte at index, 0 <= index < Length().
  std::uint8_t At(std::int64_t index) const;
  // Copies bytes first..last (inside the file) to out.
  void Copy(std::int64_t first, std::int64_t last, char* out) const;
  // Index of the first i >= from with bytes i, i+1 equal to a, b (both inside
  // the file), or -1. Past the first block it reads large pieces, uncached.
  std::int64_t FindPair(std::uint8_t a, std::uint8_t b, std::int64_t from) const;

 private:
  struct Block {
    std::int64_t start = -1;
    std::vector<std::uint8_t> bytes;
  };
  // Cached blocks; the oldest is replaced when all are in use, which bounds
  // the memory a walk all over a large file can take.
  static constexpr std::size_t kMaxBlocks = 64;

  const Block& BlockAt(std::int64_t index) const;
  void ReadAt(std::int64_t offset, std::int64_t size, void* out) const;

  OpenFile file_;
  std::int64_t length_ = 0;
  std::span<const std::uint8_t> memory_;  // the bytes, when read already
  bool inMemory_ = false;
  mutable std::vector<Block> blocks_;
  mutable std::size_t lastBlock_ = 0;  // the block that answered the last read
  mutable std::size_t nextVictim_ = 0;
};

}  // namespace geoframe
