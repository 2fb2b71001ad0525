#include <gtest/gtest.h>
#include <sys/stat.h>  // mkfifo

#include <filesystem>
#include <string>
#include <vector>

#include "app/main_logic.h"
#include "app/memory_toolkit.h"
#include "app/photo_intake.h"
#include "exif/exif_reader.h"
#include "expected_photos.h"
#include "sample_photos.h"
#include "test_support.h"

namespace geoframe {
namespace {

using testing::TempDir;
using testing::WriteFileBytes;

// A folder of chosen files: a.jpg has an EXIF time, b.JPG has EXIF (an
// orientation) without a time, c.jpg no EXIF at all; the rest are not usable.
class PhotoIntakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(dir.path() / "a.jpg", tools::MakeSamplePhoto(64, 48, 1, "2010:12:06 08:30:15", 1));
    WriteFileBytes(dir.path() / "b.JPG", tools::MakeSamplePhoto(64, 48, 1, "", 6));
    WriteFileBytes(dir.path() / "c.jpg", tools::MakeSamplePhoto(64, 48, 1));
    WriteFileBytes(dir.path() / "x.jpeg", tools::MakeSamplePhoto(64, 48, 1));
    WriteFileBytes(dir.path() / "y.JPE", tools::MakeSamplePhoto(64, 48, 1));
    WriteFileBytes(dir.path() / "x.png", tools::MakeSamplePhoto(64, 48, 1));
    WriteFileBytes(dir.path() / ".hidden.jpg", tools::MakeSamplePhoto(64, 48, 1));
    std::filesystem::create_directory(dir.path() / "folder.jpg");
  }

  void Choose(std::vector<std::string> names) { ui.QueueOpenFile(ChosenFiles{dir.folder(), std::move(names)}); }

  TempDir dir;
  MemoryToolkit ui;
  MainLogic logic{ui};
};

TEST_F(PhotoIntakeTest, AsksForPhotosInTheDialog) {
  logic.cmd_add_Click();
  ASSERT_EQ(ui.dialogs().size(), 1u);
  const OpenFileRequest& r = ui.dialogs()[0];
  EXPECT_EQ(r.title, "选择照片...");
  EXPECT_EQ(r.filters, (std::vector<FileFilter>{{"照片文件(*.JPG)", {"*.jpg", "*.jpeg", "*.jpe"}}}));
  EXPECT_TRUE(r.multiSelect);
}

TEST_F(PhotoIntakeTest, CancelChangesNothing) {
  logic.cmd_add_Click();
  EXPECT_EQ(ui.RowCount(ListId::Photos), 0);
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_TRUE(ui.progressFrames().empty());
  EXPECT_EQ(ui.Text(ControlId::pic_box), "照片列表");
}

TEST_F(PhotoIntakeTest, ListsUsableFilesWithTimeAndIcon) {
  Choose({"a.jpg", "x.jpeg", "b.JPG", "missing.jpg", "x.png", ".hidden.jpg", "folder.jpg", "c.jpg"});
  logic.cmd_add_Click();

  const auto& rows = ui.rows(ListId::Photos);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].text, "a.jpg");
  EXPECT_EQ(rows[0].icon, 1);
  EXPECT_EQ(rows[0].time, "2010-12-06 08:30:15");
  EXPECT_EQ(rows[1].text, "x.jpeg");
  EXPECT_EQ(rows[2].text, "b.JPG");
  EXPECT_EQ(rows[2].icon, 2);
  EXPECT_EQ(rows[2].time, "");
  EXPECT_EQ(rows[3].text, "c.jpg");
  EXPECT_EQ(rows[3].icon, 2);

  EXPECT_EQ(logic.Photos(1), (PhotoRecord{true, "a.jpg", dir.folder(), "2010-12-06 08:30:15"}));
  EXPECT_EQ(logic.Photos(3), (PhotoRecord{false, "b.JPG", dir.folder(), ""}));
  EXPECT_EQ(logic.Photos(4), (PhotoRecord{false, "c.jpg", dir.folder(), ""}));
  EXPECT_EQ(logic.Photos(5), PhotoRecord{});

  EXPECT_EQ(ui.Text(ControlId::pic_box), "照片列表 4张照片");
  ASSERT_EQ(ui.messages().size(), 1u);
  // The dialog filtered what was chosen: what it still let through is left out silently.
  EXPECT_EQ(ui.messages()[0].text,
            "当次加载 4 张（其中 1 张含EXIF信息）照片!\r\n\r\n当前列表已加载共 4 张照片!");
  EXPECT_EQ(ui.messages()[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Information);
}

