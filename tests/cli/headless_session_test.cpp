#include "cli/headless_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_support.h"

namespace geoframe::cli {
namespace {

TEST(HeadlessSession, TrackLoadSaysWhatBecameOfTheFile) {
  testing::TempDir dir;
  std::string log = "$GPRMC,083015,A,3015.1234,N,12030.5678,E,0.0,0.0,061210,,,A*74\n";
  testing::WriteFileBytes(dir.path() / "a.txt", std::vector<std::uint8_t>(log.begin(), log.end()));
  std::string gpx = "<gpx><trk><trkseg><trkpt lat=\"30.5\" lon=\"120.5\"><time>2010-12-06T08:30:16Z</time></trkpt>"
                    "<trkpt lat=\"30.5\" lon=\"120.5\"><time>2010-12-06T08:30:17Z</time></trkpt>";  // cut short
  testing::WriteFileBytes(dir.path() / "b.gpx", std::vector<std::uint8_t>(gpx.begin(), gpx.end()));
  HeadlessSession session;
  EXPECT_EQ(session.LoadTrack((dir.path() / "missing.txt").string()).result, TrackLoadResult::Missing);
  EXPECT_TRUE(session.TakeMessages().empty());
  TrackLoadOutcome outcome = session.LoadTrack((dir.path() / "a.txt").string());
  EXPECT_EQ(outcome.result, TrackLoadResult::Loaded);
  EXPECT_EQ(outcome.count, 1u);
  ASSERT_EQ(session.TrackRows().size(), 1u);
  EXPECT_EQ(session.TrackRows()[0].pointTime, "2010-12-06 16:30:15");
  EXPECT_EQ(session.TakeMessages(), std::vector<std::string>{"共成功加载路径轨迹点 1 个!"});

  outcome = session.LoadTrack((dir.path() / "b.gpx").string());  // a reload replaces the track
  EXPECT_EQ(outcome.result, TrackLoadResult::Loaded);
  EXPECT_TRUE(outcome.damaged);
  ASSERT_EQ(session.TrackRows().size(), 2u);
  EXPECT_EQ(session.TrackRows()[1].coordinate, "N30°30.0000',E120°30.0000'");
  EXPECT_EQ(session.TrackRows()[1].elapsedSeconds, 1);

  outcome = session.LoadTrack(dir.path().string());
  EXPECT_EQ(outcome.result, TrackLoadResult::Unreadable);
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->kind(), FileErrorKind::Folder);
  EXPECT_TRUE(session.TrackRows().empty());
}

TEST(HeadlessSession, RealPhotoGetsCorrectedTimeAndPosition) {
  // The photo was taken at 2011:01:13 14:33:39 by its clock, five minutes fast;
  // the log has points at 14:28:30 and 14:28:40 local time (06:28 UTC).
  testing::TempDir dir;
  std::string log =
      "$GPRMC,062830,A,3015.0030,N,12030.5678,E,0,0,130111,,,A*74\r\n"
      "$GPRMC,062840,A,3015.0040,N,12030.5678,E,0,0,130111,,,A*74\r\n";
  testing::WriteFileBytes(dir.path() / "t.txt", std::vector<std::uint8_t>(log.begin(), log.end()));
  HeadlessSession session;
  const std::string notAPhoto = (dir.path() / "not-a-photo.png").string();
  std::vector<HeadlessSession::NotAdded> notAdded =
      session.AddPhotos({(testing::TestDataDir() / "jpeg" / "Apple iPhone 4.jpg").string(), notAPhoto});
  ASSERT_EQ(notAdded.size(), 1u);
  EXPECT_EQ(notAdded[0].path, notAPhoto);
  EXPECT_EQ(notAdded[0].reason, LeftOutReason::NotJpg);
  ASSERT_EQ(session.LoadTrack((dir.path() / "t.txt").string()).result, TrackLoadResult::Loaded);
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
