#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "io/folder.h"
#include "io/read_file.h"
#include "output/mapped_memory.h"
#include "output/output_error.h"  // what the users of a file system throw beside its FileError

namespace geoframe {

// The file operations photo output needs. RealFileSystem works on the disk; tests
// put a fault-injecting one in its place. Paths are UTF-8 texts. Every operation
// that fails throws FileError (operation, kind, path, errno). The const
// operations are called from a batch's render threads while the caller's
// thread makes changes, so they must be safe to call at the same time.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // An ordinary file (not a folder) whose name does not start with ".".
  virtual bool FileExists(const std::string& path) const = 0;
  // Anything at all under that name: a file of any kind, hidden or not, or a folder.
  virtual bool NameTaken(const std::string& path) const = 0;
  virtual bool FolderExists(const std::string& path) const = 0;
  // What is at path (following links), without opening it; nothing when nothing is.
  virtual std::optional<FileStatus> Status(const std::string& path) const = 0;
  // The longest file name the folder takes, in bytes.
  virtual std::size_t MaxNameBytes(const std::string& folder) const = 0;
  virtual void CreateFolder(const std::string& path) = 0;
  // The whole of a regular file; one larger than maxBytes is refused before it
  // is read, and a folder, FIFO or device without opening it.
  // The bytes are in mapped memory: a photo's file is read whole for framing.
  virtual MappedMemory ReadFile(const std::string& path, std::int64_t maxBytes) const = 0;
  // Copies a regular file byte for byte, the copy with the source's permission
  // bits; never replaces an existing target.
  virtual void CopyFile(const std::string& from, const std::string& to) = 0;
  // Renames inside one folder; never replaces an existing target.
  virtual void RenameFile(const std::string& from, const std::string& to) = 0;
  virtual void RemoveFile(const std::string& path) = 0;
  // Writes a complete file or none, replacing whatever is at path in one step;
  // the file keeps the permission bits of the file it replaces (NewFileMode()
  // when there is none).
  virtual void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) = 0;
  // Like WriteFile, with the permission bits `mode`, but never replaces anything
  // already at path.
  virtual void WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes, unsigned mode) = 0;
  // Takes the folder's exclusive lock without waiting (FileError Busy when
  // another holds it) and then removes what crashed writers left in it.
  virtual FolderLock LockFolder(const std::string& folder) = 0;
};

// The disk. Files being written have no name (or a hidden one where the file
// system has no unnamed files) and only their owner can read them until they
// are complete.
FileSystem& RealFileSystem();

}  // namespace geoframe
