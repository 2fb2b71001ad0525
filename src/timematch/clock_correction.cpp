#include "timematch/clock_correction.h"

#include <cstdio>  // std::snprintf

namespace geoframe {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One or two digits within 0..maximum.
std::optional<int> ReadField(std::string_view text, int maximum) {
  if (text.empty() || text.size() > 2 || !IsDigit(text[0]) || (text.size() == 2 && !IsDigit(text[1]))) {
    return std::nullopt;
  }
  int value = text[0] - '0';
  if (text.size() == 2) value = value * 10 + (text[1] - '0');
  if (value > maximum) return std::nullopt;
  return value;
}

}  // namespace

std::string ClockOffset::Text() const {
  return ClockFieldText(hours) + ":" + ClockFieldText(minutes) + ":" + ClockFieldText(seconds);
}

int ClockFieldMaximum(int field) { return field == 0 ? 23 : 59; }

int ClockFieldOfButton(int button) { return button % 3; }

int StepClockField(int value, int button) {
  const int maximum = ClockFieldMaximum(ClockFieldOfButton(button));
  if (button < 3) return value < maximum ? value + 1 : 0;
  return value > 0 ? value - 1 : maximum;
}

std::string ClockFieldText(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::optional<ClockOffset> ParseClockOffset(std::string_view text) {
  if (text.empty() || (text[0] != '+' && text[0] != '-')) return std::nullopt;
  ClockOffset offset;
  offset.subtract = text[0] == '-';
  text.remove_prefix(1);
  const std::size_t first = text.find(':');
  const std::size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  std::optional<int> h = ReadField(text.substr(0, first), ClockFieldMaximum(0));
  std::optional<int> m = ReadField(text.substr(first + 1, second - first - 1), ClockFieldMaximum(1));
  std::optional<int> s = ReadField(text.substr(second + 1), ClockFieldMaximum(2));
  if (!h || !m || !s) return std::nullopt;
  offset.hours = *h;
  offset.minutes = *m;
  offset.seconds = *s;
  return offset;
}

}  // namespace geoframe
