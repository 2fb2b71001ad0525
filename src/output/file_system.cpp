#include "output/file_system.h"

#include <fcntl.h>     // open, O_* flags
#include <stdio.h>     // renameat2, RENAME_NOREPLACE
#include <sys/stat.h>  // stat, lstat, mkdir
#include <unistd.h>    // read, write, fsync, close, link, unlink

#include <cerrno>
#include <cstdlib>  // mkstemp
#include <cstring>  // strerror

#include "io/read_file.h"

namespace geoframe {

namespace {

// The reason of a failed system call, in the program's language where we know it.
std::string Reason(int error) {
  switch (error) {
    case ENOSPC: return "磁盘已满";
    case EDQUOT: return "磁盘配额已用完";
    case EACCES:
    case EPERM: return "没有权限";
    case EROFS: return "文件系统只读";
    case ENOENT: return "文件或文件夹不存在";
    case ENOTDIR: return "路径中有一段不是文件夹";
    case EEXIST: return "同名的文件已存在";
    case EISDIR: return "这是一个文件夹";
    case ENAMETOOLONG: return "文件名太长";
    case EIO: return "读写出错";
    case EBUSY:
    case ETXTBSY: return "文件正被占用";
    default: return std::strerror(error);
  }
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  throw OutputError(what + " " + path + ": " + Reason(error));
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Hands the file's bytes to onChunk piece by piece, until its end.
template <typename OnChunk>
void ReadChunks(int fd, const std::string& path, OnChunk onChunk) {
  std::uint8_t buffer[1 << 16];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail("无法读取文件", path, errno);
    }
    if (got == 0) return;
    onChunk(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(got)));
  }
}

void WriteAll(int fd, std::span<const std::uint8_t> bytes, const std::string& path) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("无法写入文件", path, errno);
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
}

// Renames without ever replacing what is at `to`. Falls back to link + unlink
// on file systems without RENAME_NOREPLACE (link fails when the name is taken).
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // durability of the folder entry is best effort
  ::fsync(fd);
  ::close(fd);
}

// A temporary file in the target's folder, hidden so that no photo list ever
// shows it; removed again unless Keep() is called.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) {
    path_ = FolderOf(target) + ".geoframe-XXXXXX";
    int fd = ::mkstemp(path_.data());
    if (fd < 0) Fail("无法写入文件", target, errno);
    fd_ = fd;
  }
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return fd_; }
  const std::string& path() const { return path_; }

  // Flushes to disk and closes; a full disk may only show here.
  void Finish(const std::string& target) {
    if (::fchmod(fd_, 0644) != 0) Fail("无法写入文件", target, errno);
    if (::fsync(fd_) != 0) Fail("无法写入文件", target, errno);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail("无法写入文件", target, errno);
  }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  int fd_ = -1;
  bool kept_ = false;
};

void PlaceTemporary(TemporaryFile& temp, const std::string& target, bool replace,
                    const std::string& what) {
  int error = 0;
  if (replace) {
    if (::rename(temp.path().c_str(), target.c_str()) != 0) error = errno;
  } else {
    error = RenameNoReplace(temp.path(), target);
  }
  if (error != 0) Fail(what, target, error);
  temp.Keep();
  SyncFolder(FolderOf(target));
}

class DiskFileSystem : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    std::string name = NameOf(path);
    return !name.empty() && name[0] != '.';
  }

  bool NameTaken(const std::string& path) const override {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
  }

  bool FolderExists(const std::string& path) const override {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  void CreateFolder(const std::string& path) override {
    if (::mkdir(path.c_str(), 0755) != 0) Fail("无法创建文件夹", path, errno);
  }

  std::vector<std::uint8_t> ReadFile(const std::string& path, std::int64_t maxBytes) const override {
    return ReadWholeFile(path, maxBytes);
  }

  void CopyFile(const std::string& from, const std::string& to) override {
    Descriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0) Fail("无法读取文件", from, errno);
    TemporaryFile temp(to);
    ReadChunks(source.get(), from, [&](std::span<const std::uint8_t> chunk) { WriteAll(temp.fd(), chunk, to); });
    temp.Finish(to);
    PlaceTemporary(temp, to, false, "无法复制到");
  }

  void RenameFile(const std::string& from, const std::string& to) override {
    int error = RenameNoReplace(from, to);
    if (error != 0) Fail("无法把 " + from + " 改名为", to, error);
    SyncFolder(FolderOf(to));
  }

  void RemoveFile(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) Fail("无法删除文件", path, errno);
  }

  void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override {
    Write(path, bytes, true);
  }

  void WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes) override {
    Write(path, bytes, false);
  }

 private:
  static void Write(const std::string& path, std::span<const std::uint8_t> bytes, bool replace) {
    TemporaryFile temp(path);
    WriteAll(temp.fd(), bytes, path);
    temp.Finish(path);
    PlaceTemporary(temp, path, replace, "无法写入文件");
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static DiskFileSystem disk;
  return disk;
}

}  // namespace geoframe
