// What the window's logic relies on from its toolkit, checked on both: the Qt
// window (offscreen) and MemoryToolkit, on which the handler tests and the
// command line run. A behaviour of the fake that the window lacks fails here.
#include <gtest/gtest.h>

#include <QImage>
#include <QTreeWidget>

#include <stdexcept>
#include <string>

#include "app/control_table.h"
#include "app/memory_toolkit.h"
#include "app/qt/icons.h"
#include "app/qt/main_window.h"

namespace geoframe {
namespace {

// The two toolkits, with the few things a test looks at that the logic never
// reads back (a row's icon and tool-tip).
struct Fake {
  MemoryToolkit toolkit;
  // 1 or 2 for the photo list's two icons, 0 for none.
  int Icon(ListId list, int row) { return toolkit.rows(list).at(static_cast<std::size_t>(row - 1)).icon; }
  std::string ToolTip(ListId list, int row) { return toolkit.rows(list).at(static_cast<std::size_t>(row - 1)).toolTip; }
};

struct Window {
  MainWindow toolkit;
  QTreeWidget* Tree(ListId list) {
    return static_cast<QTreeWidget*>(toolkit.control(list == ListId::Photos ? ControlId::ListView : ControlId::ListGps));
  }
  int Icon(ListId list, int row) {
    const QIcon icon = Tree(list)->topLevelItem(row - 1)->icon(0);
    if (icon.isNull()) return 0;
    const QImage shown = icon.pixmap(16, 16).toImage();
    return shown == DrawPhotoIcon(16, true).toImage() ? 1 : shown == DrawPhotoIcon(16, false).toImage() ? 2 : -1;
  }
  std::string ToolTip(ListId list, int row) { return Tree(list)->topLevelItem(row - 1)->toolTip(0).toStdString(); }
};

template <typename T>
class ToolkitContract : public ::testing::Test {
 protected:
  T subject;
  Toolkit& ui = subject.toolkit;
};

using Toolkits = ::testing::Types<Fake, Window>;
TYPED_TEST_SUITE(ToolkitContract, Toolkits);

TYPED_TEST(ToolkitContract, RowsSubItemsIconsAndSelectionAfterRemoval) {
  Toolkit& ui = this->ui;
  ui.AppendRow(ListId::Photos, "a.jpg", 1);
  ui.AppendRow(ListId::Photos, "b.jpg", 2);
  ui.AppendRow(ListId::Photos, "c.jpg", 2);
  ui.AppendRow(ListId::Track, "记录0001", 0);
  EXPECT_EQ(this->subject.Icon(ListId::Photos, 1), 1);
  EXPECT_EQ(this->subject.Icon(ListId::Photos, 2), 2);
  EXPECT_EQ(this->subject.Icon(ListId::Track, 1), 0);
  ui.SetSubItem(ListId::Photos, 2, Column::Time, "2010-12-06 08:30:15");
  ui.SetSubItem(ListId::Photos, 2, Column::Coordinate, "N30°15.1234',E120°30.5678'");
  EXPECT_EQ(ui.SubItem(ListId::Photos, 1, Column::Time), "");
  EXPECT_EQ(ui.SubItem(ListId::Photos, 2, Column::Time), "2010-12-06 08:30:15");
  EXPECT_EQ(ui.SubItem(ListId::Photos, 2, Column::Coordinate), "N30°15.1234',E120°30.5678'");
  ui.SetRowText(ListId::Photos, 3, "d.jpg");
  ui.SetRowToolTip(ListId::Photos, 3, "/p/c.jpg");
  EXPECT_EQ(this->subject.ToolTip(ListId::Photos, 3), "/p/c.jpg");
  EXPECT_EQ(ui.RowText(ListId::Photos, 3), "d.jpg");
  EXPECT_EQ(ui.SelectedRow(ListId::Photos), 0);
  ui.SelectRow(ListId::Photos, 3);
  ui.SelectRow(ListId::Photos, 2);
  EXPECT_EQ(ui.SelectedRow(ListId::Photos), 2);  // one row at a time
  EXPECT_EQ(ui.SelectedRow(ListId::Track), 0);
  ui.RemoveRow(ListId::Photos, 1);
  EXPECT_EQ(ui.RowCount(ListId::Photos), 2);
  EXPECT_EQ(ui.RowText(ListId::Photos, 1), "b.jpg");
  EXPECT_EQ(ui.SelectedRow(ListId::Photos), 1);  // the selection stays with its photo
  ui.RemoveRow(ListId::Photos, 1);
  EXPECT_EQ(ui.SelectedRow(ListId::Photos), 0);  // and does not move on to another
  ui.SelectRow(ListId::Photos, 1);
  ui.SelectRow(ListId::Photos, 0);
  EXPECT_EQ(ui.SelectedRow(ListId::Photos), 0);
  EXPECT_THROW(ui.RowText(ListId::Photos, 2), std::out_of_range);
  ui.ClearRows(ListId::Photos);
  EXPECT_EQ(ui.RowCount(ListId::Photos), 0);
  EXPECT_EQ(ui.RowCount(ListId::Track), 1);
  EXPECT_THROW(ui.RowText(ListId::Photos, 1), std::out_of_range);
}

TYPED_TEST(ToolkitContract, TextGoesWhereAControlShowsTextOnly) {
  Toolkit& ui = this->ui;
  for (const ControlSpec& spec : ControlTable()) {
    SCOPED_TRACE(std::string(spec.name));
    EXPECT_EQ(ui.Text(spec.id), HasText(spec.kind) ? std::string(spec.caption) : "");
    ui.SetText(spec.id, "照片 1");
    EXPECT_EQ(ui.Text(spec.id), HasText(spec.kind) ? "照片 1" : "");
  }
}

TYPED_TEST(ToolkitContract, OptionButtonsOfAFrameFormOneGroupCheckBoxesDoNot) {
  Toolkit& ui = this->ui;
  EXPECT_TRUE(ui.Checked(ControlId::Op_time));
  ui.SetChecked(ControlId::Op_incre, true);
  EXPECT_FALSE(ui.Checked(ControlId::Op_time));
  ui.SetChecked(ControlId::Op_time, true);
  EXPECT_FALSE(ui.Checked(ControlId::Op_incre));
  ui.SetChecked(ControlId::Ck_frame, true);
  ui.SetChecked(ControlId::Ck_gps, true);
  EXPECT_TRUE(ui.Checked(ControlId::Ck_frame));
  EXPECT_TRUE(ui.Checked(ControlId::Op_time));
  EXPECT_FALSE(ui.Checked(ControlId::cmd_make));  // a plain button is never checked
}

TYPED_TEST(ToolkitContract, EnabledVisibleAndWidthAreEachControlsOwn) {
  Toolkit& ui = this->ui;
  ui.SetEnabled(ControlId::tzbox, false);
  EXPECT_FALSE(ui.Enabled(ControlId::tzbox));
  EXPECT_TRUE(ui.Enabled(ControlId::tz_f));  // its container's state is not its own
  EXPECT_FALSE(ui.Enabled(ControlId::tzt_0));
  ui.SetEnabled(ControlId::tzbox, true);
  EXPECT_FALSE(ui.Visible(ControlId::pic_info));
  ui.SetVisible(ControlId::pic_info, true);
  EXPECT_TRUE(ui.Visible(ControlId::pic_info));
  EXPECT_TRUE(ui.Visible(ControlId::txt_info));
  ui.SetWidthTwips(ControlId::sp_info, 1980);
  EXPECT_EQ(ui.WidthTwips(ControlId::sp_info), 1980);
}

}  // namespace
}  // namespace geoframe
