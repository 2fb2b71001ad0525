#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "track/track_point.h"

namespace geoframe {

// One NMEA angle field (degrees and minutes run together, e.g. 3015.1234) as
// degrees°minutes' text (30°15.1234'). Fails when the field has fewer than 7
// characters. The minutes are the two digits before the decimal point and
// everything after it, so 3015.12345 gives 30°15.12345'; a field without a
// point or without two digits before it takes its last 7 characters as the
// minutes.
std::optional<std::string> FormatCoordinate(std::string_view field);

// A "$GPRMC" sentence with a valid fix ("A") as a point at local time (UTC plus
// 8 hours); nothing for any other line. A sentence that ends in a checksum
// ("*hh") gives a point only when the checksum matches; one without is taken
// as it stands. The point's fields must hold what a receiver writes: a time
// hhmmss[.fff] and date ddmmyy that name a real moment, a latitude ddmm.mmmm
// and longitude dddmm.mmmm (minutes below 60, at most 90 and 180 degrees) and
// the hemisphere letters N/S and E/W. ElapsedSeconds is always 0 here.
std::optional<TrackPoint> ParseGpsLine(std::string_view line);

}  // namespace geoframe
