#include "timematch/matching.h"

#include <algorithm>  // std::ranges::minmax
#include <cstdlib>    // std::llabs
#include <optional>

#include "timematch/date_time.h"

namespace geoframe {
namespace {

// 64-bit: elapsed values and photo times may lie 2^32 seconds apart.
std::int64_t Distance(std::int32_t a, std::int32_t b) {
  return std::llabs(static_cast<std::int64_t>(a) - static_cast<std::int64_t>(b));
}

// The two points on either side of a photo in the track's time order, equal
// times in table order: the first point at or after the photo, and the one
// just before it in that order.
struct Neighbours {
  std::optional<std::size_t> earlier;
  std::optional<std::size_t> later;
};

// One scan in table order finds both without sorting: the later neighbour is
// the smallest value at or after the photo (the first of equals in the table),
// the earlier the largest value before it (the last of equals).
Neighbours NeighboursInTime(std::int32_t seconds, std::span<const std::int32_t> elapsed) {
  Neighbours around;
  for (std::size_t i = 0; i < elapsed.size(); ++i) {
    if (elapsed[i] >= seconds) {
      if (!around.later || elapsed[i] < elapsed[*around.later]) around.later = i;
    } else if (!around.earlier || elapsed[i] >= elapsed[*around.earlier]) {
      around.earlier = i;
    }
  }
  return around;
}

}  // namespace

TrackMatch MatchElapsed(std::int32_t seconds, std::span<const std::int32_t> elapsed, std::int32_t tolerance) {
  if (elapsed.empty()) return {MatchOutcome::OutsidePeriod, 0};
  const auto [earliest, latest] = std::ranges::minmax(elapsed);
  if (seconds < earliest || seconds > latest) return {MatchOutcome::OutsidePeriod, 0};
  const Neighbours around = NeighboursInTime(seconds, elapsed);
  std::size_t j = *around.later;  // the latest point is at or after the photo
  if (around.earlier && Distance(elapsed[*around.earlier], seconds) < Distance(elapsed[j], seconds)) {
    j = *around.earlier;
  }
  if (Distance(elapsed[j], seconds) > tolerance) return {MatchOutcome::TooFar, j};
  return {MatchOutcome::Matched, j};
}

std::optional<TrackSpan> SpanAround(std::int32_t seconds, std::span<const std::int32_t> elapsed,
                                    std::int32_t tolerance) {
  const Neighbours around = NeighboursInTime(seconds, elapsed);
  if (!around.earlier || !around.later || elapsed[*around.later] == seconds) return std::nullopt;
  const std::int32_t from = elapsed[*around.earlier], to = elapsed[*around.later];
  if (Distance(from, seconds) > tolerance || Distance(to, seconds) > tolerance) return std::nullopt;
  const double fraction = static_cast<double>(Distance(from, seconds)) / static_cast<double>(Distance(from, to));
  return TrackSpan{*around.earlier, *around.later, fraction};
}

TrackMatch MatchShownTime(std::string_view shownTime, std::string_view firstPointTime,
                          std::span<const std::int32_t> elapsed, std::int32_t tolerance) {
  std::optional<std::int32_t> seconds = SecondsBetween(firstPointTime, shownTime);
  if (!seconds) return {MatchOutcome::TimeUnusable, 0};
  return MatchElapsed(*seconds, elapsed, tolerance);
}

int StepTolerance(int value, int button) {
  switch (button) {
    case 0: return value <= kMaxTolerance - 10 ? value + 10 : 0;
    case 1: return value > 9 ? value - 10 : kMaxTolerance;
    case 2: return value < kMaxTolerance ? value + 1 : 0;
    case 3: return value > 0 ? value - 1 : kMaxTolerance;
    default: return value;
  }
}

std::optional<int> ParseTolerance(std::string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > kMaxTolerance) return std::nullopt;
  return value;
}

}  // namespace geoframe
