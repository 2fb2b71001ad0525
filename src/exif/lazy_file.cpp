#include "exif/lazy_file.h"

#include <algorithm>  // std::min
#include <cstring>    // memchr, memcpy
#include <memory>     // unique_ptr

#include "exif/exif_reader.h"
#include "io/file_error.h"

namespace geoframe {

namespace {

[[noreturn]] void ThrowIo(const FileError& error) {
  throw ExifError(error);
}

OpenFile Open(const std::string& path) {
  try {
    return OpenRegularFile(path);
  } catch (const FileError& error) {
    ThrowIo(error);
  }
}

// The scan for a byte pair reads this much at a time.
constexpr std::int64_t kScanSize = 64 * 1024;

// Index of the first i < size - 1 with data[i] == a and data[i + 1] == b, or
// -1. memchr jumps between the candidates for the first byte.
std::int64_t PairIndex(const std::uint8_t* data, std::int64_t size, std::uint8_t a, std::uint8_t b) {
  if (size < 2) return -1;
  const std::uint8_t* p = data;
  const std::uint8_t* last = data + size - 1;  // may only end a pair
  while (p < last && (p = static_cast<const std::uint8_t*>(std::memchr(p, a, static_cast<std::size_t>(last - p))))) {
    if (p[1] == b) return p - data;
    ++p;
  }
  return -1;
}

}  // namespace

LazyFile::LazyFile(const std::string& path) : file_(Open(path)), length_(file_.size) {
  blocks_.reserve(kMaxBlocks);  // never reallocated: a block stays where it is while in use
}

LazyFile::LazyFile(std::span<const std::uint8_t> bytes)
    : length_(static_cast<std::int64_t>(bytes.size())), memory_(bytes), inMemory_(true) {
  blocks_.reserve(kMaxBlocks);
}

void LazyFile::ReadAt(std::int64_t offset, std::int64_t size, void* out) const {
  if (inMemory_) {
    std::memcpy(out, memory_.data() + offset, static_cast<std::size_t>(size));
    return;
  }
  try {
    ReadRange(file_, offset, {static_cast<std::uint8_t*>(out), static_cast<std::size_t>(size)});
  } catch (const FileError& error) {
    ThrowIo(error);
  }
}

const LazyFile::Block& LazyFile::BlockAt(std::int64_t index) const {
  const std::int64_t start = index / kBlockSize * kBlockSize;
  if (lastBlock_ < blocks_.size() && blocks_[lastBlock_].start == start) return blocks_[lastBlock_];
  for (std::size_t i = 0; i < blocks_.size(); ++i) {
    if (blocks_[i].start == start) return blocks_[lastBlock_ = i];
  }
  if (blocks_.size() < kMaxBlocks) {
    blocks_.emplace_back();
    lastBlock_ = blocks_.size() - 1;
  } else {
    lastBlock_ = nextVictim_;
    nextVictim_ = (nextVictim_ + 1) % kMaxBlocks;
  }
  Block& block = blocks_[lastBlock_];
  block.start = -1;  // not valid until the read succeeds
  block.bytes.resize(static_cast<std::size_t>(std::min(kBlockSize, length_ - start)));
  ReadAt(start, static_cast<std::int64_t>(block.bytes.size()), block.bytes.data());
  block.start = start;
  return block;
}

std::uint8_t LazyFile::At(std::int64_t index) const {
  const Block& block = BlockAt(index);
  return block.bytes[static_cast<std::size_t>(index - block.start)];
}

void LazyFile::Copy(std::int64_t first, std::int64_t last, char* out) const {
  const std::int64_t size = last - first + 1;
  if (first / kBlockSize == last / kBlockSize) {
    const Block& block = BlockAt(first);
    std::memcpy(out, block.bytes.data() + (first - block.start), static_cast<std::size_t>(size));
  } else {
    ReadAt(first, size, out);  // a long value: one read straight into place
  }
}

std::int64_t LazyFile::FindPair(std::uint8_t a, std::uint8_t b, std::int64_t from) const {
  if (from < 0 || from >= length_ - 1) return -1;
  // Nearly every photo has the pair in the block already read for its start.
  const Block& block = BlockAt(from);
  const std::int64_t blockEnd = block.start + static_cast<std::int64_t>(block.bytes.size());
  const std::int64_t skip = from - block.start;
  const std::int64_t inBlock = PairIndex(block.bytes.data() + skip, blockEnd - from, a, b);
  if (inBlock >= 0) return from + inBlock;
  if (blockEnd >= length_) return -1;
  const bool lastMatches = block.bytes.back() == a;
  if (lastMatches && At(blockEnd) == b) return blockEnd - 1;
  if (inMemory_) {
    const std::int64_t found = PairIndex(memory_.data() + blockEnd, length_ - blockEnd, a, b);
    return found >= 0 ? blockEnd + found : -1;
  }
  // The rest is read in large pieces that overlap by one byte, so that a pair
  // across a border is seen, and not cached. The piece is not zeroed first:
  // each read fills what is scanned.
  const auto most = static_cast<std::size_t>(std::min(kScanSize + 1, length_ - blockEnd));
  const std::unique_ptr<std::uint8_t[]> piece(new std::uint8_t[most]);
  for (std::int64_t start = blockEnd; start < length_ - 1; start += kScanSize) {
    const std::int64_t size = std::min(kScanSize + 1, length_ - start);
    ReadAt(start, size, piece.get());
    const std::int64_t found = PairIndex(piece.get(), size, a, b);
    if (found >= 0) return start + found;
  }
  return -1;
}

}  // namespace geoframe
