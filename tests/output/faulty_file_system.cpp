#include "faulty_file_system.h"

#include <csignal>  // raise, SIGKILL

#include "io/file_error.h"

namespace geoframe::testing {

namespace {

FileOp OpOf(FsOp op) {
  switch (op) {
    case FsOp::CreateFolder: return FileOp::CreateFolder;
    case FsOp::Copy: return FileOp::Copy;
    case FsOp::Rename: return FileOp::Rename;
    case FsOp::Remove: return FileOp::Remove;
    case FsOp::Write: return FileOp::Write;
    case FsOp::Read: return FileOp::Read;
    case FsOp::Lock: return FileOp::Lock;
  }
  return FileOp::Read;
}

}  // namespace

void FaultyFileSystem::FailOn(FsOp op, std::string pathPart, int errnum) {
  faults_.push_back({op, std::move(pathPart), errnum});
}

void FaultyFileSystem::Check(FsOp op, const std::string& path, const std::string& entry,
                             const std::string& source) const {
  const bool changes = op != FsOp::Read;
  if (changes && log_.size() == crashBefore_) std::raise(SIGKILL);
  for (const Fault& fault : faults_) {
    if (fault.op == op && path.find(fault.pathPart) != std::string::npos) {
      if (changes) log_.push_back(entry + " FAILED");
      // Copies and renames name their source first and the target second.
      if (source.empty()) throw FileError(OpOf(op), FileErrorKind::System, path, fault.errnum);
      throw FileError(OpOf(op), FileErrorKind::System, source, fault.errnum, path);
    }
  }
  if (changes) log_.push_back(entry);
}

void FaultyFileSystem::CreateFolder(const std::string& path) {
  Check(FsOp::CreateFolder, path, "mkdir " + path);
  inner_.CreateFolder(path);
}

MappedMemory FaultyFileSystem::ReadFile(const std::string& path, std::int64_t maxBytes) const {
  Check(FsOp::Read, path, "");
  return inner_.ReadFile(path, maxBytes);
}

void FaultyFileSystem::CopyFile(const std::string& from, const std::string& to) {
  Check(FsOp::Copy, to, "copy " + from + " -> " + to, from);
  inner_.CopyFile(from, to);
}

void FaultyFileSystem::RenameFile(const std::string& from, const std::string& to) {
  Check(FsOp::Rename, to, "rename " + from + " -> " + to, from);
  inner_.RenameFile(from, to);
}

void FaultyFileSystem::RemoveFile(const std::string& path) {
  Check(FsOp::Remove, path, "remove " + path);
  inner_.RemoveFile(path);
}

void FaultyFileSystem::WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  Check(FsOp::Write, path, "write " + path);
  inner_.WriteFile(path, bytes);
}

void FaultyFileSystem::WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes, unsigned mode) {
  Check(FsOp::Write, path, "write " + path);
  inner_.WriteNewFile(path, bytes, mode);
}

FolderLock FaultyFileSystem::LockFolder(const std::string& folder) {
  Check(FsOp::Lock, folder, "lock " + folder);
  return inner_.LockFolder(folder);
}

}  // namespace geoframe::testing
