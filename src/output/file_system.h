#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "output/output_error.h"

namespace geoframe {


// The file operations photo output needs. RealFileSystem works on the disk; tests
// put a fault-injecting one in its place. Paths are UTF-8 texts. Every operation
// that changes something throws OutputError when it fails.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // An ordinary file (not a folder) whose name does not start with ".".
  virtual bool FileExists(const std::string& path) const = 0;
  // Anything at all under that name: a file of any kind, hidden or not, or a folder.
  virtual bool NameTaken(const std::string& path) const = 0;
  virtual bool FolderExists(const std::string& path) const = 0;
  virtual void CreateFolder(const std::string& path) = 0;
  // The whole file; one larger than maxBytes is refused before it is read.
  virtual std::vector<std::uint8_t> ReadFile(const std::string& path, std::int64_t maxBytes) const = 0;
  // Copies byte for byte; never replaces an existing target.
  virtual void CopyFile(const std::string& from, const std::string& to) = 0;
  // Renames inside one folder; never replaces an existing target.
  virtual void RenameFile(const std::string& from, const std::string& to) = 0;
  virtual void RemoveFile(const std::string& path) = 0;
  // Writes a complete file or none: the bytes go to a temporary name in the
  // target's folder, which is then renamed into place (replacing a file there).
  virtual void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) = 0;
  // Like WriteFile, but never replaces anything already at path: the temporary
  // file is renamed into place only while the name is free.
  virtual void WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes) = 0;
};

// The disk.
FileSystem& RealFileSystem();

}  // namespace geoframe
