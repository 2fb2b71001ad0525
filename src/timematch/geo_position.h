#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace geoframe {

// An angle exactly as a log wrote it: whole degrees and the minutes as a
// count of 10^-scale minutes (30°15.1234' is 30, 151234, 4), so that a decimal
// fraction of the log never passes through binary rounding.
struct Angle {
  std::uint32_t degrees = 0;
  std::uint64_t minuteUnits = 0;
  int scale = 0;  // decimals of the minutes, 0..kMaxMinuteScale

  bool operator==(const Angle&) const = default;
};

inline constexpr int kMaxMinuteScale = 15;

// Where and when a receiver was: the hemisphere letters, the angles and the
// time in UTC (not the shown local time).
struct GeoPosition {
  char latitudeRef = 'N';  // N or S
  Angle latitude;
  char longitudeRef = 'E';  // E or W
  Angle longitude;
  std::chrono::sys_seconds utc{};

  bool operator==(const GeoPosition&) const = default;
};

// An angle from decimal minutes as NMEA writes them, degrees and minutes run
// together ("3015.1234": two digits of minutes before the point); nothing when
// the text is not such a number, the minutes reach 60 or the degrees maxDegrees.
std::optional<Angle> AngleFromNmea(std::string_view field, std::uint32_t maxDegrees);

// An angle from decimal degrees without sign ("30.252056"); nothing when the
// text is not such a number or exceeds maxDegrees.
std::optional<Angle> AngleFromDegrees(std::string_view whole, std::string_view fraction, std::uint32_t maxDegrees);

// The angle in degrees, negative in the south and the west.
double SignedDegrees(char ref, const Angle& angle);

// The position a fraction (0..1) of the way in time from a to b: latitude and
// longitude linearly, the longitude the short way (across the antimeridian
// when that is shorter), the time rounded to the second.
GeoPosition Interpolate(const GeoPosition& a, const GeoPosition& b, double fraction);

// The coordinate text with four decimals of minutes, e.g. N30°15.1234',E120°30.5678'.
std::string CoordinateText(const GeoPosition& position);

}  // namespace geoframe
