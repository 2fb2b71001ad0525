// The real window, built offscreen: every control where the layout puts it, with
// its caption, initial value and state; the toolkit operations on real widgets;
// and a screenshot to look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QTreeWidget>

#include <filesystem>
#include <string>
#include <utility>  // pair
#include <vector>

#include "app/mini_picture.h"
#include "app/qt/main_window.h"
#include "app/qt/preview_surface.h"
#include "sample_photos.h"
#include "test_support.h"

namespace geoframe {
namespace {

// A control as the window's layout gives it, in twips.
struct Expected {
  const char* name;
  const char* container;  // "main" for the window
  const char* caption;
  int left, top, width, height;
  bool enabled = true;
  bool checked = false;
};

// clang-format off
const Expected kLayout[] = {
    {"pic_box", "main", "照片列表", 120, 120, 8580, 5730},
    {"ListView", "pic_box", "", 120, 240, 8295, 5010},
    {"tpic_info", "pic_box", "", 150, 5205, 8175, 180},
    {"cmd_add", "pic_box", "加入...", 240, 5295, 990, 300},
    {"cmd_del", "pic_box", "移除...", 1560, 5295, 990, 300},
    {"cmd_clear", "pic_box", "清空...", 2880, 5295, 990, 300},
    {"tzbox", "pic_box", "", 4440, 5280, 2850, 375},
    {"tz_f", "tzbox", "+", 0, 0, 300, 330},
    {"tzt(0)", "tzbox", "00", 315, 15, 300, 315, false},
    {"tzt(1)", "tzbox", "00", 1140, 15, 300, 315, false},
    {"tzt(2)", "tzbox", "00", 1980, 15, 300, 315, false},
    {"tzc(0)", "tzbox", "+", 600, 0, 300, 180},
    {"tzc(1)", "tzbox", "+", 1440, 0, 300, 180},
    {"tzc(2)", "tzbox", "+", 2280, 0, 300, 180},
    {"tzc(3)", "tzbox", "-", 600, 150, 300, 180},
    {"tzc(4)", "tzbox", "-", 1440, 150, 300, 180},
    {"tzc(5)", "tzbox", "-", 2280, 150, 300, 180},
    {"Label4", "tzbox", "时      分      秒", 885, 60, 1935, 255},
    {"cmd_tedit", "pic_box", "修正时间", 7290, 5295, 990, 300},
    {"Gps_box", "main", "GPS路径", 120, 6000, 7020, 2175},
    {"ListGps", "Gps_box", "", 120, 240, 6765, 1455},
    {"cmd_addname", "Gps_box", "加入...", 240, 1740, 990, 300},
    {"cmd_clearname", "Gps_box", "移除...", 1560, 1740, 990, 300},
    {"Picture2", "Gps_box", "", 4560, 1740, 2295, 375},
    {"wct", "Picture2", "120", 300, 0, 390, 315, false},
    {"wcc(0)", "Picture2", "+", 0, 0, 300, 180},
    {"wcc(1)", "Picture2", "-", 0, 135, 300, 180},
    {"wcc(2)", "Picture2", "+", 930, 0, 300, 180},
    {"wcc(3)", "Picture2", "-", 930, 135, 300, 180},
    {"Label1", "Picture2", "秒    匹配误差", 705, 60, 1515, 255},
    {"Picture3", "main", "", 7350, 6240, 1320, 1485},
    {"cmd_plclr", "Picture3", "清空坐标...", 30, 30, 1230, 300},
    {"cmd_clrnowpl", "Picture3", "移除当前坐标", 30, 390, 1230, 300},
    {"cmd_hdaddpl", "Picture3", "手动添加坐标", 30, 750, 1230, 300},
    {"cmd_plgoto", "Picture3", "自动匹配坐标", 30, 1110, 1230, 300},
    {"picture_review", "main", "照片预览", 8820, 120, 4515, 3600},
    {"Picture1", "picture_review", "", 120, 240, 4260, 3210},
    {"Pictemp", "Picture1", "", 15, 15, 4200, 3150},
    {"Frame1", "main", "编辑", 8820, 3840, 4515, 4095},
    {"Ck_reanme", "Frame1", "文件名更改", 360, 360, 1215, 255},
    {"Op_time", "Frame1", "日期时间    格式:  YYYYMMDD_HHMMSS", 720, 720, 3495, 255, false, true},
    {"Op_incre", "Frame1", "列表序号    前缀:", 720, 1080, 1935, 255, false},
    {"incre_txt", "Frame1", "", 2520, 1080, 1530, 270, false},
    {"Ck_frame", "Frame1", "加边框并压缩", 360, 1560, 1575, 255},
    {"Label2", "Frame1", "前注释:", 720, 1950, 735, 255, false},
    {"frame_txt", "Frame1", "", 1440, 1920, 2610, 270, false},
    {"Ck_gps", "Frame1", "地理信息(经纬度)", 720, 2340, 1815, 255, false},
    {"Ck_time", "Frame1", "日期时间  格式:YYYY-MM-DD HH:MM:SS", 720, 2730, 3375, 255, false, true},
    {"Ck_backup", "Frame1", "备份源文件  ...\\backup\\", 360, 3210, 2535, 255, true, true},
    {"cmd_make", "Frame1", "执行", 1440, 3660, 1230, 300},
    {"cmd_allmake", "Frame1", "批量执行", 3000, 3660, 1230, 300},
    {"Label3", "main", "-> -> -> ->", 7290, 7905, 1215, 255},
    {"pic_info", "main", "", 1440, 2640, 6000, 330},
    {"sp_info", "pic_info", "", 0, 0, 2895, 330},
    {"txt_info", "pic_info", "", 480, 15, 4815, 255},
};

// Decoration lines: from x1, y1 to x2, y2 in twips.
struct ExpectedLine {
  const char* name;
  const char* container;
  int x1, y1, x2, y2;
};
const ExpectedLine kLines[] = {
    {"Line1", "main", 8400, 5760, 8400, 7920},  {"Line2", "main", 8400, 7980, 6960, 7980},
    {"Line3", "Frame1", 450, 600, 450, 1200},   {"Line4", "Frame1", 450, 1800, 450, 2850},
    {"Line5", "Frame1", 450, 840, 690, 840},    {"Line6", "Frame1", 450, 1200, 690, 1200},
    {"Line7", "Frame1", 450, 2040, 690, 2040},  {"Line8", "Frame1", 450, 2460, 690, 2460},
    {"Line9", "Frame1", 450, 2850, 690, 2850},
};
// clang-format on

ControlId Id(const char* name) { return FindControl(name)->id; }

QRect Px(int left, int top, int width, int height) { return QRect(left / 15, top / 15, width / 15, height / 15); }

std::string ScreenshotPath(const char* name) { return std::string(GEOFRAME_SCREENSHOT_DIR) + "/" + name; }

class MainWindowTest : public ::testing::Test {
 protected:
  QWidget* W(const char* name) {
    QWidget* w = name == std::string("main") ? &window : window.findChild<QWidget*>(QString::fromUtf8(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  MainWindow window;
};

TEST_F(MainWindowTest, EveryControlStandsWhereTheLayoutPutsIt) {
  for (const Expected& e : kLayout) {
    SCOPED_TRACE(e.name);
    QWidget* w = W(e.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), W(e.container));
    EXPECT_EQ(w->geometry(), Px(e.left, e.top, e.width, e.height));
    EXPECT_EQ(window.Text(Id(e.name)), e.caption);
    EXPECT_EQ(window.Enabled(Id(e.name)), e.enabled);
    EXPECT_EQ(window.Checked(Id(e.name)), e.checked);
    EXPECT_EQ(window.Visible(Id(e.name)), std::string(e.name) != "pic_info");  // the strip waits hidden
  }
  for (const ExpectedLine& l : kLines) {
    SCOPED_TRACE(l.name);
    QWidget* w = W(l.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), W(l.container));
    EXPECT_EQ(w->geometry(), QRect(QPoint(l.x1 / 15, l.y1 / 15), QPoint(l.x2 / 15, l.y2 / 15)).normalized());
  }
}

TEST_F(MainWindowTest, WindowCaptionSizeAndIcon) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("坐标 --> 照片"));
  EXPECT_EQ(window.objectName(), QStringLiteral("main"));
  EXPECT_EQ(window.minimumSize(), QSize(898, 554));
  EXPECT_EQ(window.maximumSize(), QSize(898, 554));
  EXPECT_FALSE(window.windowIcon().pixmap(32, 32).isNull());
  const QRect screen = window.screen()->geometry();
  EXPECT_EQ(window.pos(), QPoint(screen.x() + (screen.width() - 898) / 2, screen.y() + (screen.height() - 554) / 2));
}

TEST_F(MainWindowTest, ListsHaveTheirColumns) {
  struct Columns {
    const char* list;
    const char* headers[3];
    int twips[3];
  };
  for (const Columns& c : {Columns{"ListView", {"照片名", "拍摄时间", "坐标"}, {2610, 2250, 3420}},
                           Columns{"ListGps", {"记录号", "记录时间", "坐标"}, {1050, 2250, 3450}}}) {
    SCOPED_TRACE(c.list);
    auto* tree = qobject_cast<QTreeWidget*>(W(c.list));
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->columnCount(), 3);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(tree->headerItem()->text(i), QString::fromUtf8(c.headers[i]));
      EXPECT_EQ(tree->columnWidth(i), c.twips[i] / 15);
    }
    EXPECT_EQ(tree->font().pixelSize(), 14);
    EXPECT_FALSE(tree->isSortingEnabled());
  }
}

