#include <gtest/gtest.h>

#include <string>

#include "app/main_logic.h"
#include "app/memory_toolkit.h"
#include "faulty_file_system.h"
#include "test_support.h"

namespace geoframe {
namespace {

std::string Rmc(std::string_view utcTime) {
  return "$GPRMC," + std::string(utcTime) + ",A,3015.1234,N,12030.5678,E,0.0,0.0,061210,,,A*6C";
}

class TrackCommandsTest : public ::testing::Test {
 protected:
  // Writes a log into the temporary folder and queues it as the dialog's answer.
  void ChooseLog(const std::string& name, const std::string& text) {
    testing::WriteFileBytes(dir_.path() / name, std::vector<std::uint8_t>(text.begin(), text.end()));
    ui_.QueueOpenFile(ChosenFiles{dir_.folder(), {name}});
  }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : ui_.messages()) texts.push_back(m.text);
    return texts;
  }

  testing::TempDir dir_;
  MemoryToolkit ui_;
  MainLogic logic_{ui_};
};

TEST_F(TrackCommandsTest, LoadFillsListTableCaptionAndReports) {
  ChooseLog("a.txt", Rmc("080000") + "\r\n$GPGGA,080001,x\r\n" + Rmc("080005") + "\r\n" + Rmc("075958"));
  logic_.cmd_addname_Click();

  ASSERT_EQ(ui_.dialogs().size(), 1u);
  const OpenFileRequest& request = ui_.dialogs()[0];
  EXPECT_EQ(request.title, "打开轨迹路径文件...");
  EXPECT_EQ(request.filterDescription, "NAME文件(*.txt)");
  EXPECT_EQ(request.patterns, (std::vector<std::string>{"*.txt", "*.name"}));
  EXPECT_FALSE(request.multiSelect);

  ASSERT_EQ(ui_.RowCount(ListId::Track), 3);
  EXPECT_EQ(ui_.RowText(ListId::Track, 1), "记录0001");
  EXPECT_EQ(ui_.RowText(ListId::Track, 3), "记录0003");
  EXPECT_EQ(ui_.SubItem(ListId::Track, 2, Column::Time), "2010-12-06 16:00:05");
  EXPECT_EQ(ui_.SubItem(ListId::Track, 2, Column::Coordinate), "N30°15.1234',E120°30.5678'");
  EXPECT_EQ(logic_.TrackPoints(1).ElapsedSeconds, 0);
  EXPECT_EQ(logic_.TrackPoints(2).ElapsedSeconds, 5);
  EXPECT_EQ(logic_.TrackPoints(3).ElapsedSeconds, -2);
  EXPECT_EQ(logic_.TrackPoints(3).PointTime, "2010-12-06 15:59:58");
  EXPECT_TRUE(logic_.TrackPoints(4).Coordinate.empty());
  EXPECT_EQ(ui_.Text(ControlId::Gps_box), "GPS路径 3个轨迹点 (2010-12-06 16:00:00 到 2010-12-06 15:59:58)");
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, "共成功加载路径轨迹点 3 个!");
  EXPECT_EQ(ui_.messages()[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(ui_.messages()[0].icon, MessageIcon::Information);
}

TEST_F(TrackCommandsTest, LinesEndingInLfAloneLoadEveryPoint) {
  ChooseLog("linux.txt", Rmc("080000") + "\n" + Rmc("080001") + "\n" + Rmc("080002") + "\n");
  logic_.cmd_addname_Click();
  EXPECT_EQ(ui_.RowCount(ListId::Track), 3);
}

TEST_F(TrackCommandsTest, FileWithoutUsableLineReportsZero) {
  ChooseLog("empty.name", "$GPGGA,1,2,3\r\n$GPRMC,080000,V,3015.1234,N,12030.5678,E,0,0,061210\r\n");
  logic_.cmd_addname_Click();
  EXPECT_EQ(ui_.RowCount(ListId::Track), 0);
  EXPECT_EQ(ui_.Text(ControlId::Gps_box), "GPS路径");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"共成功加载路径轨迹点 0 个!"});
}

TEST_F(TrackCommandsTest, LongLogStopsAt1999PointsAndSaysSo) {
  std::string text;
  for (int i = 0; i < 2001; ++i) {
    char time[8];
    std::snprintf(time, sizeof time, "%02d%02d%02d", i / 3600, i / 60 % 60, i % 60);
    text += Rmc(time) + "\r\n";
  }
  ChooseLog("long.txt", text);
  logic_.cmd_addname_Click();
  EXPECT_EQ(ui_.RowCount(ListId::Track), kMaxTrackPoints);
  EXPECT_EQ(ui_.RowText(ListId::Track, 1999), "记录1999");
  EXPECT_EQ(logic_.TrackPoints(1999).ElapsedSeconds, 1998);
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"共成功加载路径轨迹点 1999 个!\r\n轨迹点已达上限 1999 个, 文件其余部分未加载。"});
}

TEST_F(TrackCommandsTest, CancelMissingAndHiddenFilesEndSilently) {
  logic_.cmd_addname_Click();  // Cancel
  ui_.QueueOpenFile(ChosenFiles{dir_.folder(), {"missing.txt"}});
  logic_.cmd_addname_Click();
  ChooseLog(".hidden.txt", Rmc("080000"));
  logic_.cmd_addname_Click();
  EXPECT_EQ(ui_.dialogs().size(), 3u);
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_EQ(ui_.RowCount(ListId::Track), 0);
}

