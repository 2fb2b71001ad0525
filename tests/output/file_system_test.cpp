#include "output/file_system.h"

#include <fcntl.h>     // open
#include <gtest/gtest.h>
#include <linux/filter.h>   // sock_filter, BPF_*
#include <linux/seccomp.h>  // seccomp_data, SECCOMP_*
#include <stdio.h>          // renameat2
#include <sys/file.h>       // flock
#include <sys/prctl.h>      // prctl
#include <sys/stat.h>       // mkfifo, umask, chmod, stat
#include <sys/syscall.h>    // SYS_*
#include <unistd.h>         // geteuid, syscall

#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

#include "io/file_error.h"
#include "test_support.h"

namespace geoframe {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

const std::vector<std::uint8_t> kOld = {1, 2, 3};
const std::vector<std::uint8_t> kNew = {9, 8, 7, 6};

// Names in the folder, so a test sees leftover temporary files too.
std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

unsigned ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777u;
}

// What the kernel refuses the file layer, as a file system without the
// feature would: unnamed files (open with O_TMPFILE) and renames that never
// replace (renameat2). The file layer then writes hidden temporary files and
// renames by link and unlink.
struct Refused {
  const char* name;
  bool unnamedFiles, renameNoReplace;
};

// Appends to a seccomp filter, whose accumulator holds the system call's
// number: that call fails with `error` when its argument `arg` has any of the
// bits `flags`, and is allowed otherwise.
void Refuse(std::vector<sock_filter>& filter, int call, int arg, unsigned flags, int error) {
  const std::vector<sock_filter> block = {
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(call), 0, 4),
      // The argument's low half (little-endian).
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, static_cast<unsigned>(offsetof(seccomp_data, args) + arg * sizeof(__u64))),
      BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, flags, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | static_cast<unsigned>(error)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  filter.insert(filter.end(), block.begin(), block.end());
}

// Refuses the calling thread (and only it) what `refused` names, with the
// errno such a file system gives, through a seccomp filter.
void RefuseOnThisThread(const Refused& refused) {
  std::vector<sock_filter> filter = {BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
  if (refused.renameNoReplace) Refuse(filter, SYS_renameat2, 4, RENAME_NOREPLACE, EINVAL);
  if (refused.unnamedFiles) Refuse(filter, SYS_openat, 2, O_TMPFILE & ~O_DIRECTORY, EOPNOTSUPP);
  filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
  const sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
  ASSERT_EQ(::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0), 0);
  ASSERT_EQ(::syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &program), 0) << errno;
}

void PrintTo(const Refused& refused, std::ostream* out) { *out << refused.name; }

class RealFileSystemRefused : public ::testing::TestWithParam<Refused> {
 protected:
  // Runs the test's body on a thread that the kernel refuses what the
  // parameter names, after making sure it does; the body's exception is
  // rethrown here.
  void Run(const std::function<void()>& body) {
    std::exception_ptr failure;
    std::thread([&] {
      RefuseOnThisThread(GetParam());
      TempDir probe;
      const int unnamed = ::open(probe.folder().c_str(), O_TMPFILE | O_WRONLY, 0600);
      EXPECT_EQ(unnamed < 0, GetParam().unnamedFiles);
      if (unnamed >= 0) ::close(unnamed);
      EXPECT_EQ(::renameat2(AT_FDCWD, "/nonexistent/a", AT_FDCWD, "/nonexistent/b", RENAME_NOREPLACE), -1);
      EXPECT_EQ(errno, GetParam().renameNoReplace ? EINVAL : ENOENT);
      try {
        body();
      } catch (...) {
        failure = std::current_exception();
      }
    }).join();
    if (failure) std::rethrow_exception(failure);
  }
};

INSTANTIATE_TEST_SUITE_P(Kernels, RealFileSystemRefused,
                         ::testing::Values(Refused{"Nothing", false, false}, Refused{"UnnamedFiles", true, false},
                                           Refused{"RenameNoReplace", false, true}, Refused{"Both", true, true}),
                         [](const ::testing::TestParamInfo<Refused>& info) { return info.param.name; });

TEST_P(RealFileSystemRefused, WritesCopiesAndRenamesLeavingNoTemporaryFile) {
  Run([] {
    TempDir dir;
    FileSystem& disk = RealFileSystem();
    std::string path = dir.folder() + "源.jpg";
    disk.WriteFile(path, kOld);
    disk.WriteFile(path, kNew);
    EXPECT_EQ(ReadFileBytes(path), kNew);
    disk.CopyFile(path, dir.folder() + "copy.jpg");
    disk.RenameFile(path, dir.folder() + "moved.jpg");
    disk.WriteNewFile(dir.folder() + "new.jpg", kOld, 0644);
    EXPECT_EQ(ReadFileBytes(dir.path() / "copy.jpg"), kNew);
    EXPECT_EQ(ReadFileBytes(dir.path() / "moved.jpg"), kNew);
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"copy.jpg", "moved.jpg", "new.jpg"}));
  });
}

