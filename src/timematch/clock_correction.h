#pragma once

#include <string>
#include <string_view>

namespace geoframe {

// The step buttons of the clock correction: buttons 0, 1, 2 step hours, minutes
// and seconds up, buttons 3, 4, 5 step them down. Each field wraps around within
// 0..23 (hours) or 0..59, so "+" on 23 hours gives 0 and "-" on 0 seconds gives 59.
int ClockFieldOfButton(int button);
int StepClockField(int value, int button);

// A field's value as the text boxes show it: at least two digits ("07").
std::string ClockFieldText(int value);

// The report after a correction: "修正相机时间: +01:30:00", and a second line
// with the number of photos whose time could not be corrected when there are any.
std::string ClockCorrectionMessage(bool subtract, std::string_view offset, int uncorrected);

}  // namespace geoframe
