#include "cli/headless_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_support.h"

namespace geoframe::cli {
namespace {

TEST(HeadlessSession, TrackLoadReportsWhetherTheFileWasRead) {
  testing::TempDir dir;
  std::string log = "$GPRMC,083015,A,3015.1234,N,12030.5678,E,0.0,0.0,061210,,,A*6C\n";
  testing::WriteFileBytes(dir.path() / "a.txt", std::vector<std::uint8_t>(log.begin(), log.end()));
  HeadlessSession session;
  EXPECT_FALSE(session.LoadTrack((dir.path() / "missing.txt").string()));
  EXPECT_TRUE(session.TakeMessages().empty());
  ASSERT_TRUE(session.LoadTrack((dir.path() / "a.txt").string()));
  ASSERT_EQ(session.TrackRows().size(), 1u);
  EXPECT_EQ(session.TrackRows()[0].pointTime, "2010-12-06 16:30:15");
  EXPECT_EQ(session.TakeMessages(), std::vector<std::string>{"共成功加载路径轨迹点 1 个!"});
  EXPECT_TRUE(session.LoadTrack((dir.path() / "a.txt").string()));  // a reload replaces the track
  EXPECT_EQ(session.TrackRows().size(), 1u);
}

TEST(HeadlessSession, RealPhotoGetsCorrectedTimeAndPosition) {
  GEOFRAME_REQUIRE_TESTDATA();
  // The photo was taken at 2011:01:13 14:33:39 by its clock, five minutes fast;
  // the log has points at 14:28:30 and 14:28:40 local time (06:28 UTC).
  testing::TempDir dir;
  std::string log =
      "$GPRMC,062830,A,3015.0030,N,12030.5678,E,0,0,130111,,,A*00\r\n"
      "$GPRMC,062840,A,3015.0040,N,12030.5678,E,0,0,130111,,,A*00\r\n";
  testing::WriteFileBytes(dir.path() / "t.txt", std::vector<std::uint8_t>(log.begin(), log.end()));
  HeadlessSession session;
  const std::string notAPhoto = (dir.path() / "not-a-photo.png").string();
  std::vector<HeadlessSession::NotAdded> notAdded =
      session.AddPhotos({(testing::TestDataDir() / "jpeg" / "Apple iPhone 4.jpg").string(), notAPhoto});
  ASSERT_EQ(notAdded.size(), 1u);
  EXPECT_EQ(notAdded[0].path, notAPhoto);
  EXPECT_EQ(notAdded[0].reason, LeftOutReason::NotJpg);
  ASSERT_TRUE(session.LoadTrack((dir.path() / "t.txt").string()));
  EXPECT_EQ(session.CorrectClock(ClockOffset{true, 0, 5, 0}).uncorrected, 0);
  const MatchResult match = session.MatchPhotos(1);
  EXPECT_EQ(match.matched, 1);
  std::vector<HeadlessSession::PhotoRow> rows = session.PhotoRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "Apple iPhone 4.jpg");
  EXPECT_EQ(rows[0].shownTime, "2011-01-13 14:28:39");
  EXPECT_EQ(rows[0].coordinate, "N30°15.0040',E120°30.5678'");  // 14:28:40 is one second away
  std::vector<std::string> messages = session.TakeMessages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "需要添加坐标 1个;\n自动匹配并添加坐标 1个;\n失败(超周期或误差) 0个!");
}

}  // namespace
}  // namespace geoframe::cli
