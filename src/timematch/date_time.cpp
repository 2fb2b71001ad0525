#include "timematch/date_time.h"

#include <chrono>
#include <cstdio>  // std::snprintf
#include <limits>
#include <vector>

namespace geoframe {
namespace {

namespace chr = std::chrono;

constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Reads [sign] digits [. digits] (at least one digit in all), rounded half to
// even. Empty when the text is not such a number or its magnitude is beyond
// any 32-bit value (so that accumulating never overflows).
std::optional<std::int64_t> ReadWholeNumber64(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  constexpr std::int64_t kLimit = std::int64_t{1} << 40;
  std::int64_t whole = 0;
  std::size_t i = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    whole = whole * 10 + (text[i] - '0');
    if (whole > kLimit) return std::nullopt;
  }
  bool anyDigit = i > 0;
  std::string_view fraction;
  if (i < text.size() && text[i] == '.') {
    fraction = text.substr(i + 1);
    for (char c : fraction) {
      if (!IsDigit(c)) return std::nullopt;
    }
    anyDigit = anyDigit || !fraction.empty();
  } else if (i < text.size()) {
    return std::nullopt;
  }
  if (!anyDigit) return std::nullopt;

  if (!fraction.empty()) {
    char first = fraction.front();
    bool restZero = fraction.find_first_not_of('0', 1) == std::string_view::npos;
    bool roundUp = first > '5' || (first == '5' && (!restZero || whole % 2 == 1));
    if (roundUp) ++whole;
  }
  return negative ? -whole : whole;
}

template <typename Int>
std::optional<Int> ReadWholeNumberAs(std::string_view text) {
  std::optional<std::int64_t> value = ReadWholeNumber64(text);
  if (!value || *value < std::numeric_limits<Int>::min() || *value > std::numeric_limits<Int>::max()) {
    return std::nullopt;
  }
  return static_cast<Int>(*value);
}

std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

// True when the text is between minDigits and maxDigits decimal digits.
bool IsDigitRun(std::string_view text, std::size_t minDigits, std::size_t maxDigits) {
  if (text.size() < minDigits || text.size() > maxDigits) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// "YYYY-M[M]-D[D] H[H]:M[M]:S[S]" with nothing else around it.
bool HasDateTimeShape(std::string_view text) {
  std::vector<std::string_view> halves = SplitAt(text, ' ');
  if (halves.size() != 2) return false;
  std::vector<std::string_view> date = SplitAt(halves[0], '-');
  std::vector<std::string_view> time = SplitAt(halves[1], ':');
  if (date.size() != 3 || time.size() != 3) return false;
  return IsDigitRun(date[0], 4, 4) && IsDigitRun(date[1], 1, 2) && IsDigitRun(date[2], 1, 2) &&
         IsDigitRun(time[0], 1, 2) && IsDigitRun(time[1], 1, 2) && IsDigitRun(time[2], 1, 2);
}

chr::year_month_day DateOf(const DateTimeParts& p) {
  return chr::year_month_day{chr::year{p.Year}, chr::month{static_cast<unsigned>(p.Month)},
                             chr::day{static_cast<unsigned>(p.Day)}};
}

bool IsRealDateTime(const DateTimeParts& p) {
  if (p.Year < kMinYear || p.Year > kMaxYear || p.Month < 1 || p.Day < 1) return false;
  if (!DateOf(p).ok()) return false;
  return p.Hour >= 0 && p.Hour <= 23 && p.Minute >= 0 && p.Minute <= 59 && p.Second >= 0 && p.Second <= 59;
}

chr::sys_seconds FirstSecondOfYear(int year) {
  return chr::sys_days{chr::year{year} / chr::January / 1};
}

DateTimeParts PartsOf(chr::sys_seconds value) {
  chr::sys_days day = chr::floor<chr::days>(value);
  chr::year_month_day date{day};
  chr::hh_mm_ss<chr::seconds> time{value - day};
  return DateTimeParts{static_cast<std::int16_t>(static_cast<int>(date.year())),
                       static_cast<std::int16_t>(static_cast<unsigned>(date.month())),
                       static_cast<std::int16_t>(static_cast<unsigned>(date.day())),
                       static_cast<std::int16_t>(time.hours().count()),
                       static_cast<std::int16_t>(time.minutes().count()),
                       static_cast<std::int16_t>(time.seconds().count())};
}

// value written with at least `width` digits; a minus sign goes before the zeros.
std::string Padded(int value, int width) {
  char buffer[16];
  if (value < 0) {
    std::snprintf(buffer, sizeof buffer, "-%0*d", width, -value);
  } else {
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  }
  return buffer;
}

}  // namespace

std::optional<std::int16_t> ReadWholeNumber16(std::string_view text) { return ReadWholeNumberAs<std::int16_t>(text); }

std::optional<std::int32_t> ReadWholeNumber32(std::string_view text) { return ReadWholeNumberAs<std::int32_t>(text); }

std::optional<DateTimeParts> SplitDateTime(std::string_view text) {
  std::vector<std::string_view> halves = SplitAt(text, ' ');
  if (halves.size() < 2) return std::nullopt;
  std::vector<std::string_view> date = SplitAt(halves[0], '-');
  std::vector<std::string_view> time = SplitAt(halves[1], ':');
  if (date.size() < 3 || time.size() < 3) return std::nullopt;
  constexpr std::int16_t DateTimeParts::*kFields[] = {&DateTimeParts::Year, &DateTimeParts::Month,
                                                      &DateTimeParts::Day,  &DateTimeParts::Hour,
                                                      &DateTimeParts::Minute, &DateTimeParts::Second};
  const std::string_view texts[] = {date[0], date[1], date[2], time[0], time[1], time[2]};
  DateTimeParts parts;
  for (int i = 0; i < 6; ++i) {
    std::optional<std::int16_t> value = ReadWholeNumber16(texts[i]);
    if (!value) return std::nullopt;
    parts.*kFields[i] = *value;
  }
  return parts;
}

std::string JoinDateTime(const DateTimeParts& p) {
  return Padded(p.Year, 4) + "-" + Padded(p.Month, 2) + "-" + Padded(p.Day, 2) + " " + Padded(p.Hour, 2) + ":" +
         Padded(p.Minute, 2) + ":" + Padded(p.Second, 2);
}

std::optional<chr::sys_seconds> ReadDateTimeValue(std::string_view text) {
  if (!HasDateTimeShape(text)) return std::nullopt;
  std::optional<DateTimeParts> parts = SplitDateTime(text);
  if (!parts || !IsRealDateTime(*parts)) return std::nullopt;
  return chr::sys_days{DateOf(*parts)} + chr::hours{parts->Hour} + chr::minutes{parts->Minute} +
         chr::seconds{parts->Second};
}

bool IsValidDateTime(std::string_view text) { return ReadDateTimeValue(text).has_value(); }

std::optional<std::string> ShiftDateTime(std::string_view time, std::string_view offset, bool negate) {
  std::vector<std::string_view> parts = SplitAt(offset, ':');
  if (parts.size() < 3) return std::nullopt;
  std::int64_t amounts[3] = {};
  for (int i = 0; i < 3; ++i) {
    // Negating puts a "-" before the text, so a part with its own sign fails.
    std::string text = negate ? "-" : "";
    text.append(parts[static_cast<std::size_t>(i)]);
    std::optional<std::int32_t> value = ReadWholeNumber32(text);
    if (!value) return std::nullopt;
    amounts[i] = *value;
  }
  std::optional<chr::sys_seconds> start = ReadDateTimeValue(time);
  if (!start) return std::nullopt;
  // 64-bit seconds: 2^31 hours still fit, so the range check below sees every result.
  chr::sys_seconds result = *start + chr::hours{amounts[0]} + chr::minutes{amounts[1]} + chr::seconds{amounts[2]};
  if (result < FirstSecondOfYear(kMinYear) || result >= FirstSecondOfYear(kMaxYear + 1)) return std::nullopt;
  return JoinDateTime(PartsOf(result));
}

std::optional<std::int32_t> SecondsBetween(std::string_view from, std::string_view to) {
  std::optional<chr::sys_seconds> start = ReadDateTimeValue(from);
  std::optional<chr::sys_seconds> end = ReadDateTimeValue(to);
  if (!start || !end) return std::nullopt;
  std::int64_t seconds = (*end - *start).count();
  if (seconds < std::numeric_limits<std::int32_t>::min() || seconds > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(seconds);
}

}  // namespace geoframe
