#include "io/read_file.h"

#include <fcntl.h>     // open, O_* flags
#include <sys/stat.h>  // stat, fstat
#include <unistd.h>    // pread, read, close

#include <cerrno>

#include "io/file_error.h"

namespace geoframe {

namespace {

FileStatus StatusFrom(const struct stat& info) {
  FileStatus status;
  status.kind = S_ISREG(info.st_mode)   ? FileKind::Regular
                : S_ISDIR(info.st_mode) ? FileKind::Folder
                                        : FileKind::Special;
  status.identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  status.size = static_cast<std::int64_t>(info.st_size);
  status.mode = static_cast<unsigned>(info.st_mode) & 07777u;
  return status;
}

// Refuses what is not a regular file, with the kind that says what it is.
void RequireRegular(const struct stat& info, const std::string& path) {
  if (S_ISREG(info.st_mode)) return;
  const FileErrorKind kind = S_ISDIR(info.st_mode) ? FileErrorKind::Folder : FileErrorKind::Special;
  throw FileError(FileOp::Read, kind, path);
}

}  // namespace

std::optional<FileStatus> StatusOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return StatusFrom(info);
  if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
  ThrowSystemError(FileOp::Read, path);
}

OpenFile OpenRegularFile(const std::string& path) {
  // A look before opening: opening a FIFO waits for a writer, and opening a
  // device may act on it (rewind a tape, hang up a line).
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) ThrowSystemError(FileOp::Read, path);
  RequireRegular(info, path);
  // O_NONBLOCK in case something else took the name since the look.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd) ThrowSystemError(FileOp::Read, path);
  if (::fstat(fd.get(), &info) != 0) ThrowSystemError(FileOp::Read, path);
  RequireRegular(info, path);
  // Regular files ignore O_NONBLOCK; cleared all the same so reads wait for
  // the disk. It is the only status flag set here, so none is asked for.
  ::fcntl(fd.get(), F_SETFL, 0);
  const FileStatus status = StatusFrom(info);
  OpenFile file;
  file.fd = std::move(fd);
  file.path = path;
  file.size = status.size;
  file.identity = status.identity;
  file.mode = status.mode;
  return file;
}

void ReadRange(const OpenFile& file, std::int64_t offset, std::span<std::uint8_t> out) {
  while (!out.empty()) {
    const ssize_t got = ::pread(file.fd.get(), out.data(), out.size(), offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ThrowSystemError(FileOp::Read, file.path);
    if (got == 0) throw FileError(FileOp::Read, FileErrorKind::Shrank, file.path);
    out = out.subspan(static_cast<std::size_t>(got));
    offset += got;
  }
}

std::size_t ReadSome(const OpenFile& file, std::span<std::uint8_t> buffer) {
  for (;;) {
    const ssize_t got = ::read(file.fd.get(), buffer.data(), buffer.size());
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) ThrowSystemError(FileOp::Read, file.path);
  }
}

std::vector<std::uint8_t> ReadWholeFile(const OpenFile& file, std::int64_t maxBytes) {
  if (file.size > maxBytes) throw FileError(FileOp::Read, FileErrorKind::TooLarge, file.path);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.size));
  ReadRange(file, 0, bytes);
  return bytes;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::int64_t maxBytes) {
  return ReadWholeFile(OpenRegularFile(path), maxBytes);
}

}  // namespace geoframe
