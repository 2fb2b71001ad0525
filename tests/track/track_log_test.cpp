#include "track/track_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "test_support.h"
#include "timematch/date_time.h"

namespace geoframe {
namespace {

std::string Rmc(std::string_view utcTime, std::string_view date = "061210") {
  return "$GPRMC," + std::string(utcTime) + ",A,3015.1234,N,12030.5678,E,0.0,0.0," + std::string(date) + ",,,A*6C";
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

struct LinesCase {
  std::string_view text;
  std::vector<std::string> lines;
};

class ForEachLineTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(ForEachLineTest, SplitsAtEveryLineEnd) { EXPECT_EQ(Lines(GetParam().text), GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ForEachLineTest,
    ::testing::Values(LinesCase{"", {}}, LinesCase{"a", {"a"}}, LinesCase{"a\r\nb\r\n", {"a", "b"}},
                      LinesCase{"a\nb\n", {"a", "b"}}, LinesCase{"a\rb\r", {"a", "b"}},
                      LinesCase{"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
                      // an empty line between two terminators, and LF CR as two line ends
                      LinesCase{"a\n\nb", {"a", "", "b"}}, LinesCase{"a\n\rb", {"a", "", "b"}},
                      LinesCase{"a\r\r\nb", {"a", "", "b"}}, LinesCase{"\n", {""}},
                      LinesCase{std::string_view("a\0b\nc", 5), {std::string("a\0b", 3), "c"}}));

TEST(ParseTrackLog, ElapsedSecondsFromFirstPointInFileOrder) {
  TrackLog log = ParseTrackLog(Rmc("080000") + "\n" + Rmc("080005") + "\r\n" + Rmc("075958"));
  ASSERT_EQ(log.points.size(), 3u);
  EXPECT_EQ(log.points[0].PointTime, "2010-12-06 16:00:00");
  EXPECT_EQ(log.points[0].ElapsedSeconds, 0);
  EXPECT_EQ(log.points[1].ElapsedSeconds, 5);
  EXPECT_EQ(log.points[2].ElapsedSeconds, -2);
  EXPECT_FALSE(log.truncated);
}

TEST(ParseTrackLog, SkipsUnusableLinesAndBinaryNoise) {
  std::string text = "$GPGGA,080000,3015.1234,N,12030.5678,E,1,08\r\n" + Rmc("080000") + "\r\n" +
                     "$GPGSV,3,1,12\r\n" + std::string("\0\0\x7f\xff garbage", 12) + "\r\n" +
                     Rmc("080010").replace(7, 0, std::string("\0", 1)) + "\r\n" + Rmc("080020");  // no final line end
  TrackLog log = ParseTrackLog(text);
  ASSERT_EQ(log.points.size(), 2u);
  EXPECT_EQ(log.points[1].PointTime, "2010-12-06 16:00:20");
  EXPECT_EQ(log.points[1].ElapsedSeconds, 20);
}

TEST(ParseTrackLog, SkipsPointTooFarFromFirstForThirtyTwoBits) {
  // 2010 to 2080 is more than 2^31 seconds.
  TrackLog log = ParseTrackLog(Rmc("080000") + "\n" + Rmc("080000", "061280") + "\n" + Rmc("080001"));
  ASSERT_EQ(log.points.size(), 2u);
  EXPECT_EQ(log.points[1].ElapsedSeconds, 1);
}

TEST(ParseTrackLog, StopsAtCapacityAndSaysWhetherMoreFollowed) {
  std::string three = Rmc("080000") + "\n" + Rmc("080001") + "\n" + Rmc("080002") + "\n";
  TrackLog exact = ParseTrackLog(three + "$GPGGA,unused\n", 3);
  EXPECT_EQ(exact.points.size(), 3u);
  EXPECT_FALSE(exact.truncated);
  TrackLog over = ParseTrackLog(three + Rmc("080003") + "\n" + Rmc("080004"), 3);
  EXPECT_EQ(over.points.size(), 3u);
  EXPECT_EQ(over.points.back().ElapsedSeconds, 2);
  EXPECT_TRUE(over.truncated);
}

TEST(TrackTexts, RowsCaptionAndMessages) {
  EXPECT_EQ(TrackRowText(1), "记录0001");
  EXPECT_EQ(TrackRowText(1999), "记录1999");
  EXPECT_EQ(TrackRowText(12345), "记录12345");
  EXPECT_EQ(TrackBoxCaption({}), "GPS路径");
  std::vector<TrackPoint> points{{"2010-12-06 08:01:12", "c", 0}, {"2010-12-06 12:40:55", "c", 1}};
  EXPECT_EQ(TrackBoxCaption(points), "GPS路径 2个轨迹点 (2010-12-06 08:01:12 到 2010-12-06 12:40:55)");
  EXPECT_EQ(TrackLoadedMessage(0, false), "共成功加载路径轨迹点 0 个!");
  EXPECT_EQ(TrackLoadedMessage(1999, true), "共成功加载路径轨迹点 1999 个!\r\n轨迹点已达上限 1999 个, 文件其余部分未加载。");
}

TEST(ReadTrackFile, ReadsBytesOrReportsFailure) {
  testing::TempDir dir;
  std::string bytes("$GPRMC\0\r\n\xff", 10);
  testing::WriteFileBytes(dir.path() / "log.txt", std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  EXPECT_EQ(ReadTrackFile((dir.path() / "log.txt").string()), bytes);
  EXPECT_EQ(ReadTrackFile((dir.path() / "missing.txt").string()), std::nullopt);
  EXPECT_EQ(ReadTrackFile(dir.path().string()), std::nullopt);  // a folder opens but cannot be read
}

// The shared logs with their expected counts and first and last UTC times.
struct ExpectedLog {
  std::string file;
  std::size_t count = 0;
  std::string firstDate, firstTime, lastDate, lastTime;
};

std::vector<ExpectedLog> ReadExpectedTable(const std::filesystem::path& path) {
  std::vector<ExpectedLog> rows;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells;
    std::stringstream cellStream(line);
    for (std::string cell; std::getline(cellStream, cell, '\t');) cells.push_back(cell);
    cells.resize(7);
    rows.push_back({cells[0], std::stoul(cells[2]), cells[3], cells[4], cells[5], cells[6]});
  }
  return rows;
}

std::string LocalTime(const std::string& date, const std::string& time) {
  std::string utc = "20" + date.substr(4, 2) + "-" + date.substr(2, 2) + "-" + date.substr(0, 2) + " " +
                    time.substr(0, 2) + ":" + time.substr(2, 2) + ":" + time.substr(4, 2);
  return ShiftDateTime(utc, "08:00:00", false).value_or("invalid " + utc);
}

TEST(ParseTrackLog, RealLogsGiveExpectedPoints) {
  GEOFRAME_REQUIRE_TESTDATA();
  std::filesystem::path folder = testing::TestDataDir() / "nmea";
  std::vector<ExpectedLog> expected = ReadExpectedTable(folder / "EXPECTED.tsv");
  ASSERT_FALSE(expected.empty());
  for (const ExpectedLog& e : expected) {
    SCOPED_TRACE(e.file);
    std::optional<std::string> bytes = ReadTrackFile((folder / e.file).string());
    ASSERT_TRUE(bytes);
    TrackLog log = ParseTrackLog(*bytes);
    ASSERT_EQ(log.points.size(), std::min<std::size_t>(e.count, kMaxTrackPoints));
    EXPECT_EQ(log.truncated, e.count > kMaxTrackPoints);
    if (e.count == 0) continue;
    EXPECT_EQ(log.points.front().PointTime, LocalTime(e.firstDate, e.firstTime));
    EXPECT_EQ(log.points.back().PointTime, LocalTime(e.lastDate, e.lastTime));
    EXPECT_EQ(log.points.front().ElapsedSeconds, 0);
  }
}

}  // namespace
}  // namespace geoframe