// Named on the command line or dropped, no dialog filtered them: each file
// left out is named with its reason.
TEST_F(PhotoIntakeTest, PathsLeftOutAreNamedInTheSummary) {
  logic.AddPhotos({dir.folder() + "y.JPE", dir.folder() + "x.png", dir.folder() + "folder.jpg", "missing.jpg"});
  EXPECT_EQ(ui.RowCount(ListId::Photos), 1);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].text,
            "当次加载 1 张（其中 0 张含EXIF信息）照片!\r\n\r\n当前列表已加载共 1 张照片!\r\n未能加入的文件:\r\n" +
                dir.folder() + "x.png: 不是 .jpg、.jpeg 或 .jpe 照片\r\n" + dir.folder() +
                "folder.jpg: 这是一个文件夹\r\nmissing.jpg: 文件不存在");
}

TEST_F(PhotoIntakeTest, ShowsProgressPerChosenFileThenHidesIt) {
  Choose({"a.jpg", "missing.jpg", "c.jpg"});
  logic.cmd_add_Click();
  EXPECT_EQ(ui.progressFrames(),
            (std::vector<std::string>{"加载照片文件 0%|0|shown", "加载照片文件 33%|1980|shown",
                                      "加载照片文件 66%|3960|shown", "加载照片文件 100%|6000|shown",
                                      "加载照片文件 100%|6000|hidden"}));
}

TEST_F(PhotoIntakeTest, OnlyUnusableFilesStillReportAndRewriteCaption) {
  Choose({"a.jpg"});
  logic.cmd_add_Click();
  Choose({"x.png", "missing.jpg"});
  logic.cmd_add_Click();
  EXPECT_EQ(ui.RowCount(ListId::Photos), 1);
  EXPECT_EQ(ui.Text(ControlId::pic_box), "照片列表 1张照片");
  ASSERT_EQ(ui.messages().size(), 2u);
  EXPECT_EQ(ui.messages()[1].text,
            "当次加载 0 张（其中 0 张含EXIF信息）照片!\r\n\r\n当前列表已加载共 1 张照片!");
}

// Names the dialog could not give are left out, and the summary says why, even
// when a file has the very name the dialog showed.
TEST_F(PhotoIntakeTest, NamesTheDialogCannotGiveAreLeftOutWithTheReason) {
  WriteFileBytes(dir.path() / "\xEF\xBF\xBD.jpg", tools::MakeSamplePhoto(64, 48, 1));
  ui.QueueOpenFile(ChosenFiles{dir.folder(), {"a.jpg"}, {"\xEF\xBF\xBD.jpg"}});
  logic.cmd_add_Click();
  EXPECT_EQ(ui.RowCount(ListId::Photos), 1);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].text,
            "当次加载 1 张（其中 1 张含EXIF信息）照片!\r\n\r\n当前列表已加载共 1 张照片!\r\n"
            "另有 1 个文件未能加入：文件名不是 UTF-8 编码，文件对话框无法打开（可以把它们拖放到照片列表中）!");
}

TEST_F(PhotoIntakeTest, EachFileLeftOutIsNamedWithItsReason) {
  ASSERT_EQ(::mkfifo((dir.path() / "pipe.jpg").c_str(), 0600), 0);  // never opened, so never waited on
  std::filesystem::create_symlink("loop.jpg", dir.path() / "loop.jpg");
  for (int i = 1; i <= kMaxPhotos - 1; ++i) ui.AppendRow(ListId::Photos, "old.jpg", 2);
  const std::vector<std::string> names = {"x.png", "a.jpg", ".hidden.jpg", "missing.jpg", "folder.jpg",
                                          "pipe.jpg", "c.jpg", "x.jpeg", "x.jpeg.txt", "loop.jpg"};
  const IntakeResult result = AddPhotoFiles(logic, DlgFileList{10, dir.folder(), names});
  using R = LeftOutReason;
  const std::vector<std::pair<std::size_t, R>> expected = {
      {0, R::NotJpg},  {2, R::Hidden},   {3, R::Missing},  {4, R::Folder},  {5, R::Special},
      {6, R::ListFull}, {7, R::ListFull}, {8, R::NotJpg}, {9, R::LinkLoop}};
  std::vector<std::pair<std::size_t, R>> leftOut;
  for (const LeftOutFile& file : result.leftOut) {
    EXPECT_EQ(file.name, names[file.index]);
    leftOut.emplace_back(file.index, file.reason);
  }
  EXPECT_EQ(leftOut, expected);
  EXPECT_EQ(result.added, 1);
  EXPECT_EQ(result.LeftOutFor(LeftOutReason::ListFull), 2);
}

