#include "faulty_file_system.h"

namespace geoframe::testing {

void FaultyFileSystem::FailOn(FsOp op, std::string pathPart, std::string reason) {
  faults_.push_back({op, std::move(pathPart), std::move(reason)});
}

void FaultyFileSystem::Check(FsOp op, const std::string& path, const std::string& entry) const {
  for (const Fault& fault : faults_) {
    if (fault.op == op && path.find(fault.pathPart) != std::string::npos) {
      if (op != FsOp::Read) log_.push_back(entry + " FAILED");
      throw OutputError("无法处理 " + path + ": " + fault.reason);
    }
  }
  if (op != FsOp::Read) log_.push_back(entry);
}

void FaultyFileSystem::CreateFolder(const std::string& path) {
  Check(FsOp::CreateFolder, path, "mkdir " + path);
  inner_.CreateFolder(path);
}

std::vector<std::uint8_t> FaultyFileSystem::ReadFile(const std::string& path, std::int64_t maxBytes) const {
  Check(FsOp::Read, path, "");
  return inner_.ReadFile(path, maxBytes);
}

void FaultyFileSystem::CopyFile(const std::string& from, const std::string& to) {
  Check(FsOp::Copy, to, "copy " + from + " -> " + to);
  inner_.CopyFile(from, to);
}

void FaultyFileSystem::RenameFile(const std::string& from, const std::string& to) {
  Check(FsOp::Rename, to, "rename " + from + " -> " + to);
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

void FaultyFileSystem::WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  Check(FsOp::Write, path, "write " + path);
  inner_.WriteNewFile(path, bytes);
}

}  // namespace geoframe::testing
