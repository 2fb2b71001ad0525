#include "timematch/date_time.h"

#include <gtest/gtest.h>

namespace geoframe {
namespace {

struct NumberCase {
  std::string_view text;
  std::optional<std::int32_t> value;
};

class WholeNumber32Test : public ::testing::TestWithParam<NumberCase> {};

TEST_P(WholeNumber32Test, ReadsRoundedOrFails) {
  EXPECT_EQ(ReadWholeNumber32(GetParam().text), GetParam().value) << "text: '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WholeNumber32Test,
    ::testing::Values(NumberCase{"0", 0}, NumberCase{"07", 7}, NumberCase{"  42 ", 42}, NumberCase{"\t5\t", 5},
                      NumberCase{"+12", 12}, NumberCase{"-12", -12},
                      // half to even, and a half only when every later digit is zero
                      NumberCase{"2.5", 2}, NumberCase{"3.5", 4}, NumberCase{"-2.5", -2}, NumberCase{"-3.5", -4},
                      NumberCase{"2.500", 2}, NumberCase{"2.5001", 3}, NumberCase{"2.49999", 2},
                      NumberCase{"0.5", 0}, NumberCase{"1.5", 2}, NumberCase{".7", 1}, NumberCase{"4.", 4},
                      NumberCase{"2147483647", 2147483647}, NumberCase{"-2147483648", -2147483647 - 1},
                      NumberCase{"2147483647.4", 2147483647},
                      // beyond the width, or not a number at all
                      NumberCase{"2147483648", std::nullopt}, NumberCase{"2147483647.5", std::nullopt},
                      NumberCase{"99999999999999999999999", std::nullopt}, NumberCase{"", std::nullopt},
                      NumberCase{"   ", std::nullopt}, NumberCase{"-", std::nullopt}, NumberCase{".", std::nullopt},
                      NumberCase{"--1", std::nullopt}, NumberCase{"+-1", std::nullopt},
                      NumberCase{"1 2", std::nullopt}, NumberCase{"- 1", std::nullopt},
                      NumberCase{"1e3", std::nullopt}, NumberCase{"0x10", std::nullopt},
                      NumberCase{"1.2.3", std::nullopt}, NumberCase{"12a", std::nullopt}));

TEST(WholeNumber16, FailsBeyondSixteenBits) {
  EXPECT_EQ(ReadWholeNumber16("32767"), 32767);
  EXPECT_EQ(ReadWholeNumber16("-32768"), -32768);
  EXPECT_EQ(ReadWholeNumber16("32767.5"), std::nullopt);  // rounds to 32768
  EXPECT_EQ(ReadWholeNumber16("32768"), std::nullopt);
  EXPECT_EQ(ReadWholeNumber16("-32769"), std::nullopt);
}

TEST(SplitDateTime, ReadsSixNumbers) {
  std::optional<DateTimeParts> p = SplitDateTime("2010-12-06 08:30:15");
  ASSERT_TRUE(p);
  EXPECT_EQ(JoinDateTime(*p), "2010-12-06 08:30:15");
  EXPECT_EQ(p->Year, 2010);
  EXPECT_EQ(p->Second, 15);
  // Not checked against the calendar, and further parts are ignored.
  p = SplitDateTime("2010-13-45 99:99:99 extra-1-2");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Month, 13);
  EXPECT_EQ(p->Hour, 99);
}

TEST(SplitDateTime, FailsOnMissingOrNonNumericPart) {
  for (std::string_view text : {"", "2010-12-06", "2010-12 08:30:15", "2010-12-06 08:30", "2010-12-06  08:30:15",
                                "2010-12-xx 08:30:15", "2010-12-06 08:30:", "99999-01-01 00:00:00"}) {
    EXPECT_FALSE(SplitDateTime(text)) << text;
  }
}

TEST(JoinDateTime, PadsButKeepsLongerNumbers) {
  EXPECT_EQ(JoinDateTime({2010, 1, 2, 3, 4, 5}), "2010-01-02 03:04:05");
  EXPECT_EQ(JoinDateTime({100, 1, 1, 0, 0, 0}), "0100-01-01 00:00:00");
  EXPECT_EQ(JoinDateTime({12345, 123, 1, 0, 0, 0}), "12345-123-01 00:00:00");
}

TEST(IsValidDateTime, AcceptsRealDaysAndTimesOnly) {
  for (std::string_view text : {"2010-12-06 08:30:15", "2012-02-29 00:00:00", "2000-02-29 23:59:59",
                                "0100-01-01 00:00:00", "9999-12-31 23:59:59", "2010-1-6 8:3:5"}) {
    EXPECT_TRUE(IsValidDateTime(text)) << text;
  }
  for (std::string_view text :
       {"", "0000-00-00 00:00:00", "2011-02-29 00:00:00", "1900-02-29 12:00:00", "2010-04-31 00:00:00",
        "2010-13-01 00:00:00", "2010-12-06 24:00:00", "2010-12-06 08:60:00", "2010-12-06 08:30:60",
        "0099-12-31 23:59:59", "2010:12:06 08:30:15", " 2010-12-06 08:30:15", "2010-12-06 08:30:15 ",
        "2010-12-06T08:30:15", "2010-12-06 08:30:15.5", "2010-+1-06 08:30:15", "210-12-06 08:30:15"}) {
    EXPECT_FALSE(IsValidDateTime(text)) << text;
  }
}

struct ShiftCase {
  std::string_view time, offset;
  bool negate;
  std::optional<std::string> result;
};

class ShiftDateTimeTest : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(ShiftDateTimeTest, Shifts) {
  const ShiftCase& c = GetParam();
  EXPECT_EQ(ShiftDateTime(c.time, c.offset, c.negate), c.result) << c.time << " by " << c.offset;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShiftDateTimeTest,
    ::testing::Values(
        ShiftCase{"2010-12-06 08:30:15", "08:00:00", false, "2010-12-06 16:30:15"},
        ShiftCase{"2010-12-31 20:00:00", "08:00:00", false, "2011-01-01 04:00:00"},
        ShiftCase{"2012-02-28 20:00:00", "08:00:00", false, "2012-02-29 04:00:00"},
        ShiftCase{"2011-02-28 20:00:00", "08:00:00", false, "2011-03-01 04:00:00"},
        ShiftCase{"2010-12-06 16:00:00", "08:00:00", false, "2010-12-07 00:00:00"},
        ShiftCase{"2010-01-01 01:00:00", "01:30:00", true, "2009-12-31 23:30:00"},
        ShiftCase{"2011-01-01 00:10:00", "00:30:00", true, "2010-12-31 23:40:00"},
        ShiftCase{"2010-1-6 8:3:5", "00:00:00", false, "2010-01-06 08:03:05"},
        ShiftCase{"2010-12-06 08:30:15", "0:0:3600", false, "2010-12-06 09:30:15"},
        ShiftCase{"2010-12-06 08:30:15", "-1:00:00", false, "2010-12-06 07:30:15"},
        ShiftCase{"2010-12-06 08:30:15", "08:00:00:99", false, "2010-12-06 16:30:15"},  // extra part ignored
        ShiftCase{"2010-12-06 08:30:15", " 1.5 :0:0", false, "2010-12-06 10:30:15"},    // 1.5 rounds to 2
        ShiftCase{"9999-12-31 23:59:59", "0:0:0", true, "9999-12-31 23:59:59"},
        // failures: offset shape, signed part negated, invalid time, years left
        ShiftCase{"2010-12-06 08:30:15", "08:00", false, std::nullopt},
        ShiftCase{"2010-12-06 08:30:15", "08:xx:00", false, std::nullopt},
        ShiftCase{"2010-12-06 08:30:15", "-1:00:00", true, std::nullopt},
        ShiftCase{"2010-02-30 08:30:15", "01:00:00", false, std::nullopt},
        ShiftCase{"0000-00-00 00:00:00", "01:00:00", false, std::nullopt},
        ShiftCase{"9999-12-31 23:59:59", "0:0:1", false, std::nullopt},
        ShiftCase{"0100-01-01 00:00:00", "0:0:1", true, std::nullopt},
        ShiftCase{"2010-12-06 08:30:15", "2147483647:0:0", false, std::nullopt},
        ShiftCase{"2010-12-06 08:30:15", "2147483647:0:0", true, std::nullopt}));

struct BetweenCase {
  std::string_view from, to;
  std::optional<std::int32_t> seconds;
};

class SecondsBetweenTest : public ::testing::TestWithParam<BetweenCase> {};

TEST_P(SecondsBetweenTest, Counts) {
  EXPECT_EQ(SecondsBetween(GetParam().from, GetParam().to), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SecondsBetweenTest,
    ::testing::Values(BetweenCase{"2010-12-06 16:30:15", "2010-12-06 16:29:15", -60},
                      BetweenCase{"2010-12-06 16:30:15", "2010-12-06 16:30:15", 0},
                      BetweenCase{"2012-02-28 00:00:00", "2012-03-01 00:00:00", 2 * 86400},
                      BetweenCase{"2010-12-31 23:59:59", "2011-01-01 00:00:00", 1},
                      BetweenCase{"1970-01-01 00:00:00", "2038-01-19 03:14:07", 2147483647},
                      BetweenCase{"2038-01-19 03:14:08", "1970-01-01 00:00:00", -2147483647 - 1},
                      BetweenCase{"1970-01-01 00:00:00", "2038-01-19 03:14:08", std::nullopt},
                      BetweenCase{"2010-12-06 16:30:15", "2010-12-32 16:30:15", std::nullopt},
                      BetweenCase{"", "2010-12-06 16:30:15", std::nullopt}));

}  // namespace
}  // namespace geoframe
