#pragma once

#include <chrono>

namespace geoframe {

// Track times are shown and matched in local time: the receiver's UTC plus 8
// hours (China Standard Time, which keeps no daylight saving). Both track
// readers, NMEA and GPX, take the offset from here.
inline constexpr std::chrono::hours kLocalOffset{8};

}  // namespace geoframe
