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

TrackMatch MatchShownTime(std::string_view shownTime, std::string_view firstPointTime,
                          std::span<const std::int32_t> elapsed, std::int32_t tolerance) {
  std::optional<std::int32_t> seconds = SecondsBetween(firstPointTime, shownTime);
  if (!seconds) return {MatchOutcome::TimeUnusable, 0};
  return MatchElapsed(*seconds, elapsed, tolerance);
}

int StepTolerance(int value, int button) {
  switch (button) {
    case 0: return value < 591 ? value + 10 : 0;
    case 1: return value > 9 ? value - 10 : 600;
    case 2: return value < 600 ? value + 1 : 0;
    case 3: return value > 0 ? value - 1 : 600;
    default: return value;
  }
}

std::string MatchSummaryMessage(int needed, int matched) {
  return "需要添加坐标 " + std::to_string(needed) + "个;\r\n自动匹配并添加坐标 " + std::to_string(matched) +
         "个;\r\n失败(超周期或误差) " + std::to_string(needed - matched) + "个!";
}

}  // namespace geoframe
