#include <gtest/gtest.h>
#include <sys/stat.h>  // mkfifo

#include <cerrno>
#include <filesystem>
#include <string>

#include "app/main_logic.h"
#include "app/memory_toolkit.h"
#include "app/track_texts.h"
#include "test_support.h"

namespace geoframe {
namespace {

std::string Rmc(std::string_view utcTime) {
  return "$GPRMC," + std::string(utcTime) + ",A,3015.1234,N,12030.5678,E,0.0,0.0,061210,,,A";
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
  EXPECT_EQ(request.filters, (std::vector<FileFilter>{{"NAME文件(*.txt)", {"*.txt", "*.name"}},
                                                      {"GPX文件(*.gpx)", {"*.gpx"}},
                                                      {"所有文件(*)", {"*"}}}));
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

// A name the dialog could not give is not opened, even when a file has the
// very name the dialog showed.
TEST_F(TrackCommandsTest, NameTheDialogCannotGiveIsRefusedWithTheReason) {
  const std::string log = Rmc("080000");
  testing::WriteFileBytes(dir_.path() / "\xEF\xBF\xBD.txt", std::vector<std::uint8_t>(log.begin(), log.end()));
  ui_.QueueOpenFile(ChosenFiles{dir_.folder(), {}, {"\xEF\xBF\xBD.txt"}});
  logic_.cmd_addname_Click();
  EXPECT_EQ(ui_.RowCount(ListId::Track), 0);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"无法读取轨迹路径文件:\r\n\xEF\xBF\xBD.txt\r\n原因: "
                                                     "文件名不是 UTF-8 编码，文件对话框无法打开\r\n未加载任何轨迹点。"});
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

struct UnreadableCase {
  std::string name;    // in the temporary folder, or an absolute path
  std::string reason;  // the line the report gives as its reason
};

class UnreadableTrackTest : public TrackCommandsTest, public ::testing::WithParamInterface<UnreadableCase> {};

// What is no regular file is refused without waiting on it (a FIFO has no
// writer here), with its reason; a track loaded before is gone, as the reload
// question said.
TEST_P(UnreadableTrackTest, IsReportedWithItsReasonAndLeavesNoTrack) {
  std::filesystem::create_directory(dir_.path() / "folder.txt");
  ASSERT_EQ(::mkfifo((dir_.path() / "fifo.txt").c_str(), 0600), 0);
  std::filesystem::create_symlink("loop.txt", dir_.path() / "loop.txt");
  ChooseLog("a.txt", Rmc("080000"));
  logic_.cmd_addname_Click();
  ASSERT_EQ(ui_.RowCount(ListId::Track), 1);
  ui_.clearRecords();

  const std::string path = GetParam().name.starts_with("/") ? GetParam().name : dir_.folder() + GetParam().name;
  const std::size_t slash = path.rfind('/');
  ui_.QueueOpenFile(ChosenFiles{path.substr(0, slash + 1), {path.substr(slash + 1)}});
  logic_.cmd_addname_Click();  // Yes to the reload question
  EXPECT_EQ(ui_.RowCount(ListId::Track), 0);
  EXPECT_TRUE(logic_.TrackPoints(1).Coordinate.empty());
  EXPECT_EQ(ui_.Text(ControlId::Gps_box), "GPS路径");
  ASSERT_EQ(ui_.messages().size(), 2u);
  EXPECT_EQ(ui_.messages()[1].text,
            "无法读取轨迹路径文件:\r\n" + path + "\r\n原因: " + GetParam().reason + "\r\n未加载任何轨迹点。");
  EXPECT_EQ(ui_.messages()[1].buttons, MessageButtons::Ok);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnreadableTrackTest,
                         ::testing::Values(UnreadableCase{"folder.txt", "这是一个文件夹，不是文件"},
                                           UnreadableCase{"fifo.txt", "这是设备或管道，不是普通文件"},
                                           UnreadableCase{"/dev/null", "这是设备或管道，不是普通文件"},
                                           UnreadableCase{"loop.txt", "符号链接形成循环"}));

// The same texts whichever kind of file the points came from; a GPX document
// that broke off says after how many points.
TEST_F(TrackCommandsTest, GpxLoadsByContentAndTellsOfDamage) {
  const std::string point = "<trkpt lat=\"30.252056667\" lon=\"120.509463333\"><time>2010-12-06T08:00:0";
  ChooseLog("track.txt", "<?xml version=\"1.0\"?>\n<gpx version=\"1.0\"><trk><trkseg>" + point + "0Z</time></trkpt>" +
                             point + "5.5Z</time></trkpt>" + point);
  logic_.cmd_addname_Click();
  ASSERT_EQ(ui_.RowCount(ListId::Track), 2);
  EXPECT_EQ(ui_.SubItem(ListId::Track, 2, Column::Time), "2010-12-06 16:00:05");
  EXPECT_EQ(ui_.SubItem(ListId::Track, 2, Column::Coordinate), "N30°15.1234',E120°30.5678'");
  EXPECT_EQ(logic_.TrackPoints(2).ElapsedSeconds, 5);
  EXPECT_EQ(ui_.Text(ControlId::Gps_box), "GPS路径 2个轨迹点 (2010-12-06 16:00:00 到 2010-12-06 16:00:05)");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"共成功加载路径轨迹点 2 个!\r\nGPX 文件在第 2 个轨迹点之后损坏, "
                                                     "其余部分未加载。"});
}