TEST_P(RealFileSystemRefused, NoReplaceOperationsLeaveAnExistingTargetAlone) {
  Run([] {
    TempDir dir;
    FileSystem& disk = RealFileSystem();
    std::string source = dir.folder() + "source.jpg";
    std::string target = dir.folder() + "target.jpg";
    WriteFileBytes(source, kNew);
    WriteFileBytes(target, kOld);
    EXPECT_THROW(disk.WriteNewFile(target, kNew, 0644), FileError);
    EXPECT_THROW(disk.CopyFile(source, target), FileError);
    EXPECT_THROW(disk.RenameFile(source, target), FileError);
    EXPECT_EQ(ReadFileBytes(target), kOld);
    EXPECT_EQ(ReadFileBytes(source), kNew);
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"source.jpg", "target.jpg"}));
  });
}

// What each kind of name looks like to the file system, and that copying from
// anything but a regular file is refused without opening it (a FIFO would
// block the open for good).
TEST(RealFileSystem, ExistenceTests) {
  TempDir dir;
  FileSystem& disk = RealFileSystem();
  WriteFileBytes(dir.path() / "plain.jpg", kOld);
  WriteFileBytes(dir.path() / ".hidden.jpg", kOld);
  fs::create_directory(dir.path() / "folder.jpg");
  fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling.jpg");
  ASSERT_EQ(::mkfifo((dir.folder() + "fifo.jpg").c_str(), 0600), 0);
  struct Case {
    std::string name;
    bool exists, taken, folder;
    std::optional<FileKind> kind;
    std::optional<FileErrorKind> copyError;  // copying it into copies/
  };
  const Case cases[] = {
      {"plain.jpg", true, true, false, FileKind::Regular, std::nullopt},
      {".hidden.jpg", false, true, false, FileKind::Regular, std::nullopt},
      {"folder.jpg", false, true, true, FileKind::Folder, FileErrorKind::Folder},
      {"fifo.jpg", false, true, false, FileKind::Special, FileErrorKind::Special},
      {"dangling.jpg", false, true, false, std::nullopt, FileErrorKind::System},
      {"absent.jpg", false, false, false, std::nullopt, FileErrorKind::System},
  };
  fs::create_directory(dir.path() / "copies");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.folder() + c.name;
    EXPECT_EQ(disk.FileExists(path), c.exists);
    EXPECT_EQ(disk.NameTaken(path), c.taken);
    EXPECT_EQ(disk.FolderExists(path), c.folder);
    std::optional<FileStatus> status = disk.Status(path);
    EXPECT_EQ(status ? std::optional<FileKind>(status->kind) : std::nullopt, c.kind);
    try {
      disk.CopyFile(path, dir.folder() + "copies/" + c.name);
      EXPECT_FALSE(c.copyError);
    } catch (const FileError& error) {
      EXPECT_EQ(std::optional<FileErrorKind>(error.kind()), c.copyError);
      EXPECT_EQ(error.op(), FileOp::Read);
    }
  }
  EXPECT_EQ(Listing(dir.path() / "copies"), (std::vector<std::string>{".hidden.jpg", "plain.jpg"}));
}

TEST_P(RealFileSystemRefused, ErrorsCarryTheOperationTheFileAndErrno) {
  Run([] {
    TempDir dir;
    const std::string missing = dir.folder() + "missing/x.jpg";
    const std::string absent = dir.folder() + "absent.jpg";
    struct Case {
      const char* what;
      std::function<void()> run;
      FileOp op;
      std::string path, target;
    } cases[] = {
        {"write into a missing folder", [&] { RealFileSystem().WriteFile(missing, kNew); }, FileOp::Write, missing, ""},
        {"read", [&] { RealFileSystem().ReadFile(absent, 1 << 20); }, FileOp::Read, absent, ""},
        {"remove", [&] { RealFileSystem().RemoveFile(absent); }, FileOp::Remove, absent, ""},
        {"rename", [&] { RealFileSystem().RenameFile(absent, dir.folder() + "b.jpg"); }, FileOp::Rename, absent,
         dir.folder() + "b.jpg"},
        {"lock", [&] { RealFileSystem().LockFolder(dir.folder() + "missing/"); }, FileOp::Lock,
         dir.folder() + "missing/", ""},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      try {
        c.run();
        ADD_FAILURE() << "succeeded";
      } catch (const FileError& error) {
        EXPECT_EQ(error.op(), c.op);
        EXPECT_EQ(error.kind(), FileErrorKind::System);
        EXPECT_EQ(error.errnum(), ENOENT);
        EXPECT_EQ(error.path(), c.path);
        EXPECT_EQ(error.target(), c.target);
      }
    }
  });
}

