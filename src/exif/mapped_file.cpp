#include "exif/mapped_file.h"

#include <fcntl.h>     // open
#include <sys/mman.h>  // mmap, munmap
#include <sys/stat.h>  // fstat
#include <unistd.h>    // close

#include <cerrno>
#include <cstring>  // strerror

#include "exif/exif_reader.h"

namespace geoframe {

namespace {

[[noreturn]] void ThrowIo(const std::string& path, const char* what, int error) {
  throw ExifError(ExifErrorKind::Io, path + ": " + what + ": " + std::strerror(error));
}

// Closes the descriptor on every path out of the constructor; the mapping
// stays valid after the descriptor is closed.
struct FdCloser {
  int fd;
  ~FdCloser() { ::close(fd); }
};

}  // namespace

MappedFile::MappedFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowIo(path, "cannot open", errno);
  FdCloser closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0) ThrowIo(path, "cannot read its size", errno);
  if (!S_ISREG(info.st_mode)) {
    throw ExifError(ExifErrorKind::Io, path + ": cannot read: not a regular file");
  }
  size_ = static_cast<std::size_t>(info.st_size);
  if (size_ == 0) return;  // an empty file has nothing to map
  void* mapped = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
  if (mapped == MAP_FAILED) ThrowIo(path, "cannot map", errno);
  data_ = static_cast<const std::uint8_t*>(mapped);
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) ::munmap(const_cast<std::uint8_t*>(data_), size_);
}

}  // namespace geoframe
