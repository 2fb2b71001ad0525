#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "timematch/geo_position.h"

namespace geoframe {

// One point of a GPS track. The window's table holds empty points (both texts
// empty) in the entries beyond the loaded track.
struct TrackPoint {
  std::string PointTime;   // local date-time text: UTC plus 8 hours
  std::string Coordinate;  // e.g. N30°15.1234',E120°30.5678'
  std::int32_t ElapsedSeconds = 0;  // seconds since the track's first point
  // The same place and time as numbers, exactly as the log gave them; nothing
  // when the log's angles are not plain decimal numbers.
  std::optional<GeoPosition> Position;

  bool operator==(const TrackPoint&) const = default;
};

// The window holds at most this many track points.
inline constexpr int kMaxTrackPoints = 1999;

}  // namespace geoframe
