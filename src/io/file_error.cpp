#include "io/file_error.h"

#include <cerrno>
#include <cstring>  // strerror

namespace geoframe {

namespace {

const char* OpName(FileOp op) {
  switch (op) {
    case FileOp::Read: return "read";
    case FileOp::Write: return "write";
    case FileOp::Copy: return "copy";
    case FileOp::Rename: return "rename";
    case FileOp::Remove: return "remove";
    case FileOp::CreateFolder: return "create folder";
    case FileOp::Lock: return "lock";
  }
  return "use";
}

std::string KindText(FileErrorKind kind, int errnum) {
  switch (kind) {
    case FileErrorKind::System: return std::strerror(errnum);
    case FileErrorKind::Folder: return "is a folder";
    case FileErrorKind::Special: return "is not a regular file";
    case FileErrorKind::TooLarge: return "is too large";
    case FileErrorKind::Shrank: return "became shorter while it was read";
    case FileErrorKind::Busy: return "is locked by another process";
  }
  return "failed";
}

std::string Describe(FileOp op, FileErrorKind kind, const std::string& path, int errnum, const std::string& target) {
  std::string text = std::string("cannot ") + OpName(op) + " " + path;
  if (!target.empty()) text += " to " + target;
  return text + ": " + KindText(kind, errnum);
}

}  // namespace

FileError::FileError(FileOp op, FileErrorKind kind, std::string path, int errnum, std::string target)
    : std::runtime_error(Describe(op, kind, path, errnum, target)),
      op_(op),
      kind_(kind),
      path_(std::move(path)),
      target_(std::move(target)),
      errnum_(kind == FileErrorKind::System ? errnum : 0) {}

void ThrowSystemError(FileOp op, const std::string& path, const std::string& target) {
  throw FileError(op, FileErrorKind::System, path, errno, target);
}

}  // namespace geoframe
