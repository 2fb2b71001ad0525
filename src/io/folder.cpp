#include "io/folder.h"

#include <sys/resource.h>  // getrlimit, setrlimit
#include <fcntl.h>     // open, O_* flags
#include <sys/file.h>  // flock
#include <unistd.h>    // fsync, pathconf

#include <cerrno>

#include "io/file_error.h"

namespace geoframe {

namespace {

Descriptor OpenFolder(const std::string& folder) {
  return Descriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

void SyncFolder(const std::string& folder) {
  Descriptor fd = OpenFolder(folder);
  if (fd) ::fsync(fd.get());
}

std::size_t MaxNameBytes(const std::string& folder) {
  const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  return max > 0 ? static_cast<std::size_t>(max) : kNameMaxBytes;
}

FolderLock LockFolder(const std::string& folder) {
  Descriptor fd = OpenFolder(folder);
  // A folder that may be written but not read (mode 0733) cannot be opened to
  // lock it: work unlocked, as on a file system without locks.
  if (!fd && errno == EACCES) return FolderLock();
  if (!fd) ThrowSystemError(FileOp::Lock, folder);
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) throw FileError(FileOp::Lock, FileErrorKind::Busy, folder);
    // A file system that cannot lock (some network ones): work unlocked, as
    // every other program does there.
    if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL) break;
    ThrowSystemError(FileOp::Lock, folder);
  }
  return FolderLock(std::move(fd), folder);
}

void RaiseOpenFileLimit() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &limit);  // best effort: the old limit stays otherwise
}

}  // namespace geoframe
