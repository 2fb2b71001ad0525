#include "output/edit_photo.h"

#include <gtest/gtest.h>
#include <unistd.h>  // geteuid

#include <filesystem>

#include "faulty_file_system.h"
#include "output/jpeg_codec.h"
#include "sample_photos.h"
#include "test_support.h"

namespace geoframe {
namespace {

namespace fs = std::filesystem;
using testing::FaultyFileSystem;
using testing::FsOp;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

constexpr int kWidth = 64, kHeight = 40;

// A folder of sample photos and a look at what output left in it.
class PhotoFolder {
 public:
  // A photo with the EXIF time of the time text; its input as the list holds it.
  PhotoInput Add(const std::string& name, int row, const std::string& timeText = "2010-11-11 13:31:02") {
    WriteFileBytes(dir_.path() / name, tools::MakeSamplePhoto(kWidth, kHeight, row, "2010:11:11 13:31:02"));
    return {row, dir_.folder(), name, !timeText.empty(), timeText, "N30°15.1234',E120°30.5678'"};
  }
  std::string folder() const { return dir_.folder(); }
  std::vector<std::uint8_t> Bytes(const std::string& name) const { return ReadFileBytes(dir_.path() / name); }
  // "name" for each file and "BackUp/name" for each backup, sorted.
  std::vector<std::string> Files() const { return testing::FilesUnder(dir_.path()); }
  bool IsFramed(const std::string& name) const {
    return ReadJpegSize(Bytes(name)) == PixelSize{kWidth + 48, kHeight + 48};
  }