struct TextCase {
  TrackLoadOutcome outcome;
  std::string text;
};

class TrackLoadTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TrackLoadTextTest, SaysWhatTheLoadGave) { EXPECT_EQ(TrackLoadText(GetParam().outcome), GetParam().text); }

TrackLoadOutcome Loaded(std::size_t count, bool truncated, bool damaged) {
  return {TrackLoadResult::Loaded, "/p/a.gpx", count, truncated, damaged, std::nullopt};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackLoadTextTest,
    ::testing::Values(TextCase{Loaded(0, false, false), "共成功加载路径轨迹点 0 个!"},
                      TextCase{Loaded(1999, true, false),
                               "共成功加载路径轨迹点 1999 个!\r\n轨迹点已达上限 1999 个, 文件其余部分未加载。"},
                      TextCase{Loaded(0, false, true),
                               "共成功加载路径轨迹点 0 个!\r\nGPX 文件在第一个轨迹点之前就已损坏, 无法读取。"},
                      TextCase{{TrackLoadResult::Unreadable, "/p/a.txt", 0, false, false,
                                FileError(FileOp::Read, FileErrorKind::System, "/p/a.txt", EACCES)},
                               "无法读取轨迹路径文件:\r\n/p/a.txt\r\n原因: 没有权限\r\n未加载任何轨迹点。"}));

TEST(TrackTexts, RowsAndCaption) {
  EXPECT_EQ(TrackRowText(1), "记录0001");
  EXPECT_EQ(TrackRowText(1999), "记录1999");
  EXPECT_EQ(TrackRowText(12345), "记录12345");
  EXPECT_EQ(TrackBoxCaption({}), "GPS路径");
  std::vector<TrackPoint> points{{"2010-12-06 08:01:12", "c", 0, std::nullopt}, {"2010-12-06 12:40:55", "c", 1, std::nullopt}};
  EXPECT_EQ(TrackBoxCaption(points), "GPS路径 2个轨迹点 (2010-12-06 08:01:12 到 2010-12-06 12:40:55)");
}

TEST_F(TrackCommandsTest, ReloadQuestionNoKeepsTrackYesThenCancelKeepsItToo) {
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
  EXPECT_EQ(ui_.RowCount(ListId::Track), 2);
  EXPECT_EQ(ui_.Text(ControlId::Gps_box), "GPS路径 2个轨迹点 (2010-12-06 16:00:00 到 2010-12-06 16:00:10)");
  EXPECT_EQ(logic_.TrackPoints(2).ElapsedSeconds, 10);
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
