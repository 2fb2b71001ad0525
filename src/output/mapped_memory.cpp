#include "output/mapped_memory.h"

#include <sys/mman.h>  // mmap, madvise, munmap

#include <new>      // bad_alloc
#include <utility>  // exchange

namespace geoframe {

namespace {

// The kernel places a mapping on a huge page boundary, where all of it can be
// huge pages, only when its length is a whole number of them: the length is
// rounded up, by less than one huge page. From 128 KB on, zeroing the unused
// rest of a huge page costs less than the 32 or more faults of 4 KB pages it
// saves; less keeps its length and 4 KB pages.
std::size_t MappedLength(std::size_t bytes) {
  if (bytes < kHugePageBytes / 16) return bytes;
  return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

}  // namespace

MappedMemory::MappedMemory(std::size_t bytes) : bytes_(bytes), mapped_(MappedLength(bytes)) {
  if (bytes == 0) return;
  void* address = ::mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (address == MAP_FAILED) throw std::bad_alloc();
  ::madvise(address, mapped_, MADV_HUGEPAGE);  // only a hint; 4 KB pages work too
  memory_ = static_cast<std::uint8_t*>(address);
}

MappedMemory::MappedMemory(MappedMemory&& other) noexcept
    : memory_(std::exchange(other.memory_, nullptr)),
      bytes_(std::exchange(other.bytes_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

MappedMemory& MappedMemory::operator=(MappedMemory&& other) noexcept {
  if (this == &other) return *this;
  Release();
  memory_ = std::exchange(other.memory_, nullptr);
  bytes_ = std::exchange(other.bytes_, 0);
  mapped_ = std::exchange(other.mapped_, 0);
  return *this;
}

MappedMemory::~MappedMemory() { Release(); }

void MappedMemory::Release() {
  if (memory_ != nullptr) ::munmap(memory_, mapped_);
  memory_ = nullptr;
  bytes_ = 0;
  mapped_ = 0;
}

}  // namespace geoframe
