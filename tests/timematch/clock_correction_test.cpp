#include "timematch/clock_correction.h"

#include <gtest/gtest.h>

namespace geoframe {
namespace {

struct StepCase {
  int button, value, result;
};

class StepClockFieldTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepClockFieldTest, StepsAndWraps) {
  EXPECT_EQ(StepClockField(GetParam().value, GetParam().button), GetParam().result)
      << "button " << GetParam().button << " on " << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Cases, StepClockFieldTest,
                         ::testing::Values(StepCase{0, 0, 1}, StepCase{0, 22, 23}, StepCase{0, 23, 0},
                                           StepCase{1, 58, 59}, StepCase{1, 59, 0}, StepCase{2, 59, 0},
                                           StepCase{3, 1, 0}, StepCase{3, 0, 23}, StepCase{4, 0, 59},
                                           StepCase{5, 0, 59}, StepCase{5, 30, 29},
                                           // a value beyond the field's range steps back into it
                                           StepCase{0, 99, 0}, StepCase{3, -5, 23}));

TEST(ClockCorrectionTexts, FieldsAndMessage) {
  EXPECT_EQ(ClockFieldText(0), "00");
  EXPECT_EQ(ClockFieldText(7), "07");
  EXPECT_EQ(ClockFieldText(59), "59");
  EXPECT_EQ(ClockCorrectionMessage(false, "01:30:00", 0), "修正相机时间: +01:30:00");
  EXPECT_EQ(ClockCorrectionMessage(true, "00:05:00", 0), "修正相机时间: -00:05:00");
  EXPECT_EQ(ClockCorrectionMessage(false, "08:00:00", 2),
            "修正相机时间: +08:00:00\r\n有 2 张照片的拍摄时间无效, 未能修正。");
}

}  // namespace
}  // namespace geoframe
