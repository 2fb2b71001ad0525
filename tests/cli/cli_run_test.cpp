#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli_commands.h"
#include "output/jpeg_decoder.h"
#include "sample_photos.h"
#include "sample_track.h"
#include "test_support.h"

namespace geoframe::cli {
namespace {

namespace fs = std::filesystem;
using geoframe::testing::ReadFileBytes;
using geoframe::testing::TempDir;
using geoframe::testing::WriteFileBytes;

struct Result {
  int status;
  std::string out, err;
};

// Runs `geoframe-cli run` (or, with RunGeoframeCli, the whole program).
Result RunCli(const std::vector<std::string>& args, int (*run)(const std::vector<std::string>&) = RunRun) {
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  int status = run(args);
  std::string out = ::testing::internal::GetCapturedStdout();
  return {status, out, ::testing::internal::GetCapturedStderr()};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class CliRun : public ::testing::Test {
 protected:
  std::string Photo(const std::string& name, const std::string& exifTime) {
    WriteFileBytes(dir_.path() / name, tools::MakeSamplePhoto(80, 60, 1, exifTime));
    return dir_.folder() + name;
  }
  std::string Track() {
    std::string log = tools::MakeSampleTrack("2010-12-06 08:00:00", 120, 60);
    WriteFileBytes(dir_.path() / "track.txt", std::vector<std::uint8_t>(log.begin(), log.end()));
    return dir_.folder() + "track.txt";
  }
  std::vector<std::string> Files() const { return testing::FilesUnder(dir_.path()); }
  TempDir dir_;
};

TEST_F(CliRun, BadUsageTouchesNothing) {
  std::string photo = Photo("a.jpg", "2010:12:06 08:30:15");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--rename"},
      {"--unknown", photo},
      {"--rename", "date", photo},
      {"--rename", "prefix:../up", photo},
      {"--rename", "prefix:a/b", photo},
      {"--gps", photo},
      {"--comment", "x", photo},
      {"--tolerance", "601", photo},
      {"--offset", "+24:00:00", photo},
  };
  for (const auto& args : cases) {
    Result result = RunCli(args);
    EXPECT_EQ(result.status, 2) << ::testing::PrintToString(args);
    EXPECT_TRUE(result.out.empty());
    EXPECT_NE(result.err.find("Usage: geoframe-cli run"), std::string::npos) << result.err;
  }
  EXPECT_EQ(Files(), std::vector<std::string>{"a.jpg"});
}

TEST_F(CliRun, CorrectsMatchesRenamesAndFramesLikeTheWindow) {
  std::vector<std::string> photos = {Photo("IMG_0001.JPG", "2010:12:06 08:30:15"),
                                     Photo("IMG_0002.JPG", "2010:12:06 23:00:00")};
  Result result = RunCli({"--track", Track(), "--offset", "-00:05:00", "--rename", "time", "--frame", "--comment",
                       "西湖", "--gps", photos[0], photos[1]});
  EXPECT_EQ(result.status, 0) << result.err;
  std::vector<std::string> expected = {
      photos[0] + "\t" + dir_.folder() + "20101206_082515.JPG\tN30°15.2500',E120°08.3750'\tok",
      photos[1] + "\t" + dir_.folder() + "20101206_225500.JPG\t\tok"};
  EXPECT_EQ(Lines(result.out), expected);
  EXPECT_NE(result.err.find("批处理完成!\n共处理 2 个照片。"), std::string::npos) << result.err;
  EXPECT_EQ(Files(), (std::vector<std::string>{"20101206_082515.JPG", "20101206_225500.JPG", "BackUp/IMG_0001.JPG",
                                               "BackUp/IMG_0002.JPG", "track.txt"}));
  EXPECT_EQ(ReadJpegSize(ReadFileBytes(dir_.path() / "20101206_082515.JPG")), (PixelSize{128, 108}));
}

TEST_F(CliRun, DefaultsOnlyBackUp) {
  std::string photo = Photo("a.jpg", "");
  Result result = RunCli({photo});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(Lines(result.out), std::vector<std::string>{photo + "\t" + photo + "\t\tok"});
  EXPECT_EQ(Files(), (std::vector<std::string>{"BackUp/a.jpg", "a.jpg"}));
}

TEST_F(CliRun, FailuresAreListedAndGiveStatusOne) {
  std::string good = Photo("good.jpg", "2010:12:06 08:30:15");
  std::string broken = dir_.folder() + "broken.jpg";
  WriteFileBytes(broken, {'n', 'o'});
  std::string missing = dir_.folder() + "missing.jpg";
  Result result = RunCli({"--no-backup", "--frame", good, broken, missing});
  EXPECT_EQ(result.status, 1);
  std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 3u) << result.out;
  EXPECT_EQ(lines[0], good + "\t" + good + "\t\tok");
  EXPECT_TRUE(lines[1].starts_with(broken + "\t" + broken + "\t\t")) << lines[1];
  EXPECT_NE(lines[1].find("无法解码"), std::string::npos) << lines[1];
  EXPECT_TRUE(lines[2].starts_with(missing + "\t\t\t")) << lines[2];
  EXPECT_NE(result.err.find("其中 1 个照片处理失败"), std::string::npos) << result.err;
  EXPECT_EQ(ReadFileBytes(broken), (std::vector<std::uint8_t>{'n', 'o'}));
}

// Framing a photo framed before leaves it whole, which is no failure.
TEST_F(CliRun, AFramedPhotoIsNotFramedAgain) {
  std::string photo = Photo("a.jpg", "2010:12:06 08:30:15");
  ASSERT_EQ(RunCli({"--no-backup", "--frame", photo}).status, 0);
  const std::vector<std::uint8_t> framed = ReadFileBytes(photo);
  Result again = RunCli({"--frame", photo});
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(Lines(again.out), std::vector<std::string>{photo + "\t" + photo + "\t\talready framed"});
  EXPECT_NE(again.err.find("其中 1 个照片已加过边框，未再处理。"), std::string::npos) << again.err;
  EXPECT_EQ(ReadFileBytes(photo), framed);
  EXPECT_EQ(Files(), std::vector<std::string>{"a.jpg"});
}

// A name that is not UTF-8 (GBK's 照 is D5 D5) reaches every file operation as
// its bytes; the look-alike beside it, with U+FFFD where those bytes stand, is
// left alone.
TEST_F(CliRun, NonUtf8NameIsTheFileDoneNotItsLookAlike) {
  const std::string gbk = Photo("\xD5\xD5.jpg", "2010:12:06 08:30:15");
  const std::string lookAlike = Photo("\xEF\xBF\xBD\xEF\xBF\xBD.jpg", "2010:12:06 08:30:15");
  const std::vector<std::uint8_t> original = ReadFileBytes(gbk);
  Result result = RunCli({"run", "--frame", gbk}, RunGeoframeCli);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Lines(result.out), std::vector<std::string>{gbk + "\t" + gbk + "\t\tok"});
  EXPECT_EQ(Files(), (std::vector<std::string>{"BackUp/\xD5\xD5.jpg", "\xD5\xD5.jpg", "\xEF\xBF\xBD\xEF\xBF\xBD.jpg"}));
  EXPECT_NE(ReadFileBytes(gbk), original);
  EXPECT_EQ(ReadFileBytes(lookAlike), original);
}

