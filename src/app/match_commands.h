#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/main_logic.h"
#include "timematch/geo_position.h"
#include "timematch/matching.h"

namespace geoframe {

// How matching placed one photo with an EXIF time (photos without one are
// not matched and not counted).
struct PhotoMatch {
  int row = 0;
  MatchOutcome outcome = MatchOutcome::TimeUnusable;
  std::optional<GeoPosition> position;  // when matched and the track's points have numbers
};

struct MatchResult {
  std::vector<PhotoMatch> photos;  // in row order
  int needed = 0;                  // photos with an EXIF time
  int matched = 0;
};

// Gives every photo with an EXIF time the coordinate of the track point nearest
// its shown time within the tolerance; a photo that fails loses any coordinate
// it had, also one given by hand. With interpolation, a photo between two
// points that both lie within the tolerance gets the position between them in
// proportion to its time instead (its coordinate text with four decimals of
// minutes), as far as the points carry their positions as numbers.
MatchResult MatchPhotosToTrack(MainLogic& logic, std::int32_t tolerance, bool interpolate = false);

// The three-line report after automatic matching.
std::string MatchSummaryText(const MatchResult& result);

}  // namespace geoframe
