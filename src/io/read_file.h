#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "io/descriptor.h"

namespace geoframe {

// Where a file lives: two paths name the same file when these agree.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
  auto operator<=>(const FileIdentity&) const = default;
};

// What stands under a name.
enum class FileKind {
  Regular,
  Folder,
  Special,  // a FIFO, device or socket
};

// What a look at a name (following symbolic links) tells about the file.
struct FileStatus {
  FileKind kind = FileKind::Regular;
  FileIdentity identity;
  std::int64_t size = 0;
  unsigned mode = 0;  // the permission bits (st_mode & 07777)
};

// What is at path, following symbolic links; nothing when nothing is there (no
// such name, or a dangling link). Never opens the file. Throws FileError (op
// Read, System) when the name cannot be looked at (no right to a folder on the
// way, a loop of links, a name too long).
std::optional<FileStatus> StatusOf(const std::string& path);

// A regular file open for reading.
struct OpenFile {
  Descriptor fd;
  std::string path;
  std::int64_t size = 0;  // the length when it was opened
  FileIdentity identity;
  unsigned mode = 0;  // the permission bits (st_mode & 07777)
};

// Opens a regular file for reading. Anything else is refused before it is
// opened (a folder as Folder; a FIFO, device or socket as Special), so that no
// open can block or touch a device; the open itself never blocks either, in
// case such a file takes the name in between. Throws FileError (op Read).
OpenFile OpenRegularFile(const std::string& path);

// Fills `out` with the bytes at `offset`. Throws FileError: System when a read
// fails, Shrank when the file ends first.
void ReadRange(const OpenFile& file, std::int64_t offset, std::span<std::uint8_t> out);

// Reads on from the current position into `buffer`; the number of bytes read,
// 0 at the end of the file. Throws FileError (System) when a read fails.
std::size_t ReadSome(const OpenFile& file, std::span<std::uint8_t> buffer);

// The whole file. A file larger than maxBytes is refused (TooLarge) before
// anything is read, so that no caller holds more than its budget.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::int64_t maxBytes);
std::vector<std::uint8_t> ReadWholeFile(const OpenFile& file, std::int64_t maxBytes);

}  // namespace geoframe
