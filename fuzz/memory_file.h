#pragma once

#include <sys/mman.h>  // memfd_create
#include <unistd.h>    // ftruncate, pwrite

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace geoframe::fuzz {

// One in-memory file for a whole fuzz run, reached by its /proc path, so that
// each input goes through open and read like a file on disk.
struct MemoryFile {
  int fd = ::memfd_create("fuzz_input", 0);
  std::string path = "/proc/self/fd/" + std::to_string(fd);

  void Fill(const std::uint8_t* data, std::size_t size) {
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) std::abort();
    if (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
  }
};

}  // namespace geoframe::fuzz
