#include "track/track_log.h"

#include <gtest/gtest.h>

#include <string>

namespace geoframe {
namespace {

std::string Rmc(std::string_view utcTime, std::string_view date = "061210") {
  return "$GPRMC," + std::string(utcTime) + ",A,3015.1234,N,12030.5678,E,0.0,0.0," + std::string(date) + ",,,A";
}

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
  // Reading stops at the first usable line beyond the table.
  NmeaTrackReader reader(3);
  EXPECT_TRUE(reader.Feed(three + "$GPGGA,unused\n"));
  EXPECT_FALSE(reader.Feed(Rmc("080003") + "\n"));
}

TEST(ParseTrackLog, LinesOverTheLimitGiveNoPoint) {
  // A sentence padded with empty fields to exactly the limit still counts; one
  // byte more and the line is skipped whole, wherever its pieces fall.
  std::string atLimit = Rmc("080001");
  atLimit.append(kMaxLogLineLength - atLimit.size(), ',');
  const std::string over = Rmc("080002") + std::string(kMaxLogLineLength, ',');
  TrackLog log = ParseTrackLog(Rmc("080000") + "\r\n" + atLimit + "\r\n" + over + "\r\n" + Rmc("080003"));
  ASSERT_EQ(log.points.size(), 3u);
  EXPECT_EQ(log.points[1].ElapsedSeconds, 1);
  EXPECT_EQ(log.points[2].ElapsedSeconds, 3);
}

}  // namespace
}  // namespace geoframe
