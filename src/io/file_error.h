#pragma once

#include <stdexcept>
#include <string>

namespace geoframe {

// What a file operation was doing when it failed.
enum class FileOp {
  Read,          // opening or reading a file
  Write,         // writing a new file or replacing one
  Copy,          // copying a file (path is the source, target the copy)
  Rename,        // renaming (path is the old name, target the new one)
  Remove,        // deleting a file
  CreateFolder,  // making a folder
  Lock,          // taking a folder's lock
};

// Why it failed.
enum class FileErrorKind {
  System,    // a system call failed; errnum says why
  Folder,    // a folder stands where a file is expected
  Special,   // a FIFO, device or socket stands where a file is expected
  TooLarge,  // the file is larger than the reader will hold
  Shrank,    // the file became shorter while it was read
  Busy,      // another process holds the lock
};

// The one exception type of the file layer. It carries what a front end needs
// to tell the user what happened (operation, kind, path, errno); what() is a
// short English text for logs and developers, never shown in the window.
class FileError : public std::runtime_error {
 public:
  FileError(FileOp op, FileErrorKind kind, std::string path, int errnum = 0, std::string target = {});

  FileOp op() const { return op_; }
  FileErrorKind kind() const { return kind_; }
  const std::string& path() const { return path_; }
  // The copy or the new name of a copy or rename; empty otherwise.
  const std::string& target() const { return target_; }
  // errno of the failed call; 0 for kinds other than System.
  int errnum() const { return errnum_; }

 private:
  FileOp op_;
  FileErrorKind kind_;
  std::string path_;
  std::string target_;
  int errnum_;
};

// A failed system call of the given operation: FileError with kind System and
// the current errno.
[[noreturn]] void ThrowSystemError(FileOp op, const std::string& path, const std::string& target = {});

}  // namespace geoframe
