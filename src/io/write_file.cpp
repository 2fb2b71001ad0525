#include "io/write_file.h"

#include <dirent.h>    // fdopendir, readdir, closedir
#include <fcntl.h>     // open, openat, linkat, O_* flags
#include <stdio.h>     // renameat2, RENAME_NOREPLACE, rename
#include <stdlib.h>    // mkostemp
#include <sys/stat.h>  // fchmod, fstatat
#include <unistd.h>    // write, fsync, link, unlink, unlinkat, getpid, access

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>  // strtoul
#include <memory>   // unique_ptr

#include "io/file_error.h"
#include "io/folder.h"
#include "io/read_file.h"

namespace geoframe {

namespace {

constexpr std::string_view kTemporaryPrefix = ".geoframe-";
constexpr std::size_t kTemporaryLetters = 6;  // as mkstemp's XXXXXX
constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// An unnamed file gets its name through /proc (linkat with AT_EMPTY_PATH needs
// a privilege most users lack); without /proc, named temporary files it is.
bool UnnamedFilesCanBeLinked() {
  static const bool linkable = ::access("/proc/self/fd", X_OK) == 0;
  return linkable;
}

std::string ProcPath(const Descriptor& fd) { return "/proc/self/fd/" + std::to_string(fd.get()); }

// A fresh temporary name: only unlikely to be taken, so callers retry on EEXIST.
std::string RandomTemporaryName() {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t x = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                    (static_cast<std::uint64_t>(::getpid()) << 32) ^ (++counter * 0x9E3779B97F4A7C15u);
  // splitmix64's finaliser spreads every input bit over the letters.
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
  x ^= x >> 31;
  std::string name(kTemporaryPrefix);
  for (std::size_t i = 0; i < kTemporaryLetters; ++i, x /= kLetters.size()) name += kLetters[x % kLetters.size()];
  return name;
}

// errno of a rename that must not replace `to`, 0 on success.
int RenameNoReplaceError(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
  // link fails when the name is taken, which is the rule wanted here.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  if (::unlink(from.c_str()) != 0) {
    // Both names would stay and the rename pass for done: the new one goes again.
    const int error = errno;
    ::unlink(to.c_str());
    return error;
  }
  return 0;
}

// The process's umask as /proc tells it (Linux 4.7 and later), 022 where it
// cannot be read: asking umask() itself means changing it for a moment, which
// races with files other threads create.
unsigned ProcessUmask() {
  constexpr std::string_view kField = "\nUmask:";
  try {
    OpenFile status = OpenRegularFile("/proc/self/status");
    std::string text;
    std::array<std::uint8_t, 4096> buffer{};
    while (std::size_t got = ReadSome(status, buffer)) text.append(reinterpret_cast<const char*>(buffer.data()), got);
    const std::size_t at = text.find(kField);
    if (at != std::string::npos) return std::strtoul(text.c_str() + at + kField.size(), nullptr, 8) & 0777u;
  } catch (const FileError&) {
    // No /proc: the usual umask.
  }
  return 022;
}

}  // namespace

unsigned NewFileMode() { return 0666u & ~ProcessUmask(); }

NewFile::NewFile(std::string target) : target_(std::move(target)), folder_(FolderOf(target_)) {
  if (UnnamedFilesCanBeLinked()) {
    fd_ = Descriptor(::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (fd_) return;
    // These say the file system (or the kernel) has no unnamed files.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) ThrowSystemError(FileOp::Write, target_);
  }
  std::string path = folder_ + std::string(kTemporaryPrefix) + "XXXXXX";
  fd_ = Descriptor(::mkostemp(path.data(), O_CLOEXEC));  // mode 0600
  if (!fd_) ThrowSystemError(FileOp::Write, target_);
  temporary_ = std::move(path);
}

NewFile::~NewFile() {
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void NewFile::Write(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_.get(), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) ThrowSystemError(FileOp::Write, target_);
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
}

void NewFile::Finish(unsigned mode) {
  if (::fchmod(fd_.get(), mode & 0777u) != 0) ThrowSystemError(FileOp::Write, target_);
  if (::fsync(fd_.get()) != 0) ThrowSystemError(FileOp::Write, target_);
}

void NewFile::PlaceNew() {
  if (temporary_.empty()) {
    if (::linkat(AT_FDCWD, ProcPath(fd_).c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      ThrowSystemError(FileOp::Write, target_);
    }
  } else {
    if (const int error = RenameNoReplaceError(temporary_, target_)) {
      throw FileError(FileOp::Write, FileErrorKind::System, target_, error);
    }
    temporary_.clear();
  }
  SyncFolder(folder_);
}

void NewFile::PlaceOver() {
  // There is no linkat that replaces: the unnamed file gets a hidden name first.
  for (int attempt = 0; temporary_.empty(); ++attempt) {
    std::string name = folder_ + RandomTemporaryName();
    if (::linkat(AT_FDCWD, ProcPath(fd_).c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temporary_ = std::move(name);
    } else if (errno != EEXIST || attempt == 100) {
      ThrowSystemError(FileOp::Write, target_);
    }
  }
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) ThrowSystemError(FileOp::Write, target_);
  temporary_.clear();
  SyncFolder(folder_);
}

void RenameNoReplace(const std::string& from, const std::string& to) {
  if (const int error = RenameNoReplaceError(from, to)) {
    throw FileError(FileOp::Rename, FileErrorKind::System, from, error, to);
  }
}

bool IsTemporaryName(std::string_view name) {
  if (name.size() != kTemporaryPrefix.size() + kTemporaryLetters || !name.starts_with(kTemporaryPrefix)) return false;
  return name.substr(kTemporaryPrefix.size()).find_first_not_of(kLetters) == std::string_view::npos;
}

void RemoveLeftovers(const Descriptor& folder) {
  // A descriptor of its own: closedir closes it, and the caller's stays open.
  const int fd = ::openat(folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(fd), &::closedir);
  if (!dir) {
    ::close(fd);
    return;
  }
  while (const dirent* entry = ::readdir(dir.get())) {
    if (!IsTemporaryName(entry->d_name)) continue;
    struct stat info {};
    if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)) {
      ::unlinkat(fd, entry->d_name, 0);
    }
  }
}

}  // namespace geoframe
