#include "output/file_system.h"

#include <gtest/gtest.h>
#include <unistd.h>  // geteuid

#include <filesystem>

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

TEST(RealFileSystem, WritesCopiesAndRenamesLeavingNoTemporaryFile) {
  TempDir dir;
  FileSystem& disk = RealFileSystem();
  std::string path = dir.folder() + "源.jpg";
  disk.WriteFile(path, kOld);
  disk.WriteFile(path, kNew);
  EXPECT_EQ(ReadFileBytes(path), kNew);
  disk.CopyFile(path, dir.folder() + "copy.jpg");
  disk.RenameFile(path, dir.folder() + "moved.jpg");
  disk.WriteNewFile(dir.folder() + "new.jpg", kOld);
  EXPECT_EQ(ReadFileBytes(dir.path() / "copy.jpg"), kNew);
  EXPECT_EQ(ReadFileBytes(dir.path() / "moved.jpg"), kNew);
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"copy.jpg", "moved.jpg", "new.jpg"}));
}

TEST(RealFileSystem, NoReplaceOperationsLeaveAnExistingTargetAlone) {
  TempDir dir;
  FileSystem& disk = RealFileSystem();
  std::string source = dir.folder() + "source.jpg";
  std::string target = dir.folder() + "target.jpg";
  WriteFileBytes(source, kNew);
  WriteFileBytes(target, kOld);
  EXPECT_THROW(disk.WriteNewFile(target, kNew), OutputError);
  EXPECT_THROW(disk.CopyFile(source, target), OutputError);
  EXPECT_THROW(disk.RenameFile(source, target), OutputError);
  EXPECT_EQ(ReadFileBytes(target), kOld);
  EXPECT_EQ(ReadFileBytes(source), kNew);
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"source.jpg", "target.jpg"}));
}

TEST(RealFileSystem, ExistenceTests) {
  TempDir dir;
  FileSystem& disk = RealFileSystem();
  WriteFileBytes(dir.path() / "plain.jpg", kOld);
  WriteFileBytes(dir.path() / ".hidden.jpg", kOld);
  fs::create_directory(dir.path() / "folder.jpg");
  fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling.jpg");
  struct Case {
    std::string name;
    bool exists, taken, folder;
  };
  for (const Case& c : {Case{"plain.jpg", true, true, false}, Case{".hidden.jpg", false, true, false},
                        Case{"folder.jpg", false, true, true}, Case{"dangling.jpg", false, true, false},
                        Case{"absent.jpg", false, false, false}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(disk.FileExists(dir.folder() + c.name), c.exists);
    EXPECT_EQ(disk.NameTaken(dir.folder() + c.name), c.taken);
    EXPECT_EQ(disk.FolderExists(dir.folder() + c.name), c.folder);
  }
}

TEST(RealFileSystem, ErrorsNameTheFileAndTheReason) {
  TempDir dir;
  std::string path = dir.folder() + "missing/x.jpg";
  try {
    RealFileSystem().WriteFile(path, kNew);
    FAIL() << "writing into a missing folder succeeded";
  } catch (const OutputError& error) {
    EXPECT_EQ(std::string(error.what()), "无法写入文件 " + path + ": 文件或文件夹不存在");
  }
  EXPECT_THROW(RealFileSystem().ReadFile(dir.folder() + "absent.jpg", 1 << 20), FileError);
  EXPECT_THROW(RealFileSystem().RemoveFile(dir.folder() + "absent.jpg"), OutputError);
}

TEST(RealFileSystem, ReadOnlyFolderRefusesWritesAndKeepsTheFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root, which ignores folder permissions";
  TempDir dir;
  std::string path = dir.folder() + "a.jpg";
  WriteFileBytes(path, kOld);
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  FileSystem& disk = RealFileSystem();
  EXPECT_THROW(disk.WriteFile(path, kNew), OutputError);
  EXPECT_THROW(disk.RenameFile(path, dir.folder() + "b.jpg"), OutputError);
  EXPECT_THROW(disk.CreateFolder(dir.folder() + "BackUp/"), OutputError);
  fs::permissions(dir.path(), fs::perms::owner_all);
  EXPECT_EQ(ReadFileBytes(path), kOld);
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"a.jpg"});
}

}  // namespace
}  // namespace geoframe
