#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_logic.h"
#include "app/match_commands.h"
#include "app/memory_toolkit.h"

namespace geoframe {
namespace {

const std::string kStart = "2010-12-06 16:00:00";

std::string At(int seconds) {  // a time `seconds` after kStart (within the minute's hour)
  char text[32];
  std::snprintf(text, sizeof text, "2010-12-06 16:%02d:%02d", seconds / 60, seconds % 60);
  return seconds < 0 ? "2010-12-06 15:59:" + std::to_string(60 + seconds) : text;
}

std::string Coordinate(int n) {
  std::string text = "N";
  text += std::to_string(n);
  text += "°00.0000',E1°00.0000'";
  return text;
}

class MatchCommandsTest : public ::testing::Test {
 protected:
  // A track whose entry n lies elapsed[n-1] seconds after kStart.
  void LoadTrack(const std::vector<int>& elapsed) {
    for (int seconds : elapsed) {
      int n = ui_.RowCount(ListId::Track) + 1;
      ui_.AppendRow(ListId::Track, "记录000" + std::to_string(n), 0);
      ui_.SetSubItem(ListId::Track, n, Column::Time, At(seconds));
      ui_.SetSubItem(ListId::Track, n, Column::Coordinate, Coordinate(n));
      // Point n lies at n degrees north, 1 degree east.
      const GeoPosition position{'N', {static_cast<std::uint32_t>(n), 0, 0}, 'E', {1, 0, 0},
                                 std::chrono::sys_seconds{std::chrono::seconds{seconds}}};
      logic_.TrackPoints(n) = TrackPoint{At(seconds), Coordinate(n), seconds, position};
    }
  }
  void AddPhoto(const std::string& shown, bool hasExif = true, const std::string& coordinate = "") {
    ui_.AppendRow(ListId::Photos, "p.jpg", hasExif ? 1 : 2);
    int row = ui_.RowCount(ListId::Photos);
    ui_.SetSubItem(ListId::Photos, row, Column::Time, shown);
    ui_.SetSubItem(ListId::Photos, row, Column::Coordinate, coordinate);
    logic_.Photos(row) = PhotoRecord{hasExif, "p.jpg", "/photos/", hasExif ? shown : ""};
  }
  std::string CoordinateOf(int row) const { return ui_.SubItem(ListId::Photos, row, Column::Coordinate); }

