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

TEST(ClockFieldText, AtLeastTwoDigits) {
  EXPECT_EQ(ClockFieldText(0), "00");
  EXPECT_EQ(ClockFieldText(7), "07");
  EXPECT_EQ(ClockFieldText(59), "59");
  EXPECT_EQ((ClockOffset{true, 1, 2, 30}).Text(), "01:02:30");
}

struct OffsetCase {
  std::string_view text;
  bool valid;
  bool subtract = false;
  int hours = 0, minutes = 0, seconds = 0;
};

class ParseClockOffsetTest : public ::testing::TestWithParam<OffsetCase> {};

TEST_P(ParseClockOffsetTest, AcceptsOnlyWhatTheFieldsCanHold) {
  const OffsetCase& c = GetParam();
  std::optional<ClockOffset> offset = ParseClockOffset(c.text);
  ASSERT_EQ(offset.has_value(), c.valid) << c.text;
  if (!offset) return;
  EXPECT_EQ(offset->subtract, c.subtract);
  EXPECT_EQ(offset->hours, c.hours);
  EXPECT_EQ(offset->minutes, c.minutes);
  EXPECT_EQ(offset->seconds, c.seconds);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseClockOffsetTest,
    ::testing::Values(OffsetCase{"+01:30:00", true, false, 1, 30, 0}, OffsetCase{"-23:59:59", true, true, 23, 59, 59},
                      OffsetCase{"+0:5:7", true, false, 0, 5, 7}, OffsetCase{"01:30:00", false},
                      OffsetCase{"+24:00:00", false}, OffsetCase{"+00:60:00", false}, OffsetCase{"-00:00:60", false},
                      OffsetCase{"+001:00:00", false}, OffsetCase{"+01:00", false}, OffsetCase{"+01:00:00:00", false},
                      OffsetCase{"+ 1:00:00", false}, OffsetCase{"+-1:00:00", false}, OffsetCase{"", false}));


}  // namespace
}  // namespace geoframe