// Private photos stay private: copies and replacements keep the original's
// permission bits, whatever the umask; only files that copy none follow it.
TEST(RealFileSystem, PermissionBitsAreKeptNeverWidened) {
  TempDir dir;
  FileSystem& disk = RealFileSystem();
  const mode_t oldMask = ::umask(022);
  const std::string photo = dir.folder() + "private.jpg";
  WriteFileBytes(photo, kOld);
  ::chmod(photo.c_str(), 0600);
  disk.CopyFile(photo, dir.folder() + "copy.jpg");
  disk.WriteFile(photo, kNew);
  disk.WriteNewFile(dir.folder() + "framed.jpg", kNew, 0640);
  disk.WriteFile(dir.folder() + "plain.jpg", kNew);
  ::umask(077);
  disk.WriteFile(dir.folder() + "masked.jpg", kNew);
  ::umask(oldMask);
  EXPECT_EQ(ModeOf(dir.folder() + "copy.jpg"), 0600u);
  EXPECT_EQ(ModeOf(photo), 0600u);
  EXPECT_EQ(ModeOf(dir.folder() + "framed.jpg"), 0640u);
  EXPECT_EQ(ModeOf(dir.folder() + "plain.jpg"), 0644u);
  EXPECT_EQ(ModeOf(dir.folder() + "masked.jpg"), 0600u);
}

TEST(RealFileSystem, FolderLockIsExclusiveAndClearsLeftovers) {
  TempDir dir;
  FileSystem& disk = RealFileSystem();
  // What a crashed writer leaves, beside names that only look alike.
  for (const char* name : {".geoframe-a1B2c3", ".geoframe-abcdefg", "x.geoframe-abcdef", "photo.jpg"}) {
    WriteFileBytes(dir.path() / name, kOld);
  }
  fs::create_directory(dir.path() / ".geoframe-folder");
  {
    FolderLock lock = disk.LockFolder(dir.folder());
    try {
      disk.LockFolder(dir.folder());
      ADD_FAILURE() << "a second lock of the same folder was given";
    } catch (const FileError& error) {
      EXPECT_EQ(error.kind(), FileErrorKind::Busy);
    }
    // Another process's lock is the same flock() on the folder.
    const int other = ::open(dir.folder().c_str(), O_RDONLY | O_DIRECTORY);
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
    ::close(other);
  }
  EXPECT_NO_THROW(disk.LockFolder(dir.folder()));  // given back with the object
  EXPECT_EQ(Listing(dir.path()),
            (std::vector<std::string>{".geoframe-abcdefg", ".geoframe-folder", "photo.jpg", "x.geoframe-abcdef"}));
}

// A folder that may be written but not read cannot be opened for its lock:
// work goes on there unlocked.
TEST(RealFileSystem, WriteOnlyFolderIsUsedWithoutALock) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root, which ignores folder permissions";
  TempDir dir;
  fs::permissions(dir.path(), fs::perms::owner_write | fs::perms::owner_exec);
  FileSystem& disk = RealFileSystem();
  EXPECT_NO_THROW(disk.LockFolder(dir.folder()));
  EXPECT_NO_THROW(disk.WriteNewFile(dir.folder() + "a.jpg", kNew, 0644));
  fs::permissions(dir.path(), fs::perms::owner_all);
  EXPECT_EQ(ReadFileBytes(dir.folder() + "a.jpg"), kNew);
}

TEST(RealFileSystem, ReadOnlyFolderRefusesWritesAndKeepsTheFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root, which ignores folder permissions";
  TempDir dir;
  std::string path = dir.folder() + "a.jpg";
  WriteFileBytes(path, kOld);
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  FileSystem& disk = RealFileSystem();
  EXPECT_THROW(disk.WriteFile(path, kNew), FileError);
  EXPECT_THROW(disk.RenameFile(path, dir.folder() + "b.jpg"), FileError);
  EXPECT_THROW(disk.CreateFolder(dir.folder() + "BackUp/"), FileError);
  fs::permissions(dir.path(), fs::perms::owner_all);
  EXPECT_EQ(ReadFileBytes(path), kOld);
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"a.jpg"});
}

}  // namespace
}  // namespace geoframe