TEST_F(MainWindowTest, FontsAskForSongtiAndFindACjkFace) {
  EXPECT_EQ(W("cmd_add")->font().pixelSize(), 12);
  EXPECT_EQ(W("txt_info")->font().pixelSize(), 16);
  EXPECT_TRUE(W("txt_info")->font().bold());
  EXPECT_TRUE(W("cmd_add")->font().families().contains(QStringLiteral("SimSun")));
  const QString face = QFontInfo(W("cmd_add")->font()).family();
  EXPECT_TRUE(face.contains(QStringLiteral("CJK")) || face.contains(QStringLiteral("SimSun")))
      << face.toStdString();
}

TEST_F(MainWindowTest, PreviewIsClippedToTheSurface) {
  RgbImage red{300, 290, std::vector<std::uint8_t>(300 * 290 * 3, 0)};
  for (std::size_t i = 0; i < red.pixels.size(); i += 3) red.pixels[i] = 255;
  window.ClearPreview();
  const PreviewPlacement at = FitPreview({300, 290});  // 0, -30, 280 x 271
  window.DrawPreview(red, at.left, at.top, at.width, at.height);
  auto* surface = static_cast<PreviewSurface*>(W("Pictemp"));
  const QImage& canvas = surface->canvas();
  ASSERT_EQ(canvas.size(), QSize(280, 210));
  EXPECT_EQ(QColor(canvas.pixel(0, 0)), QColor(255, 0, 0));
  EXPECT_EQ(QColor(canvas.pixel(279, 209)), QColor(255, 0, 0));
  window.ClearPreview();
  EXPECT_NE(QColor(canvas.pixel(140, 105)), QColor(255, 0, 0));
}

