#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace geoframe {

// A signed camera clock correction as the window's sign toggle and three
// fields hold it: hours 0..23, minutes and seconds 0..59.
struct ClockOffset {
  bool subtract = false;  // true: the offset is taken off the EXIF times
  int hours = 0;
  int minutes = 0;
  int seconds = 0;

  bool IsZero() const { return hours == 0 && minutes == 0 && seconds == 0; }
  // "HH:MM:SS", each field as the text boxes show it.
  std::string Text() const;
  bool operator==(const ClockOffset&) const = default;
};

// The largest value of clock field 0 (hours, 23), 1 (minutes, 59) or 2 (seconds, 59).
int ClockFieldMaximum(int field);

// The step buttons of the clock correction: buttons 0, 1, 2 step hours, minutes
// and seconds up, buttons 3, 4, 5 step them down. Each field wraps around within
// 0..23 (hours) or 0..59, so "+" on 23 hours gives 0 and "-" on 0 seconds gives 59.
int ClockFieldOfButton(int button);
int StepClockField(int value, int button);

// A field's value as the text boxes show it: at least two digits ("07").
std::string ClockFieldText(int value);

// "+HH:MM:SS" or "-HH:MM:SS" (one or two digits a field) within the ranges the
// fields hold; nothing otherwise.
std::optional<ClockOffset> ParseClockOffset(std::string_view text);

}  // namespace geoframe
