#include <gtest/gtest.h>

#include "app/main_logic.h"
#include "app/memory_toolkit.h"

namespace geoframe {
namespace {

struct ProgressCase {
  std::int32_t current, total;
  std::string text;
  int barTwips;
};

class ShowProgressTest : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ShowProgressTest, ShowsTruncatedPercentAndBar) {
  MemoryToolkit ui;
  MainLogic logic(ui);
  const ProgressCase& c = GetParam();
  logic.ShowProgress("加载照片文件", c.current, c.total);
  EXPECT_TRUE(ui.Visible(ControlId::pic_info));
  EXPECT_EQ(ui.Text(ControlId::txt_info), c.text);
  EXPECT_EQ(ui.WidthTwips(ControlId::sp_info), c.barTwips);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShowProgressTest,
                         ::testing::Values(ProgressCase{0, 5, "加载照片文件 0%", 0},
                                           ProgressCase{1, 3, "加载照片文件 33%", 1980},
                                           ProgressCase{2, 3, "加载照片文件 66%", 3960},
                                           ProgressCase{5, 5, "加载照片文件 100%", 6000},
                                           // current x 100 beyond 32 bits must not wrap
                                           ProgressCase{30000000, 30000000, "加载照片文件 100%", 6000}));

TEST(ShowProgress, TotalZeroShowsStripWithoutChangingIt) {
  MemoryToolkit ui;
  MainLogic logic(ui);
  logic.ShowProgress("批量编辑 ", 1, 2);
  logic.ShowProgress("other", 0, 0);
  EXPECT_TRUE(ui.Visible(ControlId::pic_info));
  EXPECT_EQ(ui.Text(ControlId::txt_info), "批量编辑  50%");
  EXPECT_EQ(ui.WidthTwips(ControlId::sp_info), 3000);
}

TEST(ShowProgress, EmptyCaptionHidesAndKeepsLastState) {
  MemoryToolkit ui;
  MainLogic logic(ui);
  EXPECT_FALSE(ui.Visible(ControlId::pic_info));
  logic.ShowProgress("加载照片文件", 1, 2);
  logic.ShowProgress("", 0, 0);
  EXPECT_FALSE(ui.Visible(ControlId::pic_info));
  EXPECT_EQ(ui.Text(ControlId::txt_info), "加载照片文件 50%");
  EXPECT_EQ(ui.progressFrames().back(), "加载照片文件 50%|3000|hidden");
}

}  // namespace
}  // namespace geoframe
