#include "track/track_log.h"

#include <cstdint>
#include <optional>
#include <utility>  // std::move

#include "timematch/date_time.h"
#include "track/gps_line.h"

namespace geoframe {

bool AddTrackPoint(TrackLog& log, TrackPoint point, std::size_t maxPoints) {
  if (log.truncated) return false;
  if (!log.points.empty()) {
    const std::optional<std::int32_t> elapsed = SecondsBetween(log.points.front().PointTime, point.PointTime);
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
