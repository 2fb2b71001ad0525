#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "io/descriptor.h"

namespace geoframe {

// The folder part of a path, with its trailing "/"; "./" for a bare name.
std::string FolderOf(const std::string& path);

// Flushes a folder's entries to the disk, so that a name just given survives a
// power cut. Best effort: a folder that cannot be opened is left alone.
void SyncFolder(const std::string& folder);

// The longest file name, in bytes, that every Linux file system in common use
// allows.
inline constexpr std::size_t kNameMaxBytes = 255;

// The longest file name the folder's file system takes, in bytes
// (kNameMaxBytes where it cannot be asked).
std::size_t MaxNameBytes(const std::string& folder);

// An exclusive lock on a folder, held until the object goes out of scope. The
// lock is flock() on the folder itself, so no lock file is ever left behind,
// and the kernel drops it when the process ends, however it ends.
class FolderLock {
 public:
  FolderLock() = default;
  FolderLock(Descriptor folder, std::string path) : folder_(std::move(folder)), path_(std::move(path)) {}

  // The open folder (also where RemoveLeftovers looks).
  const Descriptor& folder() const { return folder_; }
  const std::string& path() const { return path_; }

 private:
  Descriptor folder_;
  std::string path_;
};

// A batch keeps each folder it writes in open for its lock; a program calls
// this once at start so that a batch over many folders is not cut short by
// the usual soft limit of 1024 open files (the hard limit is far higher).
void RaiseOpenFileLimit();

// Takes a folder's lock without waiting. Throws FileError (op Lock) Busy when
// another open of the folder holds it (another process, or another FolderLock
// of this one), System when the folder cannot be opened for another reason
// than a missing read permission. On a file system without flock, and for a
// folder that may be written but not read, the object holds no lock.
FolderLock LockFolder(const std::string& folder);

}  // namespace geoframe
