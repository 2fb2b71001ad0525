#pragma once

#include <string>

#include "app/main_logic.h"
#include "timematch/clock_correction.h"

namespace geoframe {

// What a clock correction did to the photo list.
struct ClockCorrectionResult {
  ClockOffset offset;
  bool restored = false;  // the zero offset: every photo shows its EXIF time again
  int uncorrected = 0;    // photos whose EXIF time could not be shifted (they keep their shown time)
};

// Shows every photo with an EXIF time at that time shifted by the offset
// (always counted from the EXIF time, so corrections never add up).
ClockCorrectionResult CorrectPhotoTimes(MainLogic& logic, const ClockOffset& offset);

// "修正相机时间: +01:30:00", and a second line with the number of photos whose
// time could not be corrected when there are any. Nothing is reported for the
// zero offset.
std::string ClockCorrectionText(const ClockCorrectionResult& result);

}  // namespace geoframe
