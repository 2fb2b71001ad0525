#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "track/track_point.h"

namespace geoframe {

// A GPX angle in decimal degrees ("30.252056667", "-120.5094") as the track's
// coordinate text: the hemisphere letter (positive / negative), the degrees
// zero-padded to degreeDigits as NMEA writes them, and the minutes rounded to
// four decimals, a rounding up to 60 minutes carrying into the degrees
// ("N30°15.1234'"). Worked on the decimal digits, so no binary rounding shows.
// Nothing when the text is not a plain decimal number or exceeds maxDegrees.
std::optional<std::string> DecimalDegreesText(std::string_view value, int degreeDigits, int maxDegrees,
                                              char positive, char negative);

// A GPX (ISO 8601) time, "2010-12-06T08:30:15Z" with an optional fraction and
// an optional zone offset instead of the Z (no zone counts as UTC), as the
// track's local date-time text: UTC plus 8 hours, the fraction dropped as it is
// for NMEA times. Nothing when the text is not such a time or names no real day
// or time.
std::optional<std::string> GpxLocalTime(std::string_view text);

// The point of a GPX trkpt from its lat and lon attributes and its time, as an
// NMEA sentence with the same values would give it; nothing when any of them
// is unusable. ElapsedSeconds is 0 here.
std::optional<TrackPoint> GpxTrackPoint(std::string_view lat, std::string_view lon, std::string_view time);

}  // namespace geoframe
