#include "output/file_system.h"

#include <sys/stat.h>  // stat, lstat, mkdir
#include <unistd.h>    // unlink

#include "io/file_error.h"
#include "io/hidden_name.h"
#include "io/write_file.h"

namespace geoframe {

namespace {

// The permission bits a file replacing the one at path keeps.
unsigned ModeToKeep(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return static_cast<unsigned>(info.st_mode) & 0777u;
  return NewFileMode();
}

class DiskFileSystem : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && !IsHiddenName(path);
  }

  bool NameTaken(const std::string& path) const override {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
  }

  bool FolderExists(const std::string& path) const override {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  std::optional<FileStatus> Status(const std::string& path) const override { return StatusOf(path); }

  std::size_t MaxNameBytes(const std::string& folder) const override { return geoframe::MaxNameBytes(folder); }

  void CreateFolder(const std::string& path) override {
    if (::mkdir(path.c_str(), 0755) != 0) ThrowSystemError(FileOp::CreateFolder, path);
  }

  MappedMemory ReadFile(const std::string& path, std::int64_t maxBytes) const override {
    const OpenFile file = OpenRegularFile(path);
    if (file.size > maxBytes) throw FileError(FileOp::Read, FileErrorKind::TooLarge, path);
    MappedMemory bytes(static_cast<std::size_t>(file.size));
    ReadRange(file, 0, {bytes.data(), bytes.size()});
    return bytes;
  }

  void CopyFile(const std::string& from, const std::string& to) override {
    const OpenFile source = OpenRegularFile(from);
    NewFile copy(to);
    std::vector<std::uint8_t> buffer(std::size_t{1} << 16);
    while (const std::size_t got = ReadSome(source, buffer)) copy.Write({buffer.data(), got});
    copy.Finish(source.mode);
    try {
      copy.PlaceNew();
    } catch (const FileError& error) {
      throw FileError(FileOp::Copy, error.kind(), from, error.errnum(), to);
    }
  }

  void RenameFile(const std::string& from, const std::string& to) override {
    RenameNoReplace(from, to);
    SyncFolder(FolderOf(to));
  }

  void RemoveFile(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) ThrowSystemError(FileOp::Remove, path);
  }

  void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override {
    NewFile file(path);
    file.Write(bytes);
    file.Finish(ModeToKeep(path));
    file.PlaceOver();
  }

  void WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes, unsigned mode) override {
    NewFile file(path);
    file.Write(bytes);
    file.Finish(mode);
    file.PlaceNew();
  }

  FolderLock LockFolder(const std::string& folder) override {
    FolderLock lock = geoframe::LockFolder(folder);
    RemoveLeftovers(lock.folder());
    return lock;
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static DiskFileSystem disk;
  return disk;
}

}  // namespace geoframe
