#pragma once

#include <cerrno>
#include <cstddef>
#include <string>
#include <vector>

#include "output/file_system.h"

namespace geoframe::testing {

enum class FsOp { CreateFolder, Copy, Rename, Remove, Write, Read, Lock };

// The disk with faults on demand: an operation of a chosen kind whose path (the
// target for copies and renames) contains a chosen text fails with a chosen
// errno, before anything is done. Every changing operation is logged.
class FaultyFileSystem : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner = RealFileSystem()) : inner_(inner) {}

  void FailOn(FsOp op, std::string pathPart = "", int errnum = EIO);
  // Every write and copy fails as on a full disk.
  void DiskFull() {
    FailOn(FsOp::Write, "", ENOSPC);
    FailOn(FsOp::Copy, "", ENOSPC);
  }
  void ClearFaults() { faults_.clear(); }
  // The process kills itself (SIGKILL, as a crash or a power cut would stop
  // it) just before its n-th changing operation, counted from 0.
  void CrashBefore(std::size_t operation) { crashBefore_ = operation; }
  // "mkdir P", "copy A -> B", "rename A -> B", "remove P", "write P", "lock P";
  // failed ones end in " FAILED".
  const std::vector<std::string>& log() const { return log_; }

  bool FileExists(const std::string& path) const override { return inner_.FileExists(path); }
  bool NameTaken(const std::string& path) const override { return inner_.NameTaken(path); }
  bool FolderExists(const std::string& path) const override { return inner_.FolderExists(path); }
  std::optional<FileStatus> Status(const std::string& path) const override { return inner_.Status(path); }
  std::size_t MaxNameBytes(const std::string& folder) const override { return inner_.MaxNameBytes(folder); }
  void CreateFolder(const std::string& path) override;
  MappedMemory ReadFile(const std::string& path, std::int64_t maxBytes) const override;
  void CopyFile(const std::string& from, const std::string& to) override;
  void RenameFile(const std::string& from, const std::string& to) override;
  void RemoveFile(const std::string& path) override;
  void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
  void WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes, unsigned mode) override;
  FolderLock LockFolder(const std::string& folder) override;

 private:
  struct Fault {
    FsOp op;
    std::string pathPart;
    int errnum;
  };
  // Logs the operation and throws when a fault matches it.
  void Check(FsOp op, const std::string& path, const std::string& entry, const std::string& source = {}) const;

  FileSystem& inner_;
  std::vector<Fault> faults_;
  std::size_t crashBefore_ = static_cast<std::size_t>(-1);
  mutable std::vector<std::string> log_;
};

}  // namespace geoframe::testing