TEST_F(CliRun, GpxTrackGivesCoordinates) {
  std::string photo = Photo("a.jpg", "2010:12:06 08:30:15");  // local time: 00:30:15 UTC
  std::string gpx =
      "<?xml version=\"1.0\"?><gpx version=\"1.1\"><trk><trkseg>"
      "<trkpt lat=\"1\" lon=\"2\"><time>2010-12-06T00:30:00Z</time></trkpt>"
      "<trkpt lat=\"30.25\" lon=\"120.139583333\"><time>2010-12-06T08:30:16+08:00</time></trkpt>"
      "</trkseg></trk></gpx>";
  WriteFileBytes(dir_.path() / "track.gpx", std::vector<std::uint8_t>(gpx.begin(), gpx.end()));
  Result result = RunCli({"--track", dir_.folder() + "track.gpx", "--no-backup", photo});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Lines(result.out), std::vector<std::string>{photo + "\t" + photo + "\tN30°15.0000',E120°08.3750'\tok"});
}

// A track that gives no position, also a photo given as the track or a log
// without a fix, fails before any photo is touched.
TEST_F(CliRun, TrackWithoutPointsStopsBeforeAnyPhotoIsTouched) {
  std::string photo = Photo("a.jpg", "2010:12:06 08:30:15");
  const std::string noFix = "$GPRMC,080002,V,,,,,,,061210,,,N*5D\r\n";
  WriteFileBytes(dir_.path() / "nofix.txt", std::vector<std::uint8_t>(noFix.begin(), noFix.end()));
  const std::vector<std::string> files = Files();
  for (const std::string& track : {dir_.folder() + "none.txt", photo, dir_.folder() + "nofix.txt"}) {
    Result result = RunCli({"--track", track, "--rename", "time", "--frame", "--gps", photo});
    EXPECT_EQ(result.status, 1) << track;
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("geoframe-cli run: " + track + ": "), std::string::npos) << result.err;
    EXPECT_EQ(Files(), files);
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunMatch({"--track", track, photo}), 1) << track;
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("geoframe-cli match: " + track + ": "), std::string::npos);
  }
}

}  // namespace
}  // namespace geoframe::cli
