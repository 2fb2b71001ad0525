// A batch killed at any moment (SIGKILL, as a crash or a power cut stops it)
// loses no photo, leaves every named output whole and leaves no temporary file.
#include <gtest/gtest.h>
#include <signal.h>    // kill, SIGKILL
#include <sys/wait.h>  // waitpid
#include <unistd.h>    // fork, _exit

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <thread>

#include "faulty_file_system.h"
#include "io/write_file.h"
#include "output/batch.h"
#include "output/jpeg_decoder.h"
#include "sample_photos.h"
#include "test_support.h"

namespace geoframe {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using testing::FaultyFileSystem;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

// Photos of the same second (numbered names) and one without a time, which
// keeps its name and so replaces its own file.
const std::map<std::string, std::string> kPhotos = {
    {"IMG_0001.JPG", "2010:11:11 13:31:02"},
    {"IMG_0002.JPG", "2010:11:11 13:31:02"},
    {"IMG_0003.JPG", "2010:11:11 13:31:05"},
    {"notime.JPG", ""},
};

// A batch that frames the photos, or one that writes GPS EXIF into them.
enum class Rewrite { Frame, WriteGps };

class PhotoFolder {
 public:
  explicit PhotoFolder(Rewrite rewrite) : rewrite_(rewrite) {
    unsigned seed = 0;
    for (const auto& [name, time] : kPhotos) {
      originals_[name] = tools::MakeSamplePhoto(160, 120, ++seed, time);
      WriteFileBytes(dir_.path() / name, originals_[name]);
      const std::string shown = time.empty() ? "" : "2010-11-11 " + time.substr(11);
      photos_.push_back({static_cast<int>(seed), dir_.folder(), name, !time.empty(), shown, "", std::nullopt});
      if (!time.empty()) photos_.back().position = GeoPosition{'N', {30, 151234, 4}, 'E', {120, 305678, 4}, {}};
    }
  }

  // Backup, renaming by time and framing or GPS EXIF; the annotation line is
  // left blank, so the child process draws no text and needs no Qt application.
  void RunBatch(FileSystem& disk) const {
    OutputOptions options;
    options.rename = true;
    options.frame = rewrite_ == Rewrite::Frame;
    options.writeGps = rewrite_ == Rewrite::WriteGps;
    options.withTime = false;
    EditPhotos(photos_, options, disk);
  }

  // Checks what the folder holds at the moment the batch stopped.
  void ExpectConsistent() const {
    std::vector<Bytes> backups;
    for (const auto& entry : fs::directory_iterator(dir_.path() / "BackUp", ec_)) {
      EXPECT_NE(entry.path().filename().string()[0], '.') << "temporary file left: " << entry.path();
      backups.push_back(ReadFileBytes(entry.path()));
    }
    int outputs = 0;
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
      if (entry.is_directory() || ExpectOnlyTheReplacementsName(entry.path())) continue;
      ++outputs;
      EXPECT_NO_THROW(DecodeJpeg(ReadFileBytes(entry.path()))) << entry.path();
    }
    EXPECT_GE(outputs, static_cast<int>(kPhotos.size()));  // each photo is somewhere under a final name
    for (const auto& [name, bytes] : originals_) {
      const bool inPlace = fs::exists(dir_.path() / name) && ReadFileBytes(dir_.path() / name) == bytes;
      const bool backedUp = std::find(backups.begin(), backups.end(), bytes) != backups.end();
      EXPECT_TRUE(inPlace || backedUp) << name << " is lost";
    }
  }

 private:
  // Files being written have no name and vanish with the process. Only the
  // hidden name the replacement of notime.JPG passes through may remain (its
  // own file is untouched then), and the next batch of the folder removes it.
  // True for that name.
  bool ExpectOnlyTheReplacementsName(const fs::path& path) const {
    const std::string name = path.filename();
    if (name[0] != '.') return false;
    EXPECT_TRUE(IsTemporaryName(name)) << "stray hidden file " << path;
    EXPECT_EQ(ReadFileBytes(dir_.path() / "notime.JPG"), originals_.at("notime.JPG")) << path;
    RealFileSystem().LockFolder(dir_.folder());
    EXPECT_FALSE(fs::exists(path)) << "a new batch left " << path;
    return true;
  }

  Rewrite rewrite_;
  TempDir dir_;
  std::map<std::string, Bytes> originals_;
  std::vector<PhotoInput> photos_;
  mutable std::error_code ec_;  // no BackUp folder yet is fine
};

// Runs the batch in a child process, stopped by SIGKILL before its n-th
// changing file operation or after a delay (inside an operation, mostly).
// True when the child ran to its end.
bool RunKilled(const PhotoFolder& folder, std::optional<std::size_t> crashBefore,
               std::chrono::microseconds delay = {}) {
  const pid_t child = ::fork();
  if (child == 0) {
    FaultyFileSystem disk;
    if (crashBefore) disk.CrashBefore(*crashBefore);
    folder.RunBatch(disk);
    ::_exit(0);
  }
  if (delay.count() > 0) {
    std::this_thread::sleep_for(delay);
    ::kill(child, SIGKILL);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class CrashConsistency : public ::testing::TestWithParam<Rewrite> {};

TEST_P(CrashConsistency, KilledBeforeEachFileOperation) {
  std::size_t operations = 0;
  {
    PhotoFolder folder(GetParam());
    FaultyFileSystem disk;
    folder.RunBatch(disk);
    operations = disk.log().size();
  }
  ASSERT_GT(operations, kPhotos.size() * 3);  // locks, backups, writes, removals
  for (std::size_t n = 0; n < operations; ++n) {
    SCOPED_TRACE("killed before operation " + std::to_string(n));
    PhotoFolder folder(GetParam());
    EXPECT_FALSE(RunKilled(folder, n));
    folder.ExpectConsistent();
  }
}

TEST_P(CrashConsistency, KilledAtMomentsThroughTheBatch) {
  constexpr int kMoments = 12;
  PhotoFolder timing(GetParam());
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(RunKilled(timing, std::nullopt));
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  timing.ExpectConsistent();
  for (int moment = 1; moment <= kMoments; ++moment) {
    SCOPED_TRACE("killed after " + std::to_string(moment) + "/" + std::to_string(kMoments + 1) + " of a run");
    PhotoFolder folder(GetParam());
    RunKilled(folder, std::nullopt, whole * moment / (kMoments + 1));
    folder.ExpectConsistent();
  }
}

INSTANTIATE_TEST_SUITE_P(Rewrites, CrashConsistency, ::testing::Values(Rewrite::Frame, Rewrite::WriteGps));

}  // namespace
}  // namespace geoframe