TEST_F(PhotoIntakeTest, PreviewFollowsTheSelectionAndEmptiesWithoutOne) {
  Choose({"a.jpg", "b.JPG", "c.jpg"});
  logic.cmd_add_Click();
  ui.SelectRow(ListId::Photos, 2);  // b.JPG: 64 x 48 stored on its side
  logic.ListView_SelectionChanged();
  EXPECT_EQ(ui.previewDraws().size(), 1u);
  EXPECT_TRUE(ui.Text(ControlId::picture_review).starts_with("照片预览 (尺寸48×64 ")) << ui.Text(ControlId::picture_review);
  ui.SelectRow(ListId::Photos, 0);
  logic.ListView_SelectionChanged();
  EXPECT_EQ(ui.Text(ControlId::picture_review), "照片预览");
  ui.SelectRow(ListId::Photos, 3);
  logic.ListView_SelectionChanged();
  EXPECT_EQ(ui.previewDraws().size(), 2u);
  const int clears = ui.previewClears();
  logic.cmd_del_Click();  // the shown photo goes, and with it the preview
  EXPECT_EQ(ui.previewClears(), clears + 1);
  EXPECT_EQ(ui.Text(ControlId::picture_review), "照片预览");
  ui.SelectRow(ListId::Photos, 1);
  logic.ListView_SelectionChanged();
  logic.cmd_clear_Click();
  EXPECT_EQ(ui.Text(ControlId::picture_review), "照片预览");
}

TEST_F(PhotoIntakeTest, SameFileTwiceGivesTwoRows) {
  Choose({"a.jpg", "a.jpg"});
  logic.cmd_add_Click();
  ASSERT_EQ(ui.RowCount(ListId::Photos), 2);
  EXPECT_EQ(logic.Photos(1), logic.Photos(2));
  EXPECT_EQ(ui.rows(ListId::Photos)[0].time, ui.rows(ListId::Photos)[1].time);
}

TEST_F(PhotoIntakeTest, StopsAtTheListLimitAndSaysHowManyWereLeftOut) {
  for (int i = 1; i <= kMaxPhotos - 1; ++i) {
    ui.AppendRow(ListId::Photos, "old.jpg", 2);
    logic.Photos(i) = PhotoRecord{false, "old.jpg", dir.folder(), ""};
  }
  Choose({"c.jpg", "a.jpg", "missing.jpg", "b.JPG"});
  logic.cmd_add_Click();
  EXPECT_EQ(ui.RowCount(ListId::Photos), kMaxPhotos);
  EXPECT_EQ(logic.Photos(kMaxPhotos).FileName, "c.jpg");
  EXPECT_EQ(ui.Text(ControlId::pic_box), "照片列表 999张照片");
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].text,
            "当次加载 1 张（其中 0 张含EXIF信息）照片!\r\n\r\n当前列表已加载共 999 张照片!"
            "\r\n列表已满（最多 999 张），另有 2 张照片未能加入!");
}

// A list of three photos, a.jpg b.jpg c.jpg, for the editing commands.
class PhotoListEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 3; ++i) {
      const std::string name = std::string(1, static_cast<char>('a' + i - 1)) + ".jpg";
      ui.AppendRow(ListId::Photos, name, 1);
      logic.Photos(i) = Record(name);
    }
  }
  static PhotoRecord Record(const std::string& name) { return {true, name, "/p/", "2010-12-06 08:30:15"}; }
  std::vector<std::string> RowTexts() const {
    std::vector<std::string> texts;
    for (const auto& row : ui.rows(ListId::Photos)) texts.push_back(row.text);
    return texts;
  }

  MemoryToolkit ui;
  MainLogic logic{ui};
};

struct RemoveCase {
  int selected;
  std::vector<std::string> left;
};

class RemovePhotoTest : public PhotoListEditTest, public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(RemovePhotoTest, MovesLaterRecordsDownAndBlanksTheLast) {
  const RemoveCase& c = GetParam();
  ui.SelectRow(ListId::Photos, c.selected);
  logic.cmd_del_Click();
  EXPECT_EQ(RowTexts(), c.left);
  for (int i = 1; i <= 2; ++i) EXPECT_EQ(logic.Photos(i), Record(c.left[static_cast<std::size_t>(i - 1)]));
  EXPECT_EQ(logic.Photos(3), PhotoRecord{});
  EXPECT_EQ(ui.Text(ControlId::pic_box), "照片列表 2张照片");
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].text, "确定移除 " + std::string(1, static_cast<char>('a' + c.selected - 1)) + ".jpg ?");
  EXPECT_EQ(ui.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Information);
}

