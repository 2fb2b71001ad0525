#include <gtest/gtest.h>

#include <string>

#include "app/main_logic.h"
#include "app/memory_toolkit.h"

namespace geoframe {
namespace {

// A toolkit that records the enabled state of tzbox whenever a message is shown.
class RecordingToolkit : public MemoryToolkit {
 public:
  Answer ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon) override {
    tzboxEnabledAtMessage.push_back(Enabled(ControlId::tzbox));
    return MemoryToolkit::ShowMessage(text, buttons, icon);
  }
  std::vector<bool> tzboxEnabledAtMessage;
};

class ClockCommandsTest : public ::testing::Test {
 protected:
  void AddPhoto(const std::string& name, const std::string& exifTime) {
    ui_.AppendRow(ListId::Photos, name, exifTime.empty() ? 2 : 1);
    int row = ui_.RowCount(ListId::Photos);
    ui_.SetSubItem(ListId::Photos, row, Column::Time, exifTime);
    logic_.Photos(row) = PhotoRecord{!exifTime.empty(), name, "/photos/", exifTime};
  }
  void SetCorrection(bool subtract, const std::string& h, const std::string& m, const std::string& s) {
    ui_.SetChecked(ControlId::tz_f, subtract);
    logic_.tz_f_Click();
    ui_.SetText(ControlId::tzt_0, h);
    ui_.SetText(ControlId::tzt_1, m);
    ui_.SetText(ControlId::tzt_2, s);
  }
  std::string Shown(int row) const { return ui_.SubItem(ListId::Photos, row, Column::Time); }

  RecordingToolkit ui_;
  MainLogic logic_{ui_};
};

TEST_F(ClockCommandsTest, SignToggleSetsCaption) {
  ui_.SetChecked(ControlId::tz_f, true);
  logic_.tz_f_Click();
  EXPECT_EQ(ui_.Text(ControlId::tz_f), "-");
  ui_.SetChecked(ControlId::tz_f, false);
  logic_.tz_f_Click();
  EXPECT_EQ(ui_.Text(ControlId::tz_f), "+");
}

TEST_F(ClockCommandsTest, StepButtonsWriteTwoDigitsIntoTheirField) {
  logic_.tzc_Click(3);  // hours down from 00
  EXPECT_EQ(ui_.Text(ControlId::tzt_0), "23");
  logic_.tzc_Click(1);
  EXPECT_EQ(ui_.Text(ControlId::tzt_1), "01");
  logic_.tzc_Click(5);
  EXPECT_EQ(ui_.Text(ControlId::tzt_2), "59");
  logic_.tzc_Click(6);  // no such button: nothing changes
  EXPECT_EQ(ui_.Text(ControlId::tzt_0), "23");
}

TEST_F(ClockCommandsTest, EmptyListDoesNothing) {
  SetCorrection(false, "01", "00", "00");
  logic_.cmd_tedit_Click();
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_TRUE(ui_.Enabled(ControlId::tzbox));
}

struct CorrectionCase {
  bool subtract;
  std::string h, m, s;
  std::string exifTime;
  std::string shown;
  std::string message;
};

class ClockCorrectionTest : public ClockCommandsTest, public ::testing::WithParamInterface<CorrectionCase> {};

TEST_P(ClockCorrectionTest, ShiftsFromExifTime) {
  const CorrectionCase& c = GetParam();
  AddPhoto("a.jpg", c.exifTime);
  SetCorrection(c.subtract, c.h, c.m, c.s);
  logic_.cmd_tedit_Click();
  EXPECT_EQ(Shown(1), c.shown);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, c.message);
  EXPECT_EQ(ui_.messages()[0].icon, MessageIcon::Information);
  EXPECT_EQ(logic_.Photos(1).ExifTime, c.exifTime);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClockCorrectionTest,
    ::testing::Values(
        CorrectionCase{false, "08", "00", "00", "2010-12-06 20:15:00", "2010-12-07 04:15:00", "修正相机时间: +08:00:00"},
        CorrectionCase{true, "00", "30", "00", "2011-01-01 00:10:00", "2010-12-31 23:40:00", "修正相机时间: -00:30:00"},
        // an unset camera clock cannot be shifted: the row keeps its time and the report says so
        CorrectionCase{false, "01", "00", "00", "0000-00-00 00:00:00", "0000-00-00 00:00:00",
                       "修正相机时间: +01:00:00\r\n有 1 张照片的拍摄时间无效, 未能修正。"},
        // a shift leaving the years 100-9999 is not applied either
        CorrectionCase{false, "01", "00", "00", "9999-12-31 23:30:00", "9999-12-31 23:30:00",
                       "修正相机时间: +01:00:00\r\n有 1 张照片的拍摄时间无效, 未能修正。"}));

TEST_F(ClockCommandsTest, CorrectionsDoNotAddUpAndZeroRestores) {
  AddPhoto("a.jpg", "2010-12-06 20:15:00");
  AddPhoto("b.jpg", "");
  ui_.SetSubItem(ListId::Photos, 2, Column::Time, "hand-written");
  SetCorrection(false, "08", "00", "00");
  logic_.cmd_tedit_Click();
  SetCorrection(false, "01", "00", "00");
  logic_.cmd_tedit_Click();
  EXPECT_EQ(Shown(1), "2010-12-06 21:15:00");  // counted from the EXIF time, not 05:15:00
  EXPECT_EQ(Shown(2), "hand-written");          // a photo without EXIF time is left alone

  ui_.clearRecords();
  SetCorrection(true, "00", "00", "00");  // the sign does not matter
  logic_.cmd_tedit_Click();
  EXPECT_EQ(Shown(1), "2010-12-06 20:15:00");
  EXPECT_EQ(Shown(2), "hand-written");
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(ClockCommandsTest, OtherRowsCorrectedAroundBadOneAndTzboxDisabledOnlyDuringRun) {
  AddPhoto("a.jpg", "2010-12-06 08:00:00");
  AddPhoto("bad.jpg", "2010-02-30 08:00:00");
  AddPhoto("c.jpg", "2010-12-06 09:00:00");
  ui_.SetSubItem(ListId::Photos, 1, Column::Coordinate, "N1°00.0000',E2°00.0000'");
  SetCorrection(false, "00", "00", "30");
  logic_.cmd_tedit_Click();
  EXPECT_EQ(Shown(1), "2010-12-06 08:00:30");
  EXPECT_EQ(Shown(2), "2010-02-30 08:00:00");
  EXPECT_EQ(Shown(3), "2010-12-06 09:00:30");
  EXPECT_EQ(ui_.SubItem(ListId::Photos, 1, Column::Coordinate), "N1°00.0000',E2°00.0000'");  // coordinates untouched
  ASSERT_EQ(ui_.tzboxEnabledAtMessage, std::vector<bool>{false});
  EXPECT_TRUE(ui_.Enabled(ControlId::tzbox));
}

}  // namespace
}  // namespace geoframe
