#include "timematch/matching.h"

#include <cstdlib>  // std::llabs

#include "timematch/date_time.h"

namespace geoframe {
namespace {

// 64-bit: elapsed values and photo times may lie 2^32 seconds apart.
std::int64_t Distance(std::int32_t a, std::int32_t b) {
  return std::llabs(static_cast<std::int64_t>(a) - static_cast<std::int64_t>(b));
}

}  // namespace

TrackMatch MatchElapsed(std::int32_t seconds, std::span<const std::int32_t> elapsed, std::int32_t tolerance) {
  if (elapsed.empty() || seconds < 0 || seconds > elapsed.back()) return {MatchOutcome::OutsidePeriod, 0};
  // A linear scan in table order: the track need not be sorted, and the first
  // entry at or after the photo is the one wanted.
  std::size_t j = 0;
  while (elapsed[j] < seconds) ++j;  // stops at the last entry at the latest
  if (j > 0 && Distance(elapsed[j - 1], seconds) < Distance(elapsed[j], seconds)) --j;
  if (Distance(elapsed[j], seconds) > tolerance) return {MatchOutcome::TooFar, j};
  return {MatchOutcome::Matched, j};
}

std::optional<TrackSpan> SpanAround(std::int32_t seconds, std::span<const std::int32_t> elapsed,
                                    std::int32_t tolerance) {
  if (elapsed.empty() || seconds <= 0 || seconds >= elapsed.back()) return std::nullopt;
  std::size_t after = 0;
  while (elapsed[after] < seconds) ++after;
  if (after == 0 || elapsed[after] == seconds) return std::nullopt;
  const std::int32_t from = elapsed[after - 1], to = elapsed[after];
  if (Distance(from, seconds) > tolerance || Distance(to, seconds) > tolerance) return std::nullopt;
  const double fraction = static_cast<double>(Distance(from, seconds)) / static_cast<double>(Distance(from, to));
  return TrackSpan{after - 1, fraction};
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
