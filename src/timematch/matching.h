#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace geoframe {

// How placing one photo on the track ended.
enum class MatchOutcome {
  Matched,        // a point lies within the tolerance
  OutsidePeriod,  // before the earliest point or after the latest
  TooFar,         // the nearest point is further away than the tolerance
  TimeUnusable,   // the shown time is not a valid date-time (or too far off for 32-bit seconds)
};

struct TrackMatch {
  MatchOutcome outcome = MatchOutcome::TimeUnusable;
  std::size_t point = 0;  // index into the elapsed values of the chosen point, when Matched
};

// The point for a photo at `seconds` on the track's elapsed scale. The points
// are taken in time order (equal times in table order), whatever order the
// table holds them in, so that one point with a wrong date does not hide the
// points after it. The period runs from the earliest point to the latest. The
// first point in time order at or after the photo is taken, or the one before
// it when that is strictly closer; it matches when its distance is at most the
// tolerance. The index is the chosen point's place in the table.
TrackMatch MatchElapsed(std::int32_t seconds, std::span<const std::int32_t> elapsed, std::int32_t tolerance);

// The same for a photo's shown time, measured from the first point's time.
TrackMatch MatchShownTime(std::string_view shownTime, std::string_view firstPointTime,
                          std::span<const std::int32_t> elapsed, std::int32_t tolerance);

// A photo strictly between two points of the track in time: the point before
// it, the one after it, and how far (0..1) it lies from the first to the
// second.
struct TrackSpan {
  std::size_t earlier = 0;
  std::size_t later = 0;
  double fraction = 0;
};

// The points around a photo at `seconds` in the track's time order (as
// MatchElapsed finds them), when both lie within the tolerance of it. Nothing
// when the photo is outside the period, falls on a point's own time, or either
// neighbour is too far; the nearest point is then the match.
std::optional<TrackSpan> SpanAround(std::int32_t seconds, std::span<const std::int32_t> elapsed,
                                    std::int32_t tolerance);

// The matching tolerance is 0..600 seconds; the window starts at 120.
inline constexpr int kMaxTolerance = 600;
inline constexpr int kDefaultTolerance = 120;

// The tolerance step buttons: 0 is +10, 1 is -10, 2 is +1, 3 is -1; the value
// stays within 0..600 and wraps around (595 + 10 gives 0, 5 - 10 gives 600).
int StepTolerance(int value, int button);

// A tolerance written as whole seconds (at most three digits) within 0..600;
// nothing otherwise.
std::optional<int> ParseTolerance(std::string_view text);

}  // namespace geoframe
