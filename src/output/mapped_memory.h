#pragma once

#include <cstddef>
#include <cstdint>

namespace geoframe {

// A transparent huge page of x86-64: the most a mapping is rounded up by.
inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// Memory for a large picture or stream, mapped from the kernel directly rather
// than taken from the heap: it goes back to the system as soon as it is freed,
// only the pages written to take memory, and transparent huge pages are asked
// for, so that filling it faults once every 2 MB rather than every 4 KB (a
// fault costs several microseconds, more under virtualisation). Starts zeroed.
// Holds a picture's planes, an encoder's output, a photo file's bytes, a
// decoder's strips.
class MappedMemory {
 public:
  MappedMemory() = default;
  // Throws bad_alloc when the address space cannot be had.
  explicit MappedMemory(std::size_t bytes);
  MappedMemory(MappedMemory&& other) noexcept;
  MappedMemory& operator=(MappedMemory&& other) noexcept;
  MappedMemory(const MappedMemory&) = delete;
  MappedMemory& operator=(const MappedMemory&) = delete;
  ~MappedMemory();

  std::uint8_t* data() const { return memory_; }
  std::size_t size() const { return bytes_; }
  // Its bytes as a range (a span of them, a comparison with a vector).
  std::uint8_t* begin() const { return memory_; }
  std::uint8_t* end() const { return memory_ + bytes_; }

 private:
  void Release();

  std::uint8_t* memory_ = nullptr;
  std::size_t bytes_ = 0;
  std::size_t mapped_ = 0;  // bytes_ rounded up as mapped
};

}  // namespace geoframe