// A file the existence check accepts but that cannot be read (here: a folder).
class ExistsButUnreadable : public testing::FaultyFileSystem {
 public:
  bool FileExists(const std::string&) const override { return true; }
};

TEST_F(TrackCommandsTest, UnreadableFileIsReportedAndLeavesNoTrack) {
  ExistsButUnreadable fileSystem;
  MemoryToolkit ui;
  MainLogic logic(ui, fileSystem);
  std::string text = Rmc("080000");
  testing::WriteFileBytes(dir_.path() / "a.txt", std::vector<std::uint8_t>(text.begin(), text.end()));
  std::filesystem::create_directory(dir_.path() / "folder.txt");
  ui.QueueOpenFile(ChosenFiles{dir_.folder(), {"a.txt"}});
  ui.QueueOpenFile(ChosenFiles{dir_.folder(), {"folder.txt"}});
  logic.cmd_addname_Click();
  ASSERT_EQ(ui.RowCount(ListId::Track), 1);
  ui.clearRecords();

  logic.cmd_addname_Click();  // Yes to the reload question, then the folder
  EXPECT_EQ(ui.RowCount(ListId::Track), 0);
  EXPECT_TRUE(logic.TrackPoints(1).Coordinate.empty());
  EXPECT_EQ(ui.Text(ControlId::Gps_box), "GPS路径");
  ASSERT_EQ(ui.messages().size(), 2u);
  EXPECT_EQ(ui.messages()[1].text, "无法读取轨迹路径文件:\r\n" + dir_.folder() + "folder.txt\r\n未加载任何轨迹点。");
  EXPECT_EQ(ui.messages()[1].buttons, MessageButtons::Ok);
}

TEST_F(TrackCommandsTest, ReloadQuestionNoKeepsTrackYesThenCancelLeavesNone) {
  ChooseLog("a.txt", Rmc("080000") + "\r\n" + Rmc("080010"));
  logic_.cmd_addname_Click();
  ui_.clearRecords();

  ui_.QueueAnswer(Answer::No);
  logic_.cmd_addname_Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"路径文件不为空,是否重新加载路径文件?"});
  EXPECT_EQ(ui_.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(ui_.messages()[0].icon, MessageIcon::Information);
  EXPECT_TRUE(ui_.dialogs().empty());
  EXPECT_EQ(ui_.RowCount(ListId::Track), 2);

  ui_.QueueAnswer(Answer::Yes);
  logic_.cmd_addname_Click();  // dialog cancelled
  EXPECT_EQ(ui_.dialogs().size(), 1u);
  EXPECT_EQ(ui_.RowCount(ListId::Track), 0);
  EXPECT_EQ(ui_.Text(ControlId::Gps_box), "GPS路径");
  EXPECT_TRUE(logic_.TrackPoints(1).PointTime.empty());
  EXPECT_TRUE(logic_.TrackPoints(2).Coordinate.empty());
  EXPECT_EQ(logic_.TrackPoints(2).ElapsedSeconds, 0);
}

TEST_F(TrackCommandsTest, ReloadReplacesTrack) {
  ChooseLog("a.txt", Rmc("080000") + "\r\n" + Rmc("080010") + "\r\n" + Rmc("080020"));
  logic_.cmd_addname_Click();
  ChooseLog("b.txt", Rmc("090000"));
  logic_.cmd_addname_Click();
  EXPECT_EQ(ui_.RowCount(ListId::Track), 1);
  EXPECT_EQ(ui_.RowText(ListId::Track, 1), "记录0001");
  EXPECT_EQ(logic_.TrackPoints(1).PointTime, "2010-12-06 17:00:00");
  EXPECT_TRUE(logic_.TrackPoints(2).Coordinate.empty());
}

TEST_F(TrackCommandsTest, ClearNameAsksAndKeepsPhotoCoordinates) {
  logic_.cmd_clearname_Click();
  EXPECT_TRUE(ui_.messages().empty());  // nothing to remove, nothing asked

  ChooseLog("a.txt", Rmc("080000") + "\r\n" + Rmc("080010"));
  logic_.cmd_addname_Click();
  ui_.AppendRow(ListId::Photos, "p.jpg", 1);
  ui_.SetSubItem(ListId::Photos, 1, Column::Coordinate, "N1°00.0000',E2°00.0000'");
  ui_.clearRecords();

  ui_.QueueAnswer(Answer::No);
  logic_.cmd_clearname_Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"确定移除路径文件?"});
  EXPECT_EQ(ui_.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(ui_.RowCount(ListId::Track), 2);

  logic_.cmd_clearname_Click();  // Yes
  EXPECT_EQ(ui_.RowCount(ListId::Track), 0);
  EXPECT_EQ(ui_.Text(ControlId::Gps_box), "GPS路径");
  EXPECT_TRUE(logic_.TrackPoints(2).PointTime.empty());
  EXPECT_EQ(ui_.SubItem(ListId::Photos, 1, Column::Coordinate), "N1°00.0000',E2°00.0000'");
}

}  // namespace
}  // namespace geoframe
