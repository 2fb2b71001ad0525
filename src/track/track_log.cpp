#include "track/track_log.h"

#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>  // std::move

#include "track/gps_line.h"

namespace geoframe {

namespace {

namespace chr = std::chrono;

// The moment a "YYYY-MM-DD HH:MM:SS" text names, read at its fixed places.
// Points get their times from the readers in exactly this form, so this is the
// date-time difference of the time texts without their general parsing, which
// would be half the work of loading a log. Nothing for any other text.
std::optional<chr::sys_seconds> MomentOf(std::string_view text) {
  constexpr std::string_view kShape = "dddd-dd-dd dd:dd:dd";
  if (text.size() != kShape.size()) return std::nullopt;
  int numbers[6] = {};
  int n = 0;
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const char c = text[i];
    if (kShape[i] != 'd') {
      if (c != kShape[i]) return std::nullopt;
      ++n;
    } else if (c < '0' || c > '9') {
      return std::nullopt;
    } else {
      numbers[n] = numbers[n] * 10 + (c - '0');
    }
  }
  const chr::year_month_day date{chr::year{numbers[0]}, chr::month{static_cast<unsigned>(numbers[1])},
                                 chr::day{static_cast<unsigned>(numbers[2])}};
  if (!date.ok() || numbers[3] > 23 || numbers[4] > 59 || numbers[5] > 59) return std::nullopt;
  return chr::sys_days{date} + chr::hours{numbers[3]} + chr::minutes{numbers[4]} + chr::seconds{numbers[5]};
}

// Seconds from the first time to the second, when both are times and the
// difference fits 32 bits.
std::optional<std::int32_t> SecondsFromTo(std::string_view from, std::string_view to) {
  const std::optional<chr::sys_seconds> start = MomentOf(from), end = MomentOf(to);
  if (!start || !end) return std::nullopt;
  const std::int64_t seconds = (*end - *start).count();
  if (seconds < std::numeric_limits<std::int32_t>::min() || seconds > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(seconds);
}

}  // namespace

bool AddTrackPoint(TrackLog& log, TrackPoint point, std::size_t maxPoints) {
  if (log.truncated) return false;
  if (!log.points.empty()) {
    const std::optional<std::int32_t> elapsed = SecondsFromTo(log.points.front().PointTime, point.PointTime);
    if (!elapsed) return true;
    point.ElapsedSeconds = *elapsed;
  }
  if (log.points.size() >= maxPoints) {
    log.truncated = true;
    return false;
  }
  log.points.push_back(std::move(point));
  return true;
}

NmeaTrackReader::NmeaTrackReader(std::size_t maxPoints)
    : maxPoints_(maxPoints), lines_(kMaxLogLineLength, [this](std::string_view line) { return TakeLine(line); }) {}

bool NmeaTrackReader::Feed(std::string_view bytes) { return lines_.Feed(bytes); }

TrackLog NmeaTrackReader::Finish() {
  lines_.Finish();
  return std::move(log_);
}

bool NmeaTrackReader::TakeLine(std::string_view line) {
  std::optional<TrackPoint> point = ParseGpsLine(line);
  if (!point) return true;
  return AddTrackPoint(log_, std::move(*point), maxPoints_);
}

TrackLog ParseTrackLog(std::string_view text, std::size_t maxPoints) {
  NmeaTrackReader reader(maxPoints);
  reader.Feed(text);
  return reader.Finish();
}

}  // namespace geoframe
