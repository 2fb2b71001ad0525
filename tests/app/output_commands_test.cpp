#include "app/output_commands.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "app/main_logic.h"
#include "app/memory_toolkit.h"
#include "faulty_file_system.h"
#include "sample_photos.h"
#include "test_support.h"

namespace geoframe {
namespace {

namespace fs = std::filesystem;
using testing::FaultyFileSystem;
using testing::TempDir;
using testing::WriteFileBytes;

const std::string kFramedName = "20101111_133102.JPG";

// A window with photos listed as intake lists them, on a fault-injecting disk.
class OutputCommands : public ::testing::Test {
 protected:
  OutputCommands() : logic_(ui_, disk_) {}

  void AddPhoto(const std::string& name, const std::string& time) {
    WriteFileBytes(dir_.path() / name, tools::MakeSamplePhoto(48, 32, 1, "2010:11:11 13:31:02"));
    int row = ui_.RowCount(ListId::Photos) + 1;
    logic_.Photos(row) = {!time.empty(), name, dir_.folder(), time};
    ui_.AppendRow(ListId::Photos, name, time.empty() ? 2 : 1);
    ui_.SetSubItem(ListId::Photos, row, Column::Time, time);
    ui_.SetSubItem(ListId::Photos, row, Column::Coordinate, "N30°15.1234',E120°30.5678'");
  }
  void Check(ControlId control, bool on) { ui_.SetChecked(control, on); }
  bool Exists(const std::string& name) const { return fs::exists(dir_.path() / name); }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : ui_.messages()) texts.push_back(m.text);
    return texts;
  }

  TempDir dir_;
  MemoryToolkit ui_;
  FaultyFileSystem disk_;
  MainLogic logic_;
  FolderLock held_;  // another batch's lock, where a test needs one
};

TEST_F(OutputCommands, CheckBoxesEnableTheirOptionsAndKeepTheirValues) {
  struct Case {
    ControlId box;
    std::vector<ControlId> dependents;
    void (MainLogic::*click)();
  } cases[] = {{ControlId::Ck_reanme, {ControlId::Op_time, ControlId::Op_incre, ControlId::incre_txt}, &MainLogic::Ck_reanme_Click},
               {ControlId::Ck_frame, {ControlId::Label2, ControlId::frame_txt, ControlId::Ck_time, ControlId::Ck_gps}, &MainLogic::Ck_frame_Click}};
  ui_.SetChecked(ControlId::Op_incre, true);
  ui_.SetText(ControlId::incre_txt, "trip");
  for (const Case& c : cases) {
    for (bool on : {true, false, true, false}) {
      Check(c.box, on);
      (logic_.*c.click)();
      for (ControlId dependent : c.dependents) EXPECT_EQ(ui_.Enabled(dependent), on) << Spec(dependent).name;
    }
  }
  EXPECT_TRUE(ui_.Checked(ControlId::Op_incre));
  EXPECT_EQ(ui_.Text(ControlId::incre_txt), "trip");
  EXPECT_TRUE(ui_.Checked(ControlId::Ck_time));
}

TEST_F(OutputCommands, EmptyListDoesNothing) {
  logic_.cmd_make_Click();
  logic_.cmd_allmake_Click();
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_TRUE(ui_.progressFrames().empty());
  EXPECT_TRUE(disk_.log().empty());
}

TEST_F(OutputCommands, BatchRenamesShowsProgressPreviewAndCompletion) {
  AddPhoto("a.JPG", "2010-11-11 13:31:02");
  AddPhoto("b.JPG", "2010-11-11 13:31:02");
  AddPhoto("c.JPG", "");
  Check(ControlId::Ck_backup, false);
  Check(ControlId::Ck_reanme, true);
  logic_.cmd_allmake_Click();
  std::vector<std::string> expectedFrames = {"批量编辑  0%|0|shown", "批量编辑  33%|1980|shown",
                                             "批量编辑  66%|3960|shown", "批量编辑  100%|6000|shown",
                                             "批量编辑  100%|6000|hidden"};
  EXPECT_EQ(ui_.progressFrames(), expectedFrames);
  EXPECT_EQ(Messages(), std::vector<std::string>{"批处理完成!\r\n共处理 3 个照片。"});
  EXPECT_EQ(ui_.messages()[0].icon, MessageIcon::Information);
  EXPECT_EQ(ui_.messages()[0].buttons, MessageButtons::Ok);
  const char* names[] = {"20101111_133102.JPG", "20101111_133102_1.JPG", "c.JPG"};
  for (int row = 1; row <= 3; ++row) {
    EXPECT_EQ(ui_.RowText(ListId::Photos, row), names[row - 1]);
    EXPECT_EQ(logic_.Photos(row).FileName, names[row - 1]);
    EXPECT_TRUE(Exists(names[row - 1]));
  }
  // Only the name changed.
  EXPECT_EQ(logic_.Photos(1).ExifTime, "2010-11-11 13:31:02");
  EXPECT_EQ(ui_.SubItem(ListId::Photos, 2, Column::Coordinate), "N30°15.1234',E120°30.5678'");
  EXPECT_EQ(ui_.rows(ListId::Photos)[2].icon, 2);
  // Row 1 is previewed under its new name.
  EXPECT_EQ(ui_.rows(ListId::Photos)[0].toolTip, dir_.folder() + "20101111_133102.JPG");
  EXPECT_FALSE(ui_.previewDraws().empty());
}

