#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace geoframe {

// The six numbers of a date-time text, not validated against the calendar.
struct DateTimeParts {
  std::int16_t Year = 0;
  std::int16_t Month = 0;
  std::int16_t Day = 0;
  std::int16_t Hour = 0;
  std::int16_t Minute = 0;
  std::int16_t Second = 0;
};

// Reads a whole number from a text: blanks around it allowed, an optional sign,
// an optional fraction, rounded half to even (2.5 gives 2, 3.5 gives 4). Empty
// when the text is not a number or the result does not fit the width.
std::optional<std::int16_t> ReadWholeNumber16(std::string_view text);
std::optional<std::int32_t> ReadWholeNumber32(std::string_view text);

// "YYYY-MM-DD HH:MM:SS" into its six numbers; empty when a part is missing or
// not a number.
std::optional<DateTimeParts> SplitDateTime(std::string_view text);
// The six numbers as "YYYY-MM-DD HH:MM:SS", each zero-padded; never fails.
std::string JoinDateTime(const DateTimeParts& parts);

// True when the text has the date-time shape and names a real day (years
// 100-9999) and a real time.
bool IsValidDateTime(std::string_view text);

// A valid date-time text as seconds since 1970-01-01 00:00:00 (no time zone).
std::optional<std::chrono::sys_seconds> ReadDateTimeValue(std::string_view text);

// The time shifted by an "H:M:S" offset (any width per part), subtracted when
// negate is true. Empty when the offset or the time is not usable or the result
// leaves the years 100-9999.
std::optional<std::string> ShiftDateTime(std::string_view time, std::string_view offset, bool negate);

// Whole seconds from the first time to the second (negative when the second is
// earlier); empty when either text is not a valid date-time or the result does
// not fit 32 bits.
std::optional<std::int32_t> SecondsBetween(std::string_view from, std::string_view to);

}  // namespace geoframe
