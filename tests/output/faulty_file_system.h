#pragma once

#include <string>
#include <vector>

#include "output/file_system.h"

namespace geoframe::testing {

enum class FsOp { CreateFolder, Copy, Rename, Remove, Write, Read };

// The disk with faults on demand: an operation of a chosen kind whose path (the
// target for copies and renames) contains a chosen text fails with a chosen
// reason, before anything is done. Every changing operation is logged.
class FaultyFileSystem : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner = RealFileSystem()) : inner_(inner) {}

  void FailOn(FsOp op, std::string pathPart = "", std::string reason = "模拟的故障");
  // Every write and copy fails as on a full disk.
  void DiskFull() {
    FailOn(FsOp::Write, "", "磁盘已满");
    FailOn(FsOp::Copy, "", "磁盘已满");
  }
  void ClearFaults() { faults_.clear(); }
  // "mkdir P", "copy A -> B", "rename A -> B", "remove P", "write P"; failed
  // ones end in " FAILED".
  const std::vector<std::string>& log() const { return log_; }

  bool FileExists(const std::string& path) const override { return inner_.FileExists(path); }
  bool NameTaken(const std::string& path) const override { return inner_.NameTaken(path); }
  bool FolderExists(const std::string& path) const override { return inner_.FolderExists(path); }
  void CreateFolder(const std::string& path) override;
  std::vector<std::uint8_t> ReadFile(const std::string& path, std::int64_t maxBytes) const override;
  void CopyFile(const std::string& from, const std::string& to) override;
  void RenameFile(const std::string& from, const std::string& to) override;
  void RemoveFile(const std::string& path) override;
  void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
  void WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes) override;

 private:
  struct Fault {
    FsOp op;
    std::string pathPart;
    std::string reason;
  };
  // Logs the operation and throws when a fault matches it.
  void Check(FsOp op, const std::string& path, const std::string& entry) const;

  FileSystem& inner_;
  std::vector<Fault> faults_;
  mutable std::vector<std::string> log_;
};

}  // namespace geoframe::testing