  MemoryToolkit ui_;
  MainLogic logic_{ui_};
};

TEST_F(MatchCommandsTest, NearestPointWithinPeriodAndSummary) {
  LoadTrack({0, 10, 20});
  for (int d : {0, 14, 15, 20, 21, -1}) AddPhoto(At(d), true, "old");
  logic_.cmd_plgoto_Click();
  EXPECT_EQ(CoordinateOf(1), Coordinate(1));
  EXPECT_EQ(CoordinateOf(2), Coordinate(2));  // 4 beats 6
  EXPECT_EQ(CoordinateOf(3), Coordinate(3));  // tie: the later point
  EXPECT_EQ(CoordinateOf(4), Coordinate(3));
  EXPECT_EQ(CoordinateOf(5), "");  // after the period, old coordinate cleared
  EXPECT_EQ(CoordinateOf(6), "");  // before it
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, "需要添加坐标 6个;\r\n自动匹配并添加坐标 4个;\r\n失败(超周期或误差) 2个!");
  EXPECT_EQ(ui_.messages()[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(ui_.messages()[0].icon, MessageIcon::Information);
}

TEST_F(MatchCommandsTest, InterpolatesBetweenTwoPointsWithinTheTolerance) {
  LoadTrack({0, 10, 20});
  for (int d : {14, 10, 21}) AddPhoto(At(d));
  const MatchResult result = MatchPhotosToTrack(logic_, 120, true);
  EXPECT_EQ(CoordinateOf(1), "N02°24.0000',E001°00.0000'");  // 0.4 of the way from point 2 to 3
  EXPECT_EQ(CoordinateOf(2), Coordinate(2));  // on a point: its own text
  EXPECT_EQ(CoordinateOf(3), "");
  ASSERT_EQ(result.photos.size(), 3u);
  EXPECT_EQ(result.photos[0].position->utc.time_since_epoch().count(), 14);
  EXPECT_EQ(result.photos[1].position, logic_.TrackPoints(2).Position);
  EXPECT_EQ(result.photos[2].position, std::nullopt);
  EXPECT_EQ(result.matched, 2);
  // The later point 6 s away is beyond a tolerance of 5: the nearest point.
  MatchPhotosToTrack(logic_, 5, true);
  EXPECT_EQ(CoordinateOf(1), Coordinate(2));
  // Without interpolation, or points without numbers, the nearest point too.
  MatchPhotosToTrack(logic_, 120, false);
  EXPECT_EQ(CoordinateOf(1), Coordinate(2));
  logic_.TrackPoints(3).Position.reset();
  EXPECT_EQ(MatchPhotosToTrack(logic_, 120, true).photos[0].position, logic_.TrackPoints(2).Position);
  EXPECT_EQ(CoordinateOf(1), Coordinate(2));
}

TEST_F(MatchCommandsTest, PhotosWithoutExifUntouchedAndBadTimesFail) {
  LoadTrack({0, 10, 20});
  AddPhoto(At(10), true, "by hand");
  AddPhoto(At(10), false, "kept");
  AddPhoto("0000-00-00 00:00:00", true, "by hand");
  AddPhoto(At(30), true, "by hand");
  logic_.cmd_plgoto_Click();
  EXPECT_EQ(CoordinateOf(1), Coordinate(2));
  EXPECT_EQ(CoordinateOf(2), "kept");
  EXPECT_EQ(CoordinateOf(3), "");
  EXPECT_EQ(CoordinateOf(4), "");  // a failed photo loses a coordinate given by hand
  EXPECT_EQ(ui_.messages()[0].text, "需要添加坐标 3个;\r\n自动匹配并添加坐标 1个;\r\n失败(超周期或误差) 2个!");
}

TEST_F(MatchCommandsTest, ToleranceIsReadFromItsField) {
  LoadTrack({0, 10, 20});
  AddPhoto(At(14));
  ui_.SetText(ControlId::wct, "3");
  logic_.cmd_plgoto_Click();
  EXPECT_EQ(CoordinateOf(1), "");
  ui_.SetText(ControlId::wct, "4");
  logic_.cmd_plgoto_Click();
  EXPECT_EQ(CoordinateOf(1), Coordinate(2));
}

TEST_F(MatchCommandsTest, NothingWithoutPhotosOrTrack) {
  logic_.cmd_plgoto_Click();
  LoadTrack({0});
  logic_.cmd_plgoto_Click();
  logic_.cmd_hdaddpl_Click();
  EXPECT_TRUE(ui_.messages().empty());

  MemoryToolkit ui;
  MainLogic logic(ui);
  ui.AppendRow(ListId::Photos, "p.jpg", 1);
  logic.Photos(1) = PhotoRecord{true, "p.jpg", "/photos/", At(0)};
  logic.cmd_plgoto_Click();
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(MatchCommandsTest, ToleranceButtonsWritePlainNumbers) {
  logic_.wcc_Click(0);
  EXPECT_EQ(ui_.Text(ControlId::wct), "130");
  ui_.SetText(ControlId::wct, "5");
  logic_.wcc_Click(1);
  EXPECT_EQ(ui_.Text(ControlId::wct), "600");
  logic_.wcc_Click(2);
  EXPECT_EQ(ui_.Text(ControlId::wct), "0");  // no leading zeros
  logic_.wcc_Click(4);              // no such button
  EXPECT_EQ(ui_.Text(ControlId::wct), "0");
}

TEST_F(MatchCommandsTest, ManualAssignmentNeedsBothSelectionsAndExifTime) {
  LoadTrack({0, 10});
  AddPhoto(At(0));
  AddPhoto(At(0), false);
  logic_.cmd_hdaddpl_Click();  // nothing selected
  ui_.SelectRow(ListId::Track, 2);
  logic_.cmd_hdaddpl_Click();  // no photo selected
  EXPECT_EQ(CoordinateOf(1), "");

  ui_.SelectRow(ListId::Photos, 1);
  logic_.cmd_hdaddpl_Click();
  EXPECT_EQ(CoordinateOf(1), Coordinate(2));
  ui_.SelectRow(ListId::Photos, 2);
  logic_.cmd_hdaddpl_Click();
  EXPECT_EQ(CoordinateOf(2), "");  // no EXIF time, no coordinate by hand
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(MatchCommandsTest, ClearCurrentAndClearAll) {
  AddPhoto(At(0), true, "a");
  AddPhoto(At(0), false, "b");
  AddPhoto(At(0), true, "c");
  logic_.cmd_clrnowpl_Click();  // nothing selected
  EXPECT_EQ(CoordinateOf(2), "b");
  ui_.SelectRow(ListId::Photos, 2);
  logic_.cmd_clrnowpl_Click();  // also a photo without EXIF time
  EXPECT_EQ(CoordinateOf(2), "");
  EXPECT_EQ(CoordinateOf(1), "a");

  logic_.cmd_plclr_Click();
  for (int row = 1; row <= 3; ++row) EXPECT_EQ(CoordinateOf(row), "");
  logic_.cmd_plclr_Click();
  EXPECT_TRUE(ui_.messages().empty());
}

}  // namespace
}  // namespace geoframe
