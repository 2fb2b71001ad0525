#include "output/file_names.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "faulty_file_system.h"
#include "io/file_error.h"
#include "test_support.h"

namespace geoframe {
namespace {

namespace fs = std::filesystem;
using testing::FaultyFileSystem;
using testing::FsOp;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

const std::vector<std::uint8_t> kPhoto = {0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9};

struct UniqueCase {
  std::vector<std::string> present;
  std::string name;
  std::string expected;
};

class UniqueFileNameTest : public ::testing::TestWithParam<UniqueCase> {};

TEST_P(UniqueFileNameTest, FirstFreeName) {
  TempDir dir;
  for (const std::string& name : GetParam().present) {
    if (name.back() == '/') {
      fs::create_directory(dir.path() / name);
    } else {
      WriteFileBytes(dir.path() / name, kPhoto);
    }
  }
  EXPECT_EQ(UniqueFileName(dir.folder(), GetParam().name, RealFileSystem()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UniqueFileNameTest,
    ::testing::Values(UniqueCase{{}, "IMG_0001.JPG", "IMG_0001.JPG"},
                      UniqueCase{{"IMG_0001.JPG"}, "IMG_0001.JPG", "IMG_0001_1.JPG"},
                      UniqueCase{{"IMG_0001.JPG", "IMG_0001_1.JPG"}, "IMG_0001.JPG", "IMG_0001_2.JPG"},
                      // a gap is used: the search goes up from 1 each time
                      UniqueCase{{"a.jpg", "a_2.jpg"}, "a.jpg", "a_1.jpg"},
                      UniqueCase{{"A0001.jpg"}, "A0001.jpg", "A0001_1.jpg"},
                      UniqueCase{{"a.JPEG"}, "a.JPEG", "a_1.JPEG"},
                      // a case-sensitive file system: a name differing in case is free
                      UniqueCase{{"IMG_0001.JPG"}, "img_0001.jpg", "img_0001.jpg"},
                      // hidden files and folders are never replaced either
                      UniqueCase{{".x.jpg"}, ".x.jpg", ".x_1.jpg"},
                      UniqueCase{{"x.jpg/"}, "x.jpg", "x_1.jpg"},
                      UniqueCase{{"x_1.jpg/", "x.jpg"}, "x.jpg", "x_2.jpg"}));

TEST(UniqueFileName, AllNamesTakenIsAnErrorNotALoop) {
  auto everything = [](const std::string&) { return true; };
  try {
    UniqueFileName("/f/", "a.jpg", everything);
    ADD_FAILURE() << "a name was found";
  } catch (const OutputError& error) {
    EXPECT_EQ(error.kind(), OutputErrorKind::NamesExhausted);
  }
  // The last number tried is 32767.
  auto allButLast = [](const std::string& path) { return path != "/f/a_32767.jpg"; };
  EXPECT_EQ(UniqueFileName("/f/", "a.jpg", allButLast), "a_32767.jpg");
}

TEST(BackupPhoto, NumberedCopiesNeverOverwrite) {
  TempDir dir;
  WriteFileBytes(dir.path() / "IMG_0001.JPG", kPhoto);
  for (const char* expected : {"IMG_0001.JPG", "IMG_0001_1.JPG", "IMG_0001_2.JPG"}) {
    auto copy = BackupPhoto(dir.folder(), "IMG_0001.JPG", RealFileSystem());
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(*copy, dir.folder() + "BackUp/" + expected);
    EXPECT_EQ(ReadFileBytes(*copy), kPhoto);
  }
  EXPECT_EQ(ReadFileBytes(dir.path() / "IMG_0001.JPG"), kPhoto);
}

TEST(BackupPhoto, ExistingEmptyBackupFolderIsUsed) {
  TempDir dir;
  WriteFileBytes(dir.path() / "a.jpg", kPhoto);
  fs::create_directory(dir.path() / "BackUp");
  EXPECT_EQ(BackupPhoto(dir.folder(), "a.jpg", RealFileSystem()), dir.folder() + "BackUp/a.jpg");
}

TEST(BackupPhoto, MissingPhotoMakesNoFolderAndNoCopy) {
  TempDir dir;
  FaultyFileSystem disk;
  EXPECT_EQ(BackupPhoto(dir.folder(), "gone.jpg", disk), std::nullopt);
  EXPECT_EQ(BackupPhoto(dir.folder(), "", disk), std::nullopt);
  EXPECT_FALSE(fs::exists(dir.path() / "BackUp"));
  EXPECT_TRUE(disk.log().empty());
}

TEST(BackupPhoto, EachFolderGetsItsOwnBackupFolder) {
  TempDir dir;
  fs::create_directories(dir.path() / "one");
  fs::create_directories(dir.path() / "two");
  WriteFileBytes(dir.path() / "one/a.jpg", kPhoto);
  WriteFileBytes(dir.path() / "two/a.jpg", kPhoto);
  BackupPhoto(dir.folder() + "one/", "a.jpg", RealFileSystem());
  BackupPhoto(dir.folder() + "two/", "a.jpg", RealFileSystem());
  EXPECT_TRUE(fs::is_regular_file(dir.path() / "one/BackUp/a.jpg"));
  EXPECT_TRUE(fs::is_regular_file(dir.path() / "two/BackUp/a.jpg"));
}

TEST(BackupPhoto, FailuresAreReportedAndLeaveNoPartialCopy) {
  for (FsOp op : {FsOp::CreateFolder, FsOp::Copy}) {
    TempDir dir;
    WriteFileBytes(dir.path() / "a.jpg", kPhoto);
    FaultyFileSystem disk;
    disk.FailOn(op, "", ENOSPC);
    EXPECT_THROW(BackupPhoto(dir.folder(), "a.jpg", disk), FileError);
    EXPECT_FALSE(fs::exists(dir.path() / "BackUp/a.jpg"));
    EXPECT_EQ(ReadFileBytes(dir.path() / "a.jpg"), kPhoto);
  }
}

struct NameCase {
  std::string text;
  std::optional<NameProblem> problem;
};

class FileNameProblemTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(FileNameProblemTest, AcceptsOnlyPlainNames) {
  EXPECT_EQ(FileNameProblem(GetParam().text), GetParam().problem) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileNameProblemTest,
    ::testing::Values(NameCase{"", std::nullopt}, NameCase{"西湖 2010-", std::nullopt}, NameCase{"a.b", std::nullopt},
                      // ".." inside a name is no way up
                      NameCase{"a..b", std::nullopt}, NameCase{"trip..", std::nullopt},
                      NameCase{"a/b", NameProblem::Separator}, NameCase{"a\\b", NameProblem::Separator},
                      NameCase{"../x", NameProblem::Separator}, NameCase{"..", NameProblem::Hidden},
                      NameCase{".", NameProblem::Hidden}, NameCase{".hidden", NameProblem::Hidden},
                      NameCase{"tab\there", NameProblem::ControlCharacter},
                      NameCase{std::string("nul\0x", 5), NameProblem::ControlCharacter},
                      NameCase{"c:", NameProblem::ForbiddenCharacter}, NameCase{"a*b", NameProblem::ForbiddenCharacter},
                      NameCase{"\xE8\xA5", NameProblem::NotUtf8},  // cut UTF-8
                      NameCase{"\xC0\xAF", NameProblem::NotUtf8},  // overlong "/"
                      NameCase{std::string(255, 'a'), std::nullopt},
                      NameCase{std::string(256, 'a'), NameProblem::TooLong}));

}  // namespace
}  // namespace geoframe