 private:
  TempDir dir_;
};

using Names = std::vector<std::string>;

struct OptionCase {
  bool backup, rename, frame;
  Names files;        // what the folder holds afterwards
  std::string name;   // the photo's name afterwards
  bool framed;        // whether that file holds the framed picture
};

class OptionTableTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(OptionTableTest, FilesAndNameAfterOutput) {
  const OptionCase& c = GetParam();
  PhotoFolder folder;
  PhotoInput photo = folder.Add("IMG_0001.JPG", 1);
  std::vector<std::uint8_t> original = folder.Bytes("IMG_0001.JPG");
  OutputOptions options;
  options.backup = c.backup;
  options.rename = c.rename;
  options.frame = c.frame;
  PhotoOutcome outcome = EditPhoto(photo, options, RealFileSystem());
  EXPECT_TRUE(outcome.ok) << outcome.error;
  EXPECT_EQ(outcome.fileName, c.name);
  EXPECT_EQ(folder.Files(), c.files);
  EXPECT_EQ(folder.IsFramed(c.name), c.framed);
  if (!c.framed) {
    EXPECT_EQ(folder.Bytes(c.name), original);
  }
  if (c.backup) {
    EXPECT_EQ(folder.Bytes("BackUp/IMG_0001.JPG"), original);
  }
}

const std::string kTimeName = "20101111_133102.JPG";

INSTANTIATE_TEST_SUITE_P(
    AllCombinations, OptionTableTest,
    ::testing::Values(OptionCase{false, false, false, {"IMG_0001.JPG"}, "IMG_0001.JPG", false},
                      OptionCase{false, true, false, {kTimeName}, kTimeName, false},
                      OptionCase{false, false, true, {"IMG_0001.JPG"}, "IMG_0001.JPG", true},
                      OptionCase{false, true, true, {kTimeName}, kTimeName, true},
                      OptionCase{true, false, false, {"BackUp/IMG_0001.JPG", "IMG_0001.JPG"}, "IMG_0001.JPG", false},
                      OptionCase{true, true, false, {kTimeName, "BackUp/IMG_0001.JPG"}, kTimeName, false},
                      OptionCase{true, false, true, {"BackUp/IMG_0001.JPG", "IMG_0001.JPG"}, "IMG_0001.JPG", true},
                      OptionCase{true, true, true, {kTimeName, "BackUp/IMG_0001.JPG"}, kTimeName, true}));

struct NameCase {
  PhotoInput photo;
  bool byTime;
  std::string prefix;
  std::string expected;
};

class RuleNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(RuleNameTest, NamingRules) {
  OutputOptions options;
  options.rename = true;
  options.renameByTime = GetParam().byTime;
  options.prefix = GetParam().prefix;
  EXPECT_EQ(RuleName(GetParam().photo, options), GetParam().expected);
}

// The time rule itself is in the option table above; here what it leaves alone.
INSTANTIATE_TEST_SUITE_P(
    Cases, RuleNameTest,
    ::testing::Values(NameCase{{1, "/f/", "IMG_0001.JPG", false, "2010-11-11 13:31:02", ""}, true, "", "IMG_0001.JPG"},
                      NameCase{{7, "/f/", "DSC01234.jpg", false, "", ""}, false, "trip", "trip0007.jpg"},
                      NameCase{{999, "/f/", "x.jpg", true, "", ""}, false, "", "0999.jpg"}));

TEST(AnnotationLine, BlanksStayWhenPartsAreEmpty) {
  PhotoInput photo{1, "/f/", "a.jpg", true, "2010-12-06 16:30:15", "N30°15.1234',E120°30.5678'"};
  struct Case {
    std::string comment, coordinate;
    bool gps, time;
    std::string expected;
  } cases[] = {
      {"西湖", photo.coordinate, true, true, " 西湖  N30°15.1234',E120°30.5678'  2010-12-06 16:30:15"},
      {"西湖", photo.coordinate, false, false, " 西湖    "},
      {"", photo.coordinate, true, true, "   N30°15.1234',E120°30.5678'  2010-12-06 16:30:15"},
      {"", "", true, true, "     2010-12-06 16:30:15"},
  };
  for (const Case& c : cases) {
    OutputOptions options;
    options.comment = c.comment;
    options.withCoordinate = c.gps;
    options.withTime = c.time;
    photo.coordinate = c.coordinate;
    EXPECT_EQ(AnnotationLine(photo, options), c.expected);
  }
}

// Runs a batch as the window does: plan all, then render and commit each in order.
std::vector<PhotoOutcome> RunBatch(const std::vector<PhotoInput>& photos, const OutputOptions& options,
                                   FileSystem& disk = RealFileSystem()) {
  std::vector<PhotoOutcome> outcomes;
  for (const PhotoPlan& plan : PlanPhotos(photos, options, disk)) {
    outcomes.push_back(CommitPhoto(plan, RenderPhoto(plan, disk), disk));
  }
  return outcomes;
}

Names NamesOf(const std::vector<PhotoOutcome>& outcomes) {
  Names names;
  for (const PhotoOutcome& o : outcomes) names.push_back(o.ok ? o.fileName : "failed: " + o.error);
  return names;
}

TEST(Batch, SameSecondPhotosGetNumberedNamesAndAllSurvive) {
  for (bool frame : {false, true}) {
    PhotoFolder folder;
    std::vector<PhotoInput> photos = {folder.Add("a.JPG", 1), folder.Add("b.JPG", 2), folder.Add("c.JPG", 3)};
    OutputOptions options;
    options.backup = false;
    options.rename = true;
    options.frame = frame;
    Names expected = {kTimeName, "20101111_133102_1.JPG", "20101111_133102_2.JPG"};
    EXPECT_EQ(NamesOf(RunBatch(photos, options)), expected);
    EXPECT_EQ(folder.Files(), expected);
  }
}

TEST(Batch, ExistingFilesAreSkippedAndRenamingTwiceChangesNothing) {
  PhotoFolder folder;
  folder.Add(kTimeName, 9);
  folder.Add("20101111_133102_1.JPG", 9);
  std::vector<PhotoInput> photos = {folder.Add("IMG_0001.JPG", 1)};
  OutputOptions options;
  options.backup = false;
  options.rename = true;
  EXPECT_EQ(NamesOf(RunBatch(photos, options)), Names{"20101111_133102_2.JPG"});
  // Again: the photo's own name is the first one not taken by another file.
  photos[0].fileName = "20101111_133102_2.JPG";
  EXPECT_EQ(NamesOf(RunBatch(photos, options)), Names{"20101111_133102_2.JPG"});
  EXPECT_EQ(folder.Files(), (Names{kTimeName, "20101111_133102_1.JPG", "20101111_133102_2.JPG"}));
  // A free lower number is still taken, as a first run would.
  fs::remove(folder.folder() + "20101111_133102_1.JPG");
  EXPECT_EQ(NamesOf(RunBatch(photos, options)), Names{"20101111_133102_1.JPG"});
}

TEST(Batch, NamesGivenUpByEarlierPhotosAreFreeForLaterOnes) {
  PhotoFolder folder;
  // Row 1 holds the name row 2 is to get; row 1 moves to p0001 first.
  std::vector<PhotoInput> photos = {folder.Add("p0002.jpg", 1), folder.Add("x.jpg", 2)};
  OutputOptions options;
  options.backup = false;
  options.rename = true;
  options.renameByTime = false;
  options.prefix = "p";
  EXPECT_EQ(NamesOf(RunBatch(photos, options)), (Names{"p0001.jpg", "p0002.jpg"}));
}

TEST(Batch, FramedRenameNeverReplacesAnotherPhoto) {
  PhotoFolder folder;
  folder.Add(kTimeName, 9);
  std::vector<std::uint8_t> other = folder.Bytes(kTimeName);
  OutputOptions options;
  options.rename = true;
  options.frame = true;
  options.backup = false;
  EXPECT_EQ(NamesOf(RunBatch({folder.Add("IMG_0001.JPG", 1)}, options)), Names{"20101111_133102_1.JPG"});
  EXPECT_EQ(folder.Bytes(kTimeName), other);
  EXPECT_TRUE(folder.IsFramed("20101111_133102_1.JPG"));
}

TEST(Batch, MissingOrUndecodablePhotosAreSkippedWithoutAStaleCanvas) {
  PhotoFolder folder;
  std::vector<PhotoInput> photos = {folder.Add("good.jpg", 1), folder.Add("gone.jpg", 2), folder.Add("bad.jpg", 3)};
  fs::remove(folder.folder() + "gone.jpg");
  WriteFileBytes(folder.folder() + "bad.jpg", {'n', 'o', 't', 'j', 'p', 'g'});
  OutputOptions options;
  options.frame = true;
  options.rename = true;
  options.renameByTime = false;
  options.prefix = "f";
  std::vector<PhotoOutcome> outcomes = RunBatch(photos, options);
  EXPECT_TRUE(outcomes[0].ok);
  EXPECT_FALSE(outcomes[1].ok);
  EXPECT_FALSE(outcomes[2].ok);
  EXPECT_EQ(outcomes[2].fileName, "bad.jpg");
  // No backup either: a photo that cannot be framed is left alone.
  EXPECT_EQ(folder.Files(), (Names{"BackUp/good.jpg", "bad.jpg", "f0001.jpg"}));
  EXPECT_EQ(folder.Bytes("bad.jpg"), (std::vector<std::uint8_t>{'n', 'o', 't', 'j', 'p', 'g'}));
}

TEST(Batch, RenameOfAMissingPhotoFails) {
  PhotoFolder folder;
  PhotoInput photo = folder.Add("IMG_0001.JPG", 1);
  fs::remove(folder.folder() + photo.fileName);
  OutputOptions options;
  options.rename = true;
  PhotoOutcome outcome = EditPhoto(photo, options, RealFileSystem());
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.fileName, "IMG_0001.JPG");
  EXPECT_TRUE(folder.Files().empty());
}

// The disk as a case-insensitive file system (FAT, NTFS, APFS by default) sees
// it: a name is taken when any entry of its folder matches it in any letter case.
class CaseInsensitiveDisk : public FaultyFileSystem {
 public:
  bool NameTaken(const std::string& path) const override {
    fs::path wanted(path);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(wanted.parent_path(), error)) {
      if (Lower(entry.path().filename()) == Lower(wanted.filename())) return true;
    }
    return false;
  }

