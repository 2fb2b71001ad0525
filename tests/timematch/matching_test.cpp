#include "timematch/matching.h"

#include <gtest/gtest.h>

#include <algorithm>  // std::ranges::is_sorted
#include <cstdlib>    // std::abs
#include <filesystem>
#include <vector>

#include "test_support.h"
#include "track/track_file.h"

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

TEST(MatchElapsed, TakesPointsInTimeOrderWhateverTheTableOrder) {
  // The third point was written a GPS week ahead; the points after it still match.
  const std::vector<std::int32_t> weekAhead{0, 10, 604810, 20, 30};
  EXPECT_EQ(MatchElapsed(24, weekAhead, 120).point, 3u);
  EXPECT_EQ(MatchElapsed(25, weekAhead, 120).point, 4u);  // tie: the later point
  EXPECT_EQ(MatchElapsed(31, weekAhead, 120).point, 4u);
  EXPECT_EQ(MatchElapsed(1000, weekAhead, 120).outcome, MatchOutcome::TooFar);
  EXPECT_EQ(MatchElapsed(604811, weekAhead, 120).outcome, MatchOutcome::OutsidePeriod);
  // The period runs from the earliest point, here one before the table's first.
  const std::vector<std::int32_t> earlyLast{0, 100, -5};
  EXPECT_EQ(MatchElapsed(-3, earlyLast, 120).point, 2u);
  EXPECT_EQ(MatchElapsed(-6, earlyLast, 120).outcome, MatchOutcome::OutsidePeriod);
  EXPECT_EQ(MatchElapsed(60, earlyLast, 120).point, 1u);
  // Equal times stay in table order: at or after the photo the first of them,
  // before it the last of them.
  const std::vector<std::int32_t> equal{0, 10, 10, 20, 10};
  EXPECT_EQ(MatchElapsed(10, equal, 120).point, 1u);
  EXPECT_EQ(MatchElapsed(9, equal, 120).point, 1u);
  EXPECT_EQ(MatchElapsed(12, equal, 120).point, 4u);
}

// The nearest point as the table-order scan finds it: the first entry at or
// after the photo, or the one before it when strictly closer; the period ends
// at the last entry. For a track in time order this is the nearest point in time.
TrackMatch MatchInTableOrder(std::int32_t seconds, const std::vector<std::int32_t>& elapsed, std::int32_t tolerance) {
  if (seconds < 0 || seconds > elapsed.back()) return {MatchOutcome::OutsidePeriod, 0};
  std::size_t j = 0;
  while (elapsed[j] < seconds) ++j;
  if (j > 0 && seconds - elapsed[j - 1] < elapsed[j] - seconds) --j;
  return {std::abs(elapsed[j] - seconds) <= tolerance ? MatchOutcome::Matched : MatchOutcome::TooFar, j};
}

TEST(MatchElapsed, RealLogsInTimeOrderMatchAsInTableOrder) {
  int compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testing::TestDataDir() / "nmea")) {
    if (entry.path().extension() != ".log") continue;
    std::vector<std::int32_t> elapsed;
    for (const TrackPoint& point : ReadTrackFile(entry.path().string()).log.points) {
      elapsed.push_back(point.ElapsedSeconds);
    }
    if (elapsed.empty() || !std::ranges::is_sorted(elapsed)) continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++compared;
    for (std::int32_t seconds = -2; seconds <= elapsed.back() + 2; ++seconds) {
      for (std::int32_t tolerance : {0, 1, 120}) {
        const TrackMatch expected = MatchInTableOrder(seconds, elapsed, tolerance);
        const TrackMatch match = MatchElapsed(seconds, elapsed, tolerance);
        ASSERT_EQ(match.outcome, expected.outcome) << "photo at " << seconds << ", tolerance " << tolerance;
        ASSERT_EQ(match.point, expected.point) << "photo at " << seconds;
      }
    }
  }
  EXPECT_GE(compared, 7);  // the logs with a fix, but for one written in two pieces out of order
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

TEST(SpanAround, BetweenTwoPointsWithinTheTolerance) {
  struct Case {
    std::vector<std::int32_t> track;
    std::int32_t seconds, tolerance;
    std::optional<TrackSpan> span;
  };
  const std::vector<std::int32_t> unsorted{0, 20, 10};
  for (const Case& c : {Case{kTrack, 14, 120, TrackSpan{1, 2, 0.4}}, Case{kTrack, 5, 5, TrackSpan{0, 1, 0.5}},
                        Case{kTrack, 14, 6, TrackSpan{1, 2, 0.4}},
                        Case{kTrack, 14, 5, std::nullopt},  // the later point is 6 s away
                        Case{kTrack, 10, 120, std::nullopt},  // on a point: that point
                        Case{kTrack, 0, 120, std::nullopt}, Case{kTrack, 20, 120, std::nullopt},
                        Case{kTrack, 21, 120, std::nullopt}, Case{kTrack, -1, 120, std::nullopt},
                        Case{unsorted, 14, 120, TrackSpan{2, 1, 0.4}}}) {  // neighbours in time, not in the table
    const std::optional<TrackSpan> span = SpanAround(c.seconds, c.track, c.tolerance);
    ASSERT_EQ(span.has_value(), c.span.has_value()) << c.seconds << " within " << c.tolerance;
    if (!span) continue;
    EXPECT_EQ(span->earlier, c.span->earlier) << c.seconds;
    EXPECT_EQ(span->later, c.span->later) << c.seconds;
    EXPECT_DOUBLE_EQ(span->fraction, c.span->fraction) << c.seconds;
  }
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