TEST_F(OutputCommands, BatchGoesOnAfterAFailureAndCountsIt) {
  AddPhoto("a.JPG", "2010-11-11 13:31:02");
  AddPhoto("b.JPG", "2010-11-11 13:31:03");
  AddPhoto("c.JPG", "2010-11-11 13:31:04");
  disk_.FailOn(testing::FsOp::Write, "133103", ENOSPC);
  Check(ControlId::Ck_reanme, true);
  Check(ControlId::Ck_frame, true);
  logic_.cmd_allmake_Click();
  EXPECT_EQ(Messages(), std::vector<std::string>{"批处理完成!\r\n共处理 3 个照片。\r\n其中 1 个照片处理失败，已保持原样。"
                                                 "\r\nb.JPG: 无法写入 20101111_133103.JPG: 磁盘已满"});
  EXPECT_EQ(ui_.RowText(ListId::Photos, 2), "b.JPG");
  EXPECT_TRUE(Exists("b.JPG"));
  EXPECT_EQ(ui_.RowText(ListId::Photos, 3), "20101111_133104.JPG");
  EXPECT_TRUE(Exists("20101111_133104.JPG"));
}

// A folder is named by its own name, though its path ends in "/".
TEST_F(OutputCommands, CompletionNamesTheFolderThatCouldNotBeMade) {
  AddPhoto("a.JPG", "2010-11-11 13:31:02");
  disk_.FailOn(testing::FsOp::CreateFolder, "BackUp", EACCES);
  logic_.cmd_allmake_Click();
  EXPECT_EQ(Messages(), std::vector<std::string>{"批处理完成!\r\n共处理 1 个照片。\r\n其中 1 个照片处理失败，已保持原样。"
                                                 "\r\na.JPG: 无法备份，照片未改动: 无法创建文件夹 BackUp: 没有权限"});
}

// After its counts the completion message names each failed photo and why, in
// few words without the folder, ten at most, and then how many failed in all.
TEST_F(OutputCommands, CompletionNamesTheFailedPhotos) {
  AddPhoto("a.JPG", "2010-11-11 14:00:00");
  for (int i = 2; i <= 13; ++i) AddPhoto("p" + std::to_string(i) + ".JPG", "2010-11-11 13:31:" + std::to_string(i + 10));
  fs::remove(dir_.path() / "p3.JPG");
  disk_.FailOn(testing::FsOp::Write, "_1331", ENOSPC);
  Check(ControlId::Ck_reanme, true);
  Check(ControlId::Ck_frame, true);
  logic_.cmd_allmake_Click();
  EXPECT_EQ(Messages(), std::vector<std::string>{"批处理完成!\r\n共处理 13 个照片。\r\n其中 12 个照片处理失败，已保持原样。"
                                                 "\r\np2.JPG: 无法写入 20101111_133112.JPG: 磁盘已满"
                                                 "\r\np3.JPG: 找不到照片文件"
                                                 "\r\np4.JPG: 无法写入 20101111_133114.JPG: 磁盘已满"
                                                 "\r\np5.JPG: 无法写入 20101111_133115.JPG: 磁盘已满"
                                                 "\r\np6.JPG: 无法写入 20101111_133116.JPG: 磁盘已满"
                                                 "\r\np7.JPG: 无法写入 20101111_133117.JPG: 磁盘已满"
                                                 "\r\np8.JPG: 无法写入 20101111_133118.JPG: 磁盘已满"
                                                 "\r\np9.JPG: 无法写入 20101111_133119.JPG: 磁盘已满"
                                                 "\r\np10.JPG: 无法写入 20101111_133120.JPG: 磁盘已满"
                                                 "\r\np11.JPG: 无法写入 20101111_133121.JPG: 磁盘已满"
                                                 "\r\n……等 12 个"});
  EXPECT_EQ(ui_.RowText(ListId::Photos, 1), "20101111_140000.JPG");
}

