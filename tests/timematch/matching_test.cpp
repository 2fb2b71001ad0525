#include "timematch/matching.h"

#include <gtest/gtest.h>

#include <vector>

namespace geoframe {
namespace {

struct MatchCase {
  std::int32_t seconds;
  std::int32_t tolerance;
  MatchOutcome outcome;
  std::size_t point;  // when matched or too far
};

const std::vector<std::int32_t> kTrack{0, 10, 20};

class MatchElapsedTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchElapsedTest, ChoosesNearestPointWithinPeriodAndTolerance) {
  const MatchCase& c = GetParam();
  TrackMatch m = MatchElapsed(c.seconds, kTrack, c.tolerance);
  EXPECT_EQ(m.outcome, c.outcome) << "photo at " << c.seconds << ", tolerance " << c.tolerance;
  if (m.outcome == MatchOutcome::Matched || m.outcome == MatchOutcome::TooFar) {
    EXPECT_EQ(m.point, c.point);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatchElapsedTest,
    ::testing::Values(MatchCase{0, 120, MatchOutcome::Matched, 0}, MatchCase{14, 120, MatchOutcome::Matched, 1},
                      MatchCase{15, 120, MatchOutcome::Matched, 2},  // tie: the later point
                      MatchCase{16, 120, MatchOutcome::Matched, 2}, MatchCase{20, 120, MatchOutcome::Matched, 2},
                      MatchCase{21, 120, MatchOutcome::OutsidePeriod, 0},
                      MatchCase{-1, 120, MatchOutcome::OutsidePeriod, 0},
                      MatchCase{14, 4, MatchOutcome::Matched, 1}, MatchCase{14, 3, MatchOutcome::TooFar, 1},
                      MatchCase{10, 0, MatchOutcome::Matched, 1}, MatchCase{11, 0, MatchOutcome::TooFar, 1},
                      MatchCase{5, 0, MatchOutcome::TooFar, 1}));

TEST(MatchElapsed, PeriodEndsAtLastRowNotLargestValue) {
  std::vector<std::int32_t> track{0, 100, 30};
  EXPECT_EQ(MatchElapsed(31, track, 600).outcome, MatchOutcome::OutsidePeriod);
  // 25: the first entry at or after it is 100 (distance 75), its earlier
  // neighbour 0 is closer (25); the scan never looks at 30 beyond.
  TrackMatch m = MatchElapsed(25, track, 600);
  EXPECT_EQ(m.outcome, MatchOutcome::Matched);
  EXPECT_EQ(m.point, 0u);
  // 29: the first entry at or after it is still 100, though 30 is nearer.
  EXPECT_EQ(MatchElapsed(29, track, 600).point, 0u);
}

TEST(MatchElapsed, SinglePointTrackAndExtremeValues) {
  std::vector<std::int32_t> one{0};
  EXPECT_EQ(MatchElapsed(0, one, 0).outcome, MatchOutcome::Matched);
  EXPECT_EQ(MatchElapsed(1, one, 600).outcome, MatchOutcome::OutsidePeriod);
  std::vector<std::int32_t> wide{-2147483647 - 1, 2147483647};
  TrackMatch m = MatchElapsed(0, wide, 600);
  EXPECT_EQ(m.outcome, MatchOutcome::TooFar);  // distances beyond 32 bits must not wrap
  EXPECT_EQ(MatchElapsed(5, {}, 600).outcome, MatchOutcome::OutsidePeriod);
}

TEST(MatchShownTime, MeasuresFromFirstPointTime) {
  const std::string start = "2010-12-06 16:30:00";
  EXPECT_EQ(MatchShownTime("2010-12-06 16:30:14", start, kTrack, 120).point, 1u);
  EXPECT_EQ(MatchShownTime("2010-12-06 16:29:59", start, kTrack, 120).outcome, MatchOutcome::OutsidePeriod);
  EXPECT_EQ(MatchShownTime("0000-00-00 00:00:00", start, kTrack, 120).outcome, MatchOutcome::TimeUnusable);
  EXPECT_EQ(MatchShownTime("", start, kTrack, 120).outcome, MatchOutcome::TimeUnusable);
  EXPECT_EQ(MatchShownTime("2090-12-06 16:30:14", start, kTrack, 120).outcome, MatchOutcome::TimeUnusable);
}

struct ToleranceCase {
  int button, value, result;
};

class StepToleranceTest : public ::testing::TestWithParam<ToleranceCase> {};

TEST_P(StepToleranceTest, StepsAndWraps) {
  EXPECT_EQ(StepTolerance(GetParam().value, GetParam().button), GetParam().result)
      << "button " << GetParam().button << " on " << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Cases, StepToleranceTest,
                         ::testing::Values(ToleranceCase{0, 120, 130}, ToleranceCase{0, 590, 600},
                                           ToleranceCase{0, 591, 0}, ToleranceCase{0, 595, 0},
                                           ToleranceCase{1, 120, 110}, ToleranceCase{1, 10, 0},
                                           ToleranceCase{1, 9, 600}, ToleranceCase{1, 5, 600},
                                           ToleranceCase{2, 599, 600}, ToleranceCase{2, 600, 0},
                                           ToleranceCase{3, 1, 0}, ToleranceCase{3, 0, 600}));

TEST(ParseTolerance, ZeroToSixHundred) {
  EXPECT_EQ(ParseTolerance("0"), 0);
  EXPECT_EQ(ParseTolerance("600"), 600);
  for (std::string_view text : {"601", "-1", "", "1.5", "12a", "0600"}) EXPECT_EQ(ParseTolerance(text), std::nullopt);
}


}  // namespace
}  // namespace geoframe
