#pragma once

#include <string>
#include <vector>

#include "app/track_load.h"
#include "track/track_point.h"

namespace geoframe {

// The texts of the track list and its messages.

std::string TrackRowText(int row);  // "记录0001"
// "GPS路径" without points, else the count and the first and last times.
std::string TrackBoxCaption(const std::vector<TrackPoint>& points);
// The report after a load that read its file (Loaded), or why it could not
// (Unreadable); line breaks are CR LF.
std::string TrackLoadText(const TrackLoadOutcome& outcome);

}  // namespace geoframe