// A batch stopped by its front end says how many photos were done and that the
// rest were left as they were.
TEST_F(OutputCommands, StoppedBatchSaysHowManyWereDone) {
  AddPhoto("a.JPG", "2010-11-11 13:31:02");
  AddPhoto("b.JPG", "2010-11-11 13:31:03");
  AddPhoto("c.JPG", "2010-11-11 13:31:04");
  Check(ControlId::Ck_reanme, true);
  BatchHooks hooks;
  hooks.stopRequested = [&] { return logic_.Photos(1).FileName != "a.JPG"; };
  ASSERT_EQ(EditAllPhotos(logic_, hooks)->size(), 1u);
  EXPECT_EQ(Messages(), std::vector<std::string>{"批处理已停止。\r\n共处理 1 个照片，其余 2 个照片未改动。"});
  EXPECT_TRUE(Exists("b.JPG"));
}

// Escape or a close request after the second photo asks; 是 stops the batch
// after that photo, and a close request so answered then closes the window,
// after the completion message.
struct StopCase {
  Interruption asked;
  Answer answer;
  std::string completion;
  std::string lastRow;
  bool closed;
};

class StopQuestion : public OutputCommands, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopQuestion, AskedAndStopsAfterThePhotoBeingCommitted) {
  const StopCase& c = GetParam();
  for (const char* name : {"a.JPG", "b.JPG", "c.JPG", "d.JPG"}) AddPhoto(name, "2010-11-11 13:31:02");
  Check(ControlId::Ck_reanme, true);
  ui_.InterruptAt(2, c.asked);
  ui_.QueueAnswer(c.answer);
  logic_.cmd_allmake_Click();
  EXPECT_EQ(Messages(), (std::vector<std::string>{"是否停止批处理?", c.completion}));
  EXPECT_EQ(ui_.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(ui_.RowText(ListId::Photos, 4), c.lastRow);
  EXPECT_EQ(ui_.closed(), c.closed);
  EXPECT_FALSE(ui_.busy());
  EXPECT_EQ(ui_.SelectedRow(ListId::Photos), 1);  // the preview shows the row 执行 acts on
}

const std::string kAllDone = "批处理完成!\r\n共处理 4 个照片。";
const std::string kStopped = "批处理已停止。\r\n共处理 2 个照片，其余 2 个照片未改动。";

INSTANTIATE_TEST_SUITE_P(
    EscapeAndClose, StopQuestion,
    ::testing::Values(StopCase{Interruption::Escape, Answer::No, kAllDone, "20101111_133102_3.JPG", false},
                      StopCase{Interruption::Escape, Answer::Yes, kStopped, "d.JPG", false},
                      StopCase{Interruption::Close, Answer::No, kAllDone, "20101111_133102_3.JPG", false},
                      StopCase{Interruption::Close, Answer::Yes, kStopped, "d.JPG", true}));

// A stopped framing batch run again frames only the photos it had not reached:
// one framed before is left whole, without a second backup, and counted
// apart; 执行 on it says so.
TEST_F(OutputCommands, FramingAgainLeavesThePhotosFramedBeforeWhole) {
  for (const char* name : {"a.JPG", "b.JPG", "c.JPG"}) AddPhoto(name, "2010-11-11 13:31:02");
  Check(ControlId::Ck_reanme, true);
  Check(ControlId::Ck_frame, true);
  BatchHooks hooks;
  hooks.stopRequested = [&] { return logic_.Photos(1).FileName != "a.JPG"; };
  ASSERT_EQ(EditAllPhotos(logic_, hooks)->size(), 1u);
  const std::vector<std::uint8_t> framed = testing::ReadFileBytes(dir_.path() / kFramedName);
  ui_.clearRecords();
  logic_.cmd_allmake_Click();
  EXPECT_EQ(Messages(), std::vector<std::string>{"批处理完成!\r\n共处理 3 个照片。\r\n其中 1 个照片已加过边框，未再处理。"});
  EXPECT_EQ(testing::ReadFileBytes(dir_.path() / kFramedName), framed);
  EXPECT_EQ(testing::FilesUnder(dir_.path()),
            (std::vector<std::string>{kFramedName, "20101111_133102_1.JPG", "20101111_133102_2.JPG", "BackUp/a.JPG",
                                      "BackUp/b.JPG", "BackUp/c.JPG"}));
  ui_.clearRecords();
  ui_.SelectRow(ListId::Photos, 2);
  logic_.cmd_make_Click();
  EXPECT_EQ(Messages(), std::vector<std::string>{"照片 20101111_133102_1.JPG 已加过边框，未再处理。"});
}

TEST_F(OutputCommands, MakeProcessesTheSelectedRowAndPreviewsIt) {
  AddPhoto("a.JPG", "2010-11-11 13:31:02");
  AddPhoto("b.jpg", "2010-11-11 13:31:05");
  Check(ControlId::Ck_reanme, true);
  ui_.SetChecked(ControlId::Op_incre, true);
  ui_.SetChecked(ControlId::Op_time, false);
  ui_.SetText(ControlId::incre_txt, "trip");
  logic_.cmd_make_Click();  // nothing selected: nothing done
  EXPECT_TRUE(disk_.log().empty());
  ui_.SelectRow(ListId::Photos, 2);
  logic_.cmd_make_Click();
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_EQ(ui_.RowText(ListId::Photos, 2), "trip0002.jpg");
  EXPECT_TRUE(Exists("trip0002.jpg"));
  EXPECT_TRUE(Exists("BackUp/b.jpg"));
  EXPECT_EQ(ui_.rows(ListId::Photos)[1].toolTip, dir_.folder() + "trip0002.jpg");
  EXPECT_TRUE(ui_.progressFrames().empty());
}

// What the user reads when the photo failed, for each stage it can fail at.
TEST_F(OutputCommands, MakeSaysWhyThePhotoFailed) {
  AddPhoto("a.JPG", "2010-11-11 13:31:02");
  const std::string path = dir_.folder() + "a.JPG";
  const std::string lead = "照片 a.JPG 处理失败，已保持原样：\r\n";
  struct Case {
    std::function<void()> fault;
    std::string reason;
  } cases[] = {  // the first makes no backup, so the copy's name is the photo's own
      {[&] { disk_.FailOn(testing::FsOp::Copy, "BackUp", ENOSPC); },
       "无法备份，照片未改动: 无法复制到 " + dir_.folder() + "BackUp/a.JPG: 磁盘已满"},
      {[&] { fs::rename(path, path + ".away"); }, "找不到照片文件 " + path},
      {[&] { disk_.FailOn(testing::FsOp::Write, "a.JPG", ENOSPC); }, "无法写入文件 " + path + ": 磁盘已满"},
      {[&] { held_ = disk_.LockFolder(dir_.folder()); }, "文件夹 " + dir_.folder() + " 正由另一个批处理使用"},
  };
  Check(ControlId::Ck_frame, true);
  ui_.SelectRow(ListId::Photos, 1);
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> original = testing::ReadFileBytes(path);
    c.fault();
    ui_.clearRecords();
    logic_.cmd_make_Click();
    EXPECT_EQ(Messages(), std::vector<std::string>{lead + c.reason});
    EXPECT_EQ(ui_.RowText(ListId::Photos, 1), "a.JPG");
    if (fs::exists(path + ".away")) fs::rename(path + ".away", path);
    EXPECT_EQ(testing::ReadFileBytes(path), original);
    disk_.ClearFaults();
    held_ = FolderLock();
  }
}

TEST_F(OutputCommands, BadPrefixIsRefusedBeforeAnyFileIsTouched) {
  AddPhoto("a.JPG", "2010-11-11 13:31:02");
  Check(ControlId::Ck_reanme, true);
  ui_.SetChecked(ControlId::Op_incre, true);
  ui_.SetChecked(ControlId::Op_time, false);
  ui_.SelectRow(ListId::Photos, 1);
  for (const char* prefix : {"../x", "a/b", "c:", ".hidden"}) {
    ui_.clearRecords();
    ui_.SetText(ControlId::incre_txt, prefix);
    logic_.cmd_allmake_Click();
    logic_.cmd_make_Click();
    EXPECT_EQ(ui_.messages().size(), 2u) << prefix;
    EXPECT_TRUE(ui_.progressFrames().empty()) << prefix;
  }
  EXPECT_TRUE(disk_.log().empty());
  EXPECT_FALSE(Exists("BackUp"));
  EXPECT_EQ(ui_.RowText(ListId::Photos, 1), "a.JPG");
}

}  // namespace
}  // namespace geoframe