 private:
  static std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }
};

TEST(Batch, NamesDifferingOnlyInCaseFollowTheFileSystem) {
  struct Case {
    bool caseInsensitive;
    Names expected;
  } cases[] = {{false, {"img_0001.jpg", "img_0002.jpg"}}, {true, {"img_0001_1.jpg", "img_0002_1.jpg"}}};
  for (const Case& c : cases) {
    PhotoFolder folder;
    // Row 1 is renamed to its own name in other letters; row 2 meets a file
    // that differs from its new name in case only.
    std::vector<PhotoInput> photos = {folder.Add("IMG_0001.jpg", 1), folder.Add("x.jpg", 2)};
    folder.Add("IMG_0002.JPG", 9);
    OutputOptions options;
    options.backup = false;
    options.rename = true;
    options.renameByTime = false;
    options.prefix = "img_";
    CaseInsensitiveDisk caseInsensitive;
    FileSystem& disk = c.caseInsensitive ? static_cast<FileSystem&>(caseInsensitive) : RealFileSystem();
    EXPECT_EQ(NamesOf(RunBatch(photos, options, disk)), c.expected) << c.caseInsensitive;
  }
}

struct FaultCase {
  const char* what;
  FsOp op;
  std::string pathPart;
  bool rename, frame;
};

class FaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, PhotoKeepsItsFileAndName) {
  const FaultCase& c = GetParam();
  PhotoFolder folder;
  PhotoInput photo = folder.Add("IMG_0001.JPG", 1);
  std::vector<std::uint8_t> original = folder.Bytes("IMG_0001.JPG");
  FaultyFileSystem disk;
  disk.FailOn(c.op, c.pathPart, "磁盘已满");
  OutputOptions options;
  options.rename = c.rename;
  options.frame = c.frame;
  PhotoOutcome outcome = EditPhoto(photo, options, disk);
  EXPECT_FALSE(outcome.ok);
  EXPECT_NE(outcome.error.find("磁盘已满"), std::string::npos) << outcome.error;
  EXPECT_EQ(outcome.fileName, "IMG_0001.JPG");
  EXPECT_EQ(folder.Bytes("IMG_0001.JPG"), original);
  Names files = folder.Files();
  EXPECT_EQ(std::count(files.begin(), files.end(), "IMG_0001.JPG"), 1);
  for (const std::string& f : files) EXPECT_TRUE(f == "IMG_0001.JPG" || f.starts_with("BackUp/")) << f;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultTest,
    ::testing::Values(FaultCase{"backup folder", FsOp::CreateFolder, "BackUp", true, true},
                      FaultCase{"backup copy", FsOp::Copy, "BackUp", true, true},
                      FaultCase{"backup copy, rename only", FsOp::Copy, "BackUp", true, false},
                      FaultCase{"framed write, same name", FsOp::Write, "", false, true},
                      FaultCase{"framed write, new name", FsOp::Write, "", true, true},
                      FaultCase{"removing the original", FsOp::Remove, "IMG_0001", true, true},
                      FaultCase{"rename", FsOp::Rename, "", true, false}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

TEST(Faults, ReadOnlyFolderOnTheDisk) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root, which ignores folder permissions";
  PhotoFolder folder;
  PhotoInput photo = folder.Add("IMG_0001.JPG", 1);
  std::vector<std::uint8_t> original = folder.Bytes("IMG_0001.JPG");
  fs::permissions(folder.folder(), fs::perms::owner_read | fs::perms::owner_exec);
  for (bool rename : {false, true}) {
    for (bool frame : {false, true}) {
      OutputOptions options;
      options.rename = rename;
      options.frame = frame;
      if (!rename && !frame) continue;
      PhotoOutcome outcome = EditPhoto(photo, options, RealFileSystem());
      EXPECT_FALSE(outcome.ok);
      EXPECT_EQ(outcome.fileName, "IMG_0001.JPG");
    }
  }
  fs::permissions(folder.folder(), fs::perms::owner_all);
  EXPECT_EQ(folder.Files(), Names{"IMG_0001.JPG"});
  EXPECT_EQ(folder.Bytes("IMG_0001.JPG"), original);
}

TEST(OptionsProblem, OnlyAPrefixInUseIsChecked) {
  OutputOptions options;
  options.prefix = "a/b";
  EXPECT_FALSE(OptionsProblem(options));  // renaming off
  options.rename = true;
  EXPECT_FALSE(OptionsProblem(options));  // renaming by time
  options.renameByTime = false;
  EXPECT_TRUE(OptionsProblem(options));
  options.prefix = std::string(247, 'a');
  EXPECT_FALSE(OptionsProblem(options));
  options.prefix += 'a';
  EXPECT_TRUE(OptionsProblem(options));
}

}  // namespace
}  // namespace geoframe