INSTANTIATE_TEST_SUITE_P(Rows, RemovePhotoTest,
                         ::testing::Values(RemoveCase{1, {"b.jpg", "c.jpg"}}, RemoveCase{2, {"a.jpg", "c.jpg"}},
                                           RemoveCase{3, {"a.jpg", "b.jpg"}}));

TEST_F(PhotoListEditTest, RemoveAnsweredNoKeepsEverything) {
  ui.SelectRow(ListId::Photos, 2);
  ui.QueueAnswer(Answer::No);
  logic.cmd_del_Click();
  EXPECT_EQ(RowTexts(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_EQ(logic.Photos(2), Record("b.jpg"));
  EXPECT_EQ(ui.Text(ControlId::pic_box), "照片列表");
}

TEST_F(PhotoListEditTest, RemoveWithoutSelectionAsksNothing) {
  logic.cmd_del_Click();
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(ui.RowCount(ListId::Photos), 3);
}

TEST_F(PhotoListEditTest, RemovingTheOnlyPhotoShowsZero) {
  ui.SelectRow(ListId::Photos, 1);
  logic.cmd_del_Click();
  ui.SelectRow(ListId::Photos, 1);
  logic.cmd_del_Click();
  ui.SelectRow(ListId::Photos, 1);
  logic.cmd_del_Click();
  EXPECT_EQ(ui.RowCount(ListId::Photos), 0);
  EXPECT_EQ(logic.Photos(1), PhotoRecord{});
  EXPECT_EQ(ui.Text(ControlId::pic_box), "照片列表 0张照片");
}

TEST_F(PhotoListEditTest, ClearAsksThenBlanksAll) {
  logic.cmd_clear_Click();
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].text, "确定移除所有(共3张)照片?");
  EXPECT_EQ(ui.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Question);
  EXPECT_EQ(ui.RowCount(ListId::Photos), 0);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(logic.Photos(i), PhotoRecord{});
  EXPECT_EQ(ui.Text(ControlId::pic_box), "照片列表");
}

TEST_F(PhotoListEditTest, ClearAnsweredNoKeepsEverything) {
  ui.QueueAnswer(Answer::No);
  logic.cmd_clear_Click();
  EXPECT_EQ(ui.RowCount(ListId::Photos), 3);
  EXPECT_EQ(logic.Photos(3), Record("c.jpg"));
}

TEST(PhotoListEdit, EmptyListAsksNothing) {
  MemoryToolkit ui;
  MainLogic logic(ui);
  ui.SelectRow(ListId::Photos, 1);
  logic.cmd_del_Click();
  logic.cmd_clear_Click();
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(ui.Text(ControlId::pic_box), "照片列表");
}

// Every camera file of the test data is listed, with the shooting time
// exiftool reads from it turned into a date-time text.
TEST(PhotoIntakeRealFiles, ListsEveryCameraFileWithItsTime) {
  const std::filesystem::path folder = testing::TestDataDir() / "jpeg";
  const std::vector<testing::ExpectedPhoto> expected = testing::ReadExpectedPhotos(folder);
  ASSERT_FALSE(expected.empty());
  DlgFileList files{static_cast<std::int32_t>(expected.size()), folder.string() + "/", {}};
  for (const auto& photo : expected) files.FileNames.push_back(photo.name);

  MemoryToolkit ui;
  MainLogic logic(ui);
  const IntakeResult result = AddPhotoFiles(logic, files);
  ASSERT_EQ(result.added, files.FileCount);
  for (int i = 1; i <= result.added; ++i) {
    const testing::ExpectedPhoto& photo = expected[static_cast<std::size_t>(i - 1)];
    SCOPED_TRACE(photo.name);
    const std::string time = ExifTimeToDateTimeText(photo.dateTimeOriginal);
    EXPECT_EQ(logic.Photos(i), (PhotoRecord{!time.empty(), photo.name, files.FolderPath, time}));
    EXPECT_EQ(ui.rows(ListId::Photos)[static_cast<std::size_t>(i - 1)].icon, time.empty() ? 2 : 1);
  }
}

}  // namespace
}  // namespace geoframe