// Answers the message box the next handler shows with 是 or 确定.
void AnswerNextMessageBox() {
  QTimer::singleShot(0, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
  });
}

TEST_F(MainWindowTest, DroppedPhotosDeleteKeyAndEnterOnAButton) {
  window.show();
  testing::TempDir dir;
  testing::WriteFileBytes(dir.path() / "a.jpg", tools::MakeSamplePhoto(64, 48, 1, "2010:12:06 08:30:15"));
  testing::WriteFileBytes(dir.path() / "b.JPG", tools::MakeSamplePhoto(64, 48, 2));
  // A GBK name (照 is D5 D5), and the look-alike with U+FFFD in its place.
  testing::WriteFileBytes(dir.path() / "\xD5\xD5.jpg", tools::MakeSamplePhoto(64, 48, 2));
  testing::WriteFileBytes(dir.path() / "\xEF\xBF\xBD\xEF\xBF\xBD.jpg", tools::MakeSamplePhoto(64, 48, 2));
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.folder() + "a.jpg")),
                 QUrl::fromLocalFile(QString::fromStdString(dir.folder() + "b.JPG")),
                 QUrl::fromLocalFile(QString::fromStdString(dir.folder() + "x.png")),
                 QUrl::fromEncoded(QByteArray::fromStdString("file://" + dir.folder() + "%D5%D5.jpg"))});
  auto* tree = qobject_cast<QTreeWidget*>(W("ListView"));
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(tree->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
  AnswerNextMessageBox();
  QCoreApplication::sendEvent(tree->viewport(), &drop);
  ASSERT_EQ(window.RowCount(ListId::Photos), 3);
  EXPECT_EQ(window.Text(ControlId::pic_box), "照片列表 3张照片");
  EXPECT_EQ(window.SubItem(ListId::Photos, 1, Column::Time), "2010-12-06 08:30:15");
  EXPECT_EQ(window.logic().Photos(3).FullPath(), dir.folder() + "\xD5\xD5.jpg");

  tree->setCurrentItem(tree->topLevelItem(0));  // as the arrow keys or a click select
  EXPECT_NE(window.Text(ControlId::picture_review), "照片预览");  // the selected photo is shown
  QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  AnswerNextMessageBox();
  QCoreApplication::sendEvent(tree, &del);
  ASSERT_EQ(window.RowCount(ListId::Photos), 2);
  EXPECT_EQ(window.RowText(ListId::Photos, 1), "b.JPG");
  EXPECT_EQ(window.Text(ControlId::picture_review), "照片预览");

  QKeyEvent enterKey(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(W("tzc(0)"), &enterKey);
  EXPECT_EQ(window.Text(ControlId::tzt_0), "01");
}

// While busy the window stays open; Escape on it and a close request are
// noted, the Escape that answers a question (否) is not.
TEST_F(MainWindowTest, WhileBusyControlsIgnoreTheUserAndEscapeIsNoted) {
  window.show();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  window.BeginBusy();
  QCoreApplication::sendEvent(W("tzc(0)"), &enter);
  EXPECT_EQ(window.Text(ControlId::tzt_0), "00");
  EXPECT_EQ(window.KeepAlive(), Interruption::None);
  QCoreApplication::sendEvent(W("ListView"), &escape);
  EXPECT_EQ(window.KeepAlive(), Interruption::Escape);
  EXPECT_EQ(window.KeepAlive(), Interruption::None);  // noted once
  EXPECT_FALSE(window.close());
  QCoreApplication::sendEvent(W("ListView"), &escape);
  EXPECT_EQ(window.KeepAlive(), Interruption::Close);  // the stronger one
  EXPECT_TRUE(window.isVisible());
  QTimer::singleShot(0, [] {
    QKeyEvent answer(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(QApplication::activeModalWidget(), &answer);
  });
  EXPECT_EQ(window.ShowMessage("是否停止批处理?", MessageButtons::YesNo, MessageIcon::Question), Answer::No);
  EXPECT_EQ(window.KeepAlive(), Interruption::None);
  window.EndBusy();
  QCoreApplication::sendEvent(W("tzc(0)"), &enter);
  EXPECT_EQ(window.Text(ControlId::tzt_0), "01");
  EXPECT_TRUE(window.close());
}

void Wait(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

// Held down for a second, a step button steps about as often as a spin box
// arrow does (once after half a second, then every 150 ms or so).
TEST_F(MainWindowTest, StepButtonsRepeatWhileHeld) {
  window.show();
  QWidget* plus = W("tzc(0)");
  const QPointF middle = plus->rect().center();
  QMouseEvent press(QEvent::MouseButtonPress, middle, plus->mapToGlobal(middle), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(plus, &press);
  Wait(1000);
  QMouseEvent release(QEvent::MouseButtonRelease, middle, plus->mapToGlobal(middle), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(plus, &release);
  EXPECT_GE(std::stoi(window.Text(ControlId::tzt_0)), 3);
}

// The photo dialog opens about as large as the window, its size, type and date
// columns as wide as what they show.
TEST_F(MainWindowTest, FileDialogShowsItsColumnsWhole) {
  window.show();
  testing::TempDir dir;
  testing::WriteFileBytes(dir.path() / "IMG_0001.JPG", std::vector<std::uint8_t>(945'000, 0));
  QSize size;
  std::vector<std::pair<int, int>> widthAndNeeded;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    dialog->setDirectory(QString::fromStdString(dir.folder()));
    auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    QElapsedTimer waited;
    waited.start();
    // The size arrives from the dialog's file information thread.
    while (view != nullptr && waited.elapsed() < 5000 &&
           view->model()->data(view->model()->index(0, 1, view->rootIndex())).toString().isEmpty()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QCoreApplication::processEvents();
    size = dialog->size();
    for (int column = 1; view != nullptr && column < 4; ++column) {
      const QAbstractItemView* items = view;  // sizeHintForColumn is public here
      widthAndNeeded.emplace_back(view->header()->sectionSize(column), items->sizeHintForColumn(column));
    }
    dialog->reject();
  });
  window.logic().cmd_add_Click();
  EXPECT_GE(size.width(), 880);
  EXPECT_GE(size.height(), 540);
  ASSERT_EQ(widthAndNeeded.size(), 3u);
  for (const auto& [width, needed] : widthAndNeeded) EXPECT_GE(width, needed);
}

TEST_F(MainWindowTest, ListsScrollSidewaysOnlyWhenTheColumnsDoNotFit) {
  window.show();
  for (int i = 0; i < 40; ++i) window.AppendRow(ListId::Photos, "IMG_0001.JPG", 1);  // enough for a vertical bar
  QCoreApplication::processEvents();
  for (const char* name : {"ListView", "ListGps"}) {
    auto* tree = qobject_cast<QTreeWidget*>(W(name));
    EXPECT_FALSE(tree->horizontalScrollBar()->isVisible()) << name;
  }
}

TEST(AnyCasePatterns, GivesEveryLetterCase) {
  const QStringList forms = AnyCasePatterns({"*.jpg"});
  EXPECT_EQ(forms.size(), 8);
  for (const char* p : {"*.jpg", "*.JPG", "*.Jpg", "*.jPg", "*.jpG"}) EXPECT_TRUE(forms.contains(p)) << p;
  EXPECT_EQ(AnyCasePatterns({"*.txt", "*.name"}).size(), 8 + 16);
}

// The dialog shows bytes that are not UTF-8 as U+FFFD; a name so shown, or in
// a folder so shown, is no name to open: it may be the look-alike's.
TEST(ChosenFilesOf, GivesNamesAsBytesAndOnlyThoseItCanGive) {
  const QString lookAlike = QString(QChar::ReplacementCharacter) + ".jpg";
  const ChosenFiles inFolder = ChosenFilesOf({"/p/照片.jpg", "/p/" + lookAlike, "/q/b.jpg"});
  EXPECT_EQ(inFolder.folder, "/p/");
  EXPECT_EQ(inFolder.names, std::vector<std::string>{"照片.jpg"});
  EXPECT_EQ(inFolder.unrepresentable, std::vector<std::string>{"\xEF\xBF\xBD.jpg"});
  const ChosenFiles folderShown = ChosenFilesOf({"/p/" + lookAlike.chopped(4) + "/a.jpg"});
  EXPECT_TRUE(folderShown.names.empty());
  EXPECT_EQ(folderShown.unrepresentable, std::vector<std::string>{"a.jpg"});
}

TEST(ChineseTranslations, AreInstalled) { EXPECT_TRUE(InstallChineseTranslations(*QCoreApplication::instance())); }

// Screenshots to look at: the window as it opens, and in use with rows, a
// preview and the progress strip.
TEST(MainWindowScreenshot, SavesPngs) {
  MainWindow window;
  window.show();
  ASSERT_TRUE(window.grab().save(QString::fromStdString(ScreenshotPath("main_window.png"))));

  testing::TempDir dir;
  testing::WriteFileBytes(dir.path() / "IMG_0001.JPG", tools::MakeSamplePhoto(640, 480, 1, "2010:12:06 08:30:15"));
  window.AppendRow(ListId::Photos, "IMG_0001.JPG", 1);
  window.SetSubItem(ListId::Photos, 1, Column::Time, "2010-12-06 08:30:15");
  window.SetSubItem(ListId::Photos, 1, Column::Coordinate, "N30°15.1234',E120°30.5678'");
  window.AppendRow(ListId::Photos, "IMG_0002.JPG", 2);
  window.logic().Photos(1) = PhotoRecord{true, "IMG_0001.JPG", dir.folder(), "2010-12-06 08:30:15"};
  window.logic().ListView_ItemClick(1);
  window.AppendRow(ListId::Track, "1", 0);
  window.SetSubItem(ListId::Track, 1, Column::Time, "2010-12-06 08:30:00");
  window.SetSubItem(ListId::Track, 1, Column::Coordinate, "N30°15.1234',E120°30.5678'");
  window.logic().ShowProgress("加载照片文件", 2, 3);
  ASSERT_TRUE(window.grab().save(QString::fromStdString(ScreenshotPath("main_window_in_use.png"))));
  const auto bytes = std::filesystem::file_size(dir.path() / "IMG_0001.JPG");
  EXPECT_EQ(window.Text(ControlId::picture_review), "照片预览 (" + PreviewSizeText({640, 480}, bytes) + ")");
}

}  // namespace
}  // namespace geoframe
