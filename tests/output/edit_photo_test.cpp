#include "output/edit_photo.h"

#include <fcntl.h>  // open
#include <gtest/gtest.h>
#include <sched.h>     // sched_getaffinity
#include <sys/file.h>  // flock
#include <sys/stat.h>  // chmod, mkfifo, stat
#include <unistd.h>    // geteuid, close

#include <algorithm>  // search
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <new>  // bad_alloc
#include <thread>
#include <variant>

#include "faulty_file_system.h"
#include "output/batch.h"
#include "output/frame_picture.h"
#include "output/framed_marks.h"
#include "output/jpeg_decoder.h"
#include "output/jpeg_segments.h"
#include "output/render_ahead.h"
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
const GeoPosition kPosition{'N', {30, 151234, 4}, 'E', {120, 305678, 4}, {}};

// The failure's own short text, for test messages.
std::string WhatFailed(const PhotoOutcome& outcome) {
  if (!outcome.failure) return "";
  return std::visit([](const auto& error) { return std::string(error.what()); }, outcome.failure->error);
}

// The failure as an output error's kind; nothing for success or a file error.
std::optional<OutputErrorKind> OutputKind(const PhotoOutcome& outcome) {
  if (!outcome.failure) return std::nullopt;
  const auto* error = std::get_if<OutputError>(&outcome.failure->error);
  return error ? std::optional(error->kind()) : std::nullopt;
}

unsigned ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777u;
}

