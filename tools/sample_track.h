#pragma once

#include <string>

namespace geoframe::tools {

// An NMEA log of `points` "$GPRMC" sentences with a valid fix, one every
// stepSeconds from firstLocalTime ("YYYY-MM-DD HH:MM:SS", UTC+8 as the program
// shows track times), walking north-east from the West Lake in Hangzhou.
// Lines end in CR LF as receivers write them. Empty for a malformed time.
std::string MakeSampleTrack(const std::string& firstLocalTime, int points, int stepSeconds);

}  // namespace geoframe::tools