// A folder of sample photos and a look at what output left in it.
class PhotoFolder {
 public:
  // A photo with the EXIF time of the time text; its input as the list holds it.
  PhotoInput Add(const std::string& name, int row, const std::string& timeText = "2010-11-11 13:31:02") {
    WriteFileBytes(dir_.path() / name, tools::MakeSamplePhoto(kWidth, kHeight, row, "2010:11:11 13:31:02"));
    return {row, dir_.folder(), name, !timeText.empty(), timeText, "N30°15.1234',E120°30.5678'", kPosition};
  }
  // Puts the segments into the photo's file, as another program or an earlier run would have.
  void Insert(const std::string& name, const std::vector<JpegSegment>& segments) {
    WriteFileBytes(dir_.path() / name, InsertSegments(Bytes(name), segments));
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
  bool marked = false;  // the photo carries the framed mark of an earlier run
};

class OptionTableTest : public ::testing::TestWithParam<OptionCase> {};

// Also: a private photo stays private in every file output makes of it.
TEST_P(OptionTableTest, FilesAndNameAfterOutput) {
  const OptionCase& c = GetParam();
  PhotoFolder folder;
  PhotoInput photo = folder.Add("IMG_0001.JPG", 1);
  if (c.marked) folder.Insert(photo.fileName, {FramedMark()});
  ::chmod((folder.folder() + photo.fileName).c_str(), 0600);
  std::vector<std::uint8_t> original = folder.Bytes("IMG_0001.JPG");
  OutputOptions options;
  options.backup = c.backup;
  options.rename = c.rename;
  options.frame = c.frame;
  PhotoOutcome outcome = EditPhoto(photo, options, RealFileSystem());
  EXPECT_TRUE(outcome.ok()) << WhatFailed(outcome);
  EXPECT_EQ(outcome.alreadyFramed, c.marked && c.frame);
  EXPECT_EQ(outcome.fileName, c.name);
  EXPECT_EQ(folder.Files(), c.files);
  for (const std::string& file : c.files) EXPECT_EQ(ModeOf(folder.folder() + file), 0600u) << file;
  EXPECT_EQ(folder.IsFramed(c.name), c.framed);
  EXPECT_EQ(CarriesFramedMark(folder.Bytes(c.name)), c.framed || c.marked);
  if (!c.framed) {
    EXPECT_EQ(folder.Bytes(c.name), original);
  }
  if (std::count(c.files.begin(), c.files.end(), "BackUp/IMG_0001.JPG") > 0) {
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
                      OptionCase{true, true, true, {kTimeName, "BackUp/IMG_0001.JPG"}, kTimeName, true},
                      // Framed before: framing leaves it whole; renaming alone still renames it.
                      OptionCase{true, true, true, {"IMG_0001.JPG"}, "IMG_0001.JPG", false, true},
                      OptionCase{true, true, false, {kTimeName, "BackUp/IMG_0001.JPG"}, kTimeName, false, true}));

// An ICC_PROFILE chunk of the given size, numbered as the chunks of a profile are.
JpegSegment ProfileChunk(int number, int count, std::size_t bytes) {
  std::vector<std::uint8_t> payload = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
  payload.push_back(static_cast<std::uint8_t>(number));
  payload.push_back(static_cast<std::uint8_t>(count));
  payload.resize(bytes, static_cast<std::uint8_t>(number));
  return {kApp2Marker, payload};
}

// The framed output keeps the photo's colour profile, every chunk in order,
// and gains the mark; nothing else of the photo's header: no EXIF, none of
// its comments or other APP2 segments.
TEST(Batch, FramedOutputKeepsTheColourProfileAndIsMarked) {
  PhotoFolder folder;
  PhotoInput photo = folder.Add("a.jpg", 1);
  const JpegSegment other{kApp2Marker, {'M', 'P', 'F', 0}}, comment{kCommentMarker, {'h', 'i'}};
  folder.Insert("a.jpg", {ProfileChunk(1, 2, 3000), comment, other, ProfileChunk(2, 2, 100)});
  OutputOptions options;
  options.frame = true;
  ASSERT_TRUE(EditPhoto(photo, options, RealFileSystem()).ok());
  const std::vector<std::uint8_t> framed = folder.Bytes("a.jpg");
  std::vector<std::pair<int, std::vector<std::uint8_t>>> kept;
  for (const JpegSegmentView& segment : HeaderSegments(framed)) {
    if (segment.marker >= kApp1Marker) kept.emplace_back(segment.marker, std::vector(segment.payload.begin(), segment.payload.end()));
  }
  const std::vector<std::pair<int, std::vector<std::uint8_t>>> expected = {
      {kApp2Marker, ProfileChunk(1, 2, 3000).payload},
      {kApp2Marker, ProfileChunk(2, 2, 100).payload},
      {kCommentMarker, FramedMark().payload}};
  EXPECT_EQ(kept, expected);
  const std::vector<std::uint8_t> markBytes = FramedMark().payload;
  const std::string mark(markBytes.begin(), markBytes.end());
  EXPECT_TRUE(mark.starts_with("Framed by geoframe ")) << mark;
  EXPECT_EQ(ReadJpegSize(framed), (PixelSize{kWidth + 48, kHeight + 48}));
}

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

// The time rule itself is in the option table above; here what it leaves alone:
// no EXIF time, or a shown time that is no real date-time.
INSTANTIATE_TEST_SUITE_P(
    Cases, RuleNameTest,
    ::testing::Values(NameCase{{1, "/f/", "IMG_0001.JPG", false, "2010-11-11 13:31:02", "", std::nullopt}, true, "", "IMG_0001.JPG"},
                      NameCase{{1, "/f/", "a.JPG", true, "0000-00-00 00:00:00", "", std::nullopt}, true, "", "a.JPG"},
                      NameCase{{1, "/f/", "a.JPG", true, "2011-13-45 25:61:61", "", std::nullopt}, true, "", "a.JPG"},
                      NameCase{{1, "/f/", "a.JPG", true, "2011-02-29 12:00:00", "", std::nullopt}, true, "", "a.JPG"},
                      NameCase{{1, "/f/", "a.JPG", true, "    -  -     :  :  ", "", std::nullopt}, true, "", "a.JPG"},
                      NameCase{{1, "/f/", "a.JPG", true, "2012-02-29 23:59:59", "", std::nullopt}, true, "", "20120229_235959.JPG"},
                      NameCase{{1, "/f/", "a.jpeg", true, "2012-02-29 23:59:59", "", std::nullopt}, true, "", "20120229_235959.jpeg"},
                      NameCase{{7, "/f/", "DSC01234.jpg", false, "", "", std::nullopt}, false, "trip", "trip0007.jpg"},
                      NameCase{{999, "/f/", "x.jpg", true, "", "", std::nullopt}, false, "", "0999.jpg"}));

TEST(AnnotationLine, BlanksStayWhenPartsAreEmptyAndTheCommentIsIsolated) {
  PhotoInput photo{1, "/f/", "a.jpg", true, "2010-12-06 16:30:15", "N30°15.1234',E120°30.5678'", std::nullopt};
  struct Case {
    std::string comment, coordinate;
    bool gps, time;
    std::string expected;
  } cases[] = {
      {"西湖", photo.coordinate, true, true, " \u2068西湖\u2069  N30°15.1234',E120°30.5678'  2010-12-06 16:30:15"},
      {"西湖", photo.coordinate, false, false, " \u2068西湖\u2069    "},
      // the comment is one isolate: an override in it ends with it, a closing
      // without an opening goes, an isolate it leaves open is closed
      {"\u202Eabc", "", false, true, " \u2068\u202Eabc\u2069    2010-12-06 16:30:15"},
      {"a\u2069b\u2067c", "", false, true, " \u2068ab\u2067c\u2069\u2069    2010-12-06 16:30:15"},
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

std::vector<PhotoOutcome> RunBatch(const std::vector<PhotoInput>& photos, const OutputOptions& options,
                                   FileSystem& disk = RealFileSystem()) {
  return EditPhotos(photos, options, disk).outcomes;
}

Names NamesOf(const std::vector<PhotoOutcome>& outcomes) {
  Names names;
  for (const PhotoOutcome& o : outcomes) names.push_back(o.ok() ? o.fileName : "failed: " + WhatFailed(o));
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

// Each failing row is told apart by its reason, never blocks (a FIFO), and is
// left alone: not even a backup is made.
TEST(Batch, MissingOrUnusablePhotosAreSkippedWithoutAStaleCanvas) {
  PhotoFolder folder;
  std::vector<PhotoInput> photos = {folder.Add("good.jpg", 1), folder.Add("gone.jpg", 2), folder.Add("bad.jpg", 3),
                                    folder.Add("empty.jpg", 4), folder.Add("fifo.jpg", 5), folder.Add("dir.jpg", 6)};
  fs::remove(folder.folder() + "gone.jpg");
  WriteFileBytes(folder.folder() + "bad.jpg", {'n', 'o', 't', 'j', 'p', 'g'});
  WriteFileBytes(folder.folder() + "empty.jpg", {});
  for (const char* name : {"fifo.jpg", "dir.jpg"}) fs::remove(folder.folder() + name);
  ASSERT_EQ(::mkfifo((folder.folder() + "fifo.jpg").c_str(), 0600), 0);
  fs::create_directory(folder.folder() + "dir.jpg");
  OutputOptions options;
  options.frame = true;
  options.rename = true;
  options.renameByTime = false;
  options.prefix = "f";
  std::vector<PhotoOutcome> outcomes = RunBatch(photos, options);
  ASSERT_EQ(outcomes.size(), 6u);
  EXPECT_TRUE(outcomes[0].ok());
  EXPECT_EQ(OutputKind(outcomes[1]), OutputErrorKind::Missing);
  EXPECT_EQ(outcomes[2].failure->stage, PhotoStage::Render);
  EXPECT_EQ(OutputKind(outcomes[3]), OutputErrorKind::EmptyFile);
  EXPECT_EQ(std::get<FileError>(outcomes[4].failure->error).kind(), FileErrorKind::Special);
  EXPECT_EQ(std::get<FileError>(outcomes[5].failure->error).kind(), FileErrorKind::Folder);
  for (std::size_t i = 1; i < outcomes.size(); ++i) EXPECT_EQ(outcomes[i].fileName, photos[i].fileName);
  EXPECT_EQ(folder.Files(), (Names{"BackUp/good.jpg", "bad.jpg", "empty.jpg", "f0001.jpg"}));
  EXPECT_EQ(folder.Bytes("bad.jpg"), (std::vector<std::uint8_t>{'n', 'o', 't', 'j', 'p', 'g'}));
}

// GPS EXIF goes in after the backup; a photo without a position, or whose
// EXIF cannot be read, stays as it was (and the latter has no backup either).
TEST(Batch, GpsExifOnlyWhereItCanBeWritten) {
  PhotoFolder folder;
  std::vector<PhotoInput> photos = {folder.Add("good.jpg", 1), folder.Add("nowhere.jpg", 2),
                                    folder.Add("damaged.jpg", 3)};
  photos[1].position.reset();
  std::vector<std::uint8_t> damaged = folder.Bytes("damaged.jpg");
  const auto exif = std::search(damaged.begin(), damaged.end(), std::begin("Exif"), std::end("Exif"));
  ASSERT_NE(exif, damaged.end());
  std::fill_n(exif + 10, 4, 0xFF);  // IFD0 offset far beyond the segment
  WriteFileBytes(folder.folder() + "damaged.jpg", damaged);
  const std::vector<std::uint8_t> good = folder.Bytes("good.jpg"), nowhere = folder.Bytes("nowhere.jpg");
  OutputOptions options;
  options.writeGps = true;
  std::vector<PhotoOutcome> outcomes = RunBatch(photos, options);
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_TRUE(outcomes[0].ok()) << WhatFailed(outcomes[0]);
  EXPECT_TRUE(outcomes[1].ok()) << WhatFailed(outcomes[1]);
  EXPECT_EQ(OutputKind(outcomes[2]), OutputErrorKind::ExifDamaged);
  EXPECT_EQ(folder.Files(),
            (Names{"BackUp/good.jpg", "BackUp/nowhere.jpg", "damaged.jpg", "good.jpg", "nowhere.jpg"}));
  EXPECT_EQ(folder.Bytes("BackUp/good.jpg"), good);
  EXPECT_NE(folder.Bytes("good.jpg"), good);
  EXPECT_GT(folder.Bytes("good.jpg").size(), good.size());
  EXPECT_EQ(folder.Bytes("nowhere.jpg"), nowhere);
  EXPECT_EQ(folder.Bytes("damaged.jpg"), damaged);
}

// The free name is decided when the photo's turn comes: a photo that failed
// before it keeps no name from it.
TEST(Batch, AFailedPhotoHoldsNoNameForTheNextOne) {
  PhotoFolder folder;
  std::vector<PhotoInput> photos = {folder.Add("bad.JPG", 1), folder.Add("good.JPG", 2)};
  WriteFileBytes(folder.folder() + "bad.JPG", {'n', 'o'});
  OutputOptions options;
  options.backup = false;
  options.rename = true;
  options.frame = true;
  std::vector<PhotoOutcome> outcomes = RunBatch(photos, options);
  EXPECT_FALSE(outcomes[0].ok());
  EXPECT_EQ(outcomes[1].fileName, kTimeName);
}

// The same file reached twice (the same path, a second link, a linked folder)
// is done once; the later rows say which row did it.
TEST(Batch, EachFileOncePerBatch) {
  PhotoFolder folder;
  PhotoInput first = folder.Add("a.jpg", 1);
  fs::create_directory_symlink(folder.folder(), folder.folder() + "linked");
  fs::create_hard_link(folder.folder() + "a.jpg", folder.folder() + "b.jpg");
  PhotoInput samePath = first, viaLink = first, hardLink = first;
  samePath.row = 2;
  viaLink.row = 3;
  viaLink.folder += "linked/";
  hardLink.row = 4;
  hardLink.fileName = "b.jpg";
  OutputOptions options;
  options.backup = false;
  options.frame = true;
  std::vector<PhotoOutcome> outcomes = RunBatch({first, samePath, viaLink, hardLink}, options);
  EXPECT_TRUE(outcomes[0].ok()) << WhatFailed(outcomes[0]);
  for (std::size_t i = 1; i < 4; ++i) {
    ASSERT_EQ(OutputKind(outcomes[i]), OutputErrorKind::SameFileAgain) << i;
    EXPECT_EQ(std::get<OutputError>(outcomes[i].failure->error).fields().row, 1);
  }
  EXPECT_TRUE(folder.IsFramed("a.jpg"));  // framed once: a second frame would be larger
}

// A folder another batch holds (another process's flock on it) is left alone;
// once it is free, the batch works there and gives the lock back at its end.
TEST(Batch, AFolderAnotherBatchHoldsIsLeftAlone) {
  PhotoFolder folder;
  PhotoInput photo = folder.Add("a.jpg", 1);
  std::vector<std::uint8_t> original = folder.Bytes("a.jpg");
  OutputOptions options;
  options.frame = true;
  const int other = ::open(folder.folder().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  PhotoOutcome outcome = EditPhoto(photo, options, RealFileSystem());
  EXPECT_EQ(OutputKind(outcome), OutputErrorKind::FolderBusy);
  EXPECT_EQ(folder.Files(), Names{"a.jpg"});
  EXPECT_EQ(folder.Bytes("a.jpg"), original);
  ::close(other);
  EXPECT_TRUE(EditPhoto(photo, options, RealFileSystem()).ok());
  const int after = ::open(folder.folder().c_str(), O_RDONLY | O_DIRECTORY);
  EXPECT_EQ(::flock(after, LOCK_EX | LOCK_NB), 0);
  ::close(after);
}

// Running out of memory while reading one photo fails that photo only.
TEST(Batch, RunningOutOfMemoryFailsOnlyThatPhoto) {
  class NoMemoryFor : public FaultyFileSystem {
   public:
    MappedMemory ReadFile(const std::string& path, std::int64_t maxBytes) const override {
      if (path.ends_with("a.jpg")) throw std::bad_alloc();
      return FaultyFileSystem::ReadFile(path, maxBytes);
    }
  } disk;
  PhotoFolder folder;
  std::vector<PhotoInput> photos = {folder.Add("a.jpg", 1), folder.Add("b.jpg", 2)};
  const std::vector<std::uint8_t> original = folder.Bytes("a.jpg");
  OutputOptions options;
  options.frame = true;
  std::vector<PhotoOutcome> outcomes = RunBatch(photos, options, disk);
  EXPECT_EQ(OutputKind(outcomes[0]), OutputErrorKind::OutOfMemory);
  EXPECT_TRUE(outcomes[1].ok()) << WhatFailed(outcomes[1]);
  EXPECT_EQ(folder.Bytes("a.jpg"), original);
  EXPECT_TRUE(folder.IsFramed("b.jpg"));
}

// A name that would be too long with its number fails before the backup.
TEST(Batch, ANameThatDoesNotFitFailsBeforeTheBackup) {
  PhotoFolder folder;
  const std::string prefix(247, 'p');
  folder.Add(prefix + "0001.jpg", 9);  // 255 bytes: the next free one, _1, is 257
  PhotoInput photo = folder.Add("a.jpg", 1);
  OutputOptions options;
  options.rename = true;
  options.renameByTime = false;
  options.prefix = prefix;
  PhotoOutcome outcome = EditPhoto(photo, options, RealFileSystem());
  EXPECT_EQ(OutputKind(outcome), OutputErrorKind::NameTooLong);
  EXPECT_EQ(folder.Files(), (Names{"a.jpg", prefix + "0001.jpg"}));
}

TEST(Batch, StopsAfterTheCurrentPhotoWhenAsked) {
  PhotoFolder folder;
  std::vector<PhotoInput> photos = {folder.Add("a.JPG", 1), folder.Add("b.JPG", 2), folder.Add("c.JPG", 3)};
  OutputOptions options;
  options.backup = false;
  options.rename = true;
  BatchObserver observer;
  std::vector<std::size_t> heard;
  observer.onPhoto = [&](std::size_t index, const PhotoOutcome&) { heard.push_back(index); };
  observer.stopRequested = [&] { return heard.size() == 2; };
  BatchResult result = EditPhotos(photos, options, RealFileSystem(), observer);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(heard, (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(folder.Files(), (Names{"20101111_133102.JPG", "20101111_133102_1.JPG", "c.JPG"}));
}

// Rendering on several threads changes nothing: the same batch with one render
// thread and with four (more than the cores) leaves the same names, outcomes
// and bytes in every file. Photos of two sizes finish rendering out of list
// order; most share a second (numbered names), and one in the middle cannot be
// decoded, so the names after it are those it did not take.
TEST(Batch, RenderThreadsChangeNothing) {
  struct Run {
    Names outcomes;
    std::map<std::string, std::vector<std::uint8_t>> files;
  };
  const auto run = [](std::size_t threads) {
    TempDir dir;
    std::vector<PhotoInput> photos;
    for (int i = 0; i < 10; ++i) {
      const std::string name = "IMG_" + std::to_string(i) + ".JPG";
      const int width = i % 3 == 0 ? 640 : 64;
      WriteFileBytes(dir.path() / name, i == 4 ? std::vector<std::uint8_t>{'n', 'o'}
                                               : tools::MakeSamplePhoto(width, width * 3 / 4, i, "2010:11:11 13:31:02"));
      photos.push_back({i + 1, dir.folder(), name, true, i < 7 ? "2010-11-11 13:31:02" : "2010-11-11 13:31:05",
                        "N30°15.1234',E120°30.5678'", std::nullopt});
    }
    OutputOptions options;
    options.rename = true;
    options.frame = true;
    options.comment = "西湖";
    options.withCoordinate = true;
    Run result;
    for (const PhotoOutcome& o : EditPhotos(photos, options, RealFileSystem(), {}, threads).outcomes) {
      result.outcomes.push_back(o.ok() ? o.fileName : "failed at stage " + std::to_string(int(o.failure->stage)));
    }
    for (const std::string& file : testing::FilesUnder(dir.path())) result.files[file] = ReadFileBytes(dir.path() / file);
    // The text drawn on a render thread is the text drawn on this one.
    const auto here = FramePicture(dir.folder() + "BackUp/IMG_0.JPG", AnnotationLine(photos[0], options));
    EXPECT_TRUE(InsertSegments(EncodePicture(here, kFramedQuality), {FramedMark()}) == result.files[kTimeName])
        << threads;
    return result;
  };
  const Run one = run(1), four = run(4);
  EXPECT_EQ(one.outcomes, (Names{kTimeName, "20101111_133102_1.JPG", "20101111_133102_2.JPG", "20101111_133102_3.JPG",
                                 "failed at stage 1", "20101111_133102_4.JPG", "20101111_133102_5.JPG",
                                 "20101111_133105.JPG", "20101111_133105_1.JPG", "20101111_133105_2.JPG"}));
  EXPECT_EQ(four.outcomes, one.outcomes);
  ASSERT_EQ(one.files.size(), 19u);  // nine framed photos and their backups, the undecodable one
  EXPECT_TRUE(four.files == one.files);
}

// While the caller waits for a render it hears whileWaiting on its own thread,
// and a stop asked then leaves the awaited photo and the one rendered after it
// untouched.
TEST(Batch, AStopAskedWhileWaitingLeavesTheAwaitedPhotosUntouched) {
  class SlowToRead : public FaultyFileSystem {
   public:
    std::atomic<bool> stop{false};
    // b.JPG is read only once the stop is asked.
    MappedMemory ReadFile(const std::string& path, std::int64_t maxBytes) const override {
      while (path.ends_with("b.JPG") && !stop) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return FaultyFileSystem::ReadFile(path, maxBytes);
    }
  } disk;
  PhotoFolder folder;
  std::vector<PhotoInput> photos = {folder.Add("a.JPG", 1), folder.Add("b.JPG", 2), folder.Add("c.JPG", 3)};
  const std::vector<std::uint8_t> b = folder.Bytes("b.JPG"), c = folder.Bytes("c.JPG");
  OutputOptions options;
  options.backup = false;
  options.frame = true;
  std::vector<std::size_t> heard;
  int waits = 0;
  bool elsewhere = false;
  BatchObserver observer;
  observer.onPhoto = [&](std::size_t index, const PhotoOutcome&) { heard.push_back(index); };
  observer.whileWaiting = [&, caller = std::this_thread::get_id()] {
    ++waits;
    elsewhere |= std::this_thread::get_id() != caller;
    if (!heard.empty()) disk.stop = true;  // Escape, once a.JPG is done
  };
  observer.stopRequested = [&] { return disk.stop.load(); };
  BatchResult result = EditPhotos(photos, options, disk, observer, 2);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(heard, std::vector<std::size_t>{0});
  EXPECT_GT(waits, 0);
  EXPECT_FALSE(elsewhere);
  EXPECT_TRUE(folder.IsFramed("a.JPG"));
  EXPECT_EQ(folder.Bytes("b.JPG"), b);
  EXPECT_EQ(folder.Bytes("c.JPG"), c);
  EXPECT_EQ(folder.Files(), (Names{"a.JPG", "b.JPG", "c.JPG"}));
}

// However many workers render, a batch holds no more than its budget: every
// photo read and not yet committed holds at least its file's bytes or its
// encoded result (here about the same: both are mostly the colour profile),
// and so many of them at once must fit the budget.
TEST(Batch, EightWorkersKeepToTheMemoryBudget) {
  class CountingReads : public FaultyFileSystem {
   public:
    std::atomic<int> committed{0};
    mutable std::atomic<int> reads{0}, mostInFlight{0};
    MappedMemory ReadFile(const std::string& path, std::int64_t maxBytes) const override {
      const int inFlight = ++reads - committed;
      for (int most = mostInFlight; inFlight > most && !mostInFlight.compare_exchange_weak(most, inFlight);) {}
      return FaultyFileSystem::ReadFile(path, maxBytes);
    }
  } disk;
  PhotoFolder folder;
  OutputOptions options;
  options.frame = true;
  BatchState batch;
  std::vector<PhotoPlan> plans;
  for (int row = 1; row <= 16; ++row) {
    const PhotoInput photo = folder.Add("p" + std::to_string(row) + ".jpg", row);
    folder.Insert(photo.fileName, {ProfileChunk(1, 1, kMaxSegmentPayload)});
    plans.push_back(PlanPhoto(photo, options, disk, batch));
  }
  const PhotoSource source = ReadPhotoSource(folder.folder() + "p1.jpg");
  const std::int64_t held = std::min(source.jpeg.size(), RenderPhoto(plans[0], disk).jpeg.size());
  const std::int64_t budget = 2 * FramingBytes(source);
  disk.reads = 0;
  RenderAhead renders(plans, disk, 8, budget);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the workers go as far ahead as they may
  for (std::size_t i = 0; i < plans.size(); ++i) {
    std::optional<RenderedPhoto> rendered = renders.Take(i, {});
    ASSERT_TRUE(rendered && !rendered->failure) << i;
    ++disk.committed;
    rendered.reset();
    renders.Committed(i);
  }
  EXPECT_EQ(disk.reads, 16);
  EXPECT_LE(disk.mostInFlight * held, budget) << disk.mostInFlight << " photos of at least " << held << " bytes";
}

TEST(Batch, RenderThreadsFollowTheCpusThisProcessMayRunOn) {
  cpu_set_t all, one;
  ASSERT_EQ(::sched_getaffinity(0, sizeof all, &all), 0);
  CPU_ZERO(&one);
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &all)) {
      CPU_SET(cpu, &one);
      break;
    }
  }
  ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
  const std::size_t threads = DefaultRenderThreads();
  ASSERT_EQ(::sched_setaffinity(0, sizeof all, &all), 0);
  EXPECT_EQ(threads, 1u);
}

TEST(Batch, RenameOfAMissingPhotoFails) {
  PhotoFolder folder;
  PhotoInput photo = folder.Add("IMG_0001.JPG", 1);
  fs::remove(folder.folder() + photo.fileName);
  OutputOptions options;
  options.rename = true;
  PhotoOutcome outcome = EditPhoto(photo, options, RealFileSystem());
  EXPECT_EQ(OutputKind(outcome), OutputErrorKind::Missing);
  EXPECT_EQ(outcome.fileName, "IMG_0001.JPG");
  EXPECT_TRUE(folder.Files().empty());
}

// The disk as it is when a photo goes between the looks of one output: the
// backup finds no file to copy.
class PhotoGoneBeforeTheBackup : public FaultyFileSystem {
 public:
  bool FileExists(const std::string&) const override { return false; }
};

TEST(Batch, APhotoTheBackupDoesNotFindIsLeftAsItWas) {
  PhotoFolder folder;
  PhotoInput photo = folder.Add("IMG_0001.JPG", 1);
  OutputOptions options;
  options.rename = true;
  PhotoGoneBeforeTheBackup disk;
  PhotoOutcome outcome = EditPhoto(photo, options, disk);
  EXPECT_EQ(OutputKind(outcome), OutputErrorKind::Missing);
  EXPECT_EQ(outcome.failure->stage, PhotoStage::Backup);
  EXPECT_EQ(folder.Files(), Names{"IMG_0001.JPG"});
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
  PhotoStage stage;  // where the photo's failure says it stopped
};

class FaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, PhotoKeepsItsFileAndName) {
  const FaultCase& c = GetParam();
  PhotoFolder folder;
  PhotoInput photo = folder.Add("IMG_0001.JPG", 1);
  std::vector<std::uint8_t> original = folder.Bytes("IMG_0001.JPG");
  FaultyFileSystem disk;
  disk.FailOn(c.op, c.pathPart, ENOSPC);
  OutputOptions options;
  options.rename = c.rename;
  options.frame = c.frame;
  PhotoOutcome outcome = EditPhoto(photo, options, disk);
  ASSERT_FALSE(outcome.ok());
  EXPECT_EQ(outcome.failure->stage, c.stage);
  EXPECT_EQ(std::get<FileError>(outcome.failure->error).errnum(), ENOSPC);
  EXPECT_EQ(outcome.fileName, "IMG_0001.JPG");
  EXPECT_EQ(folder.Bytes("IMG_0001.JPG"), original);
  Names files = folder.Files();
  EXPECT_EQ(std::count(files.begin(), files.end(), "IMG_0001.JPG"), 1);
  for (const std::string& f : files) EXPECT_TRUE(f == "IMG_0001.JPG" || f.starts_with("BackUp/")) << f;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultTest,
    ::testing::Values(FaultCase{"backup folder", FsOp::CreateFolder, "BackUp", true, true, PhotoStage::Backup},
                      FaultCase{"backup folder lock", FsOp::Lock, "BackUp", true, true, PhotoStage::Backup},
                      FaultCase{"backup copy", FsOp::Copy, "BackUp", true, true, PhotoStage::Backup},
                      FaultCase{"backup copy, rename only", FsOp::Copy, "BackUp", true, false, PhotoStage::Backup},
                      FaultCase{"photo folder lock", FsOp::Lock, "", true, true, PhotoStage::Plan},
                      FaultCase{"framed write, same name", FsOp::Write, "", false, true, PhotoStage::Commit},
                      FaultCase{"framed write, new name", FsOp::Write, "", true, true, PhotoStage::Commit},
                      FaultCase{"removing the original", FsOp::Remove, "IMG_0001", true, true, PhotoStage::Commit},
                      FaultCase{"rename", FsOp::Rename, "", true, false, PhotoStage::Commit}),
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
      EXPECT_FALSE(outcome.ok());
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
  EXPECT_EQ(OptionsProblem(options), NameProblem::Separator);
  options.prefix = std::string(247, 'a');
  EXPECT_FALSE(OptionsProblem(options));
  options.prefix += 'a';
  EXPECT_EQ(OptionsProblem(options), NameProblem::NoRoomForNumber);
}

}  // namespace
}  // namespace geoframe
