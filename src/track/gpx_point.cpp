#include "track/gpx_point.h"

#include <chrono>
#include <cstddef>
#include <utility>  // std::move

#include "track/local_time.h"

namespace geoframe {

namespace {

namespace chr = std::chrono;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// XML schema values may carry blanks around them.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// A decimal number split at its point: [sign] digits [. digits].
struct Decimal {
  bool negative = false;
  std::string_view whole;     // may be empty (".5")
  std::string_view fraction;  // may be empty
};

std::optional<Decimal> SplitDecimal(std::string_view text) {
  Decimal number;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    number.negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const std::size_t point = text.find('.');
  number.whole = text.substr(0, point);
  if (point != std::string_view::npos) number.fraction = text.substr(point + 1);
  if (number.whole.empty() && number.fraction.empty()) return std::nullopt;
  if (!AllDigits(number.whole) || !AllDigits(number.fraction)) return std::nullopt;
  return number;
}

// The whole degrees, or nothing above the limit (leading zeros allowed).
std::optional<int> WholeDegrees(std::string_view digits, int maxDegrees) {
  while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
  if (digits.size() > 3) return std::nullopt;
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  if (value > maxDegrees) return std::nullopt;
  return value;
}

// The fraction of a degree in ten-thousandths of a minute (0..600000), rounded
// half up: the decimal digits are multiplied by 60 exactly, as by hand.
int FractionInMinuteUnits(std::string_view fraction) {
  std::string product(fraction.size(), '0');
  int carry = 0;
  for (std::size_t i = fraction.size(); i-- > 0;) {
    const int value = (fraction[i] - '0') * 60 + carry;
    product[i] = static_cast<char>('0' + value % 10);
    carry = value / 10;
  }
  // carry is now the whole minutes; the product's digits their fraction.
  product.append(5, '0');
  int units = carry;
  for (std::size_t i = 0; i < 4; ++i) units = units * 10 + (product[i] - '0');
  if (product[4] >= '5') ++units;
  return units;
}

// The number written by count digits at `at` (checked to be digits).
int Number(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

// What follows the seconds without its fraction (".250"); a point without
// digits is left in place, so that the zone check refuses it.
std::string_view SkipFraction(std::string_view rest) {
  if (!rest.starts_with('.')) return rest;
  std::size_t end = 1;
  while (end < rest.size() && IsDigit(rest[end])) ++end;
  return end == 1 ? rest : rest.substr(end);
}

// How far the time's zone is ahead of UTC: nothing or "Z" for UTC itself,
// "+08:00", "-05:30" (at most 14 hours, as the schema allows).
std::optional<chr::minutes> ZoneOffset(std::string_view zone) {
  if (zone.empty() || zone == "Z") return chr::minutes{0};
  if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':' || !AllDigits(zone.substr(1, 2)) ||
      !AllDigits(zone.substr(4, 2))) {
    return std::nullopt;
  }
  const int hours = Number(zone, 1, 2), minutes = Number(zone, 4, 2);
  if (hours > 14 || minutes > 59) return std::nullopt;
  const chr::minutes offset{hours * 60 + minutes};
  return zone[0] == '-' ? -offset : offset;
}

// Appends the value (0 <= value < 10^width) zero-padded to width digits.
void AppendDigits(std::string& text, int value, int width) {
  char digits[8];
  for (int i = width; i-- > 0; value /= 10) digits[i] = static_cast<char>('0' + value % 10);
  text.append(digits, static_cast<std::size_t>(width));
}

// "YYYY-MM-DD HH:MM:SS" of the time; nothing outside the years 100-9999, which
// is as far as date-time texts reach.
std::optional<std::string> LocalDateTimeText(chr::sys_seconds time) {
  const chr::sys_days day = chr::floor<chr::days>(time);
  const chr::year_month_day date{day};
  const chr::hh_mm_ss clock{time - day};
  const int year = static_cast<int>(date.year());
  if (year < 100 || year > 9999) return std::nullopt;
  std::string text;
  AppendDigits(text, year, 4);
  AppendDigits(text.append("-"), static_cast<int>(static_cast<unsigned>(date.month())), 2);
  AppendDigits(text.append("-"), static_cast<int>(static_cast<unsigned>(date.day())), 2);
  AppendDigits(text.append(" "), static_cast<int>(clock.hours().count()), 2);
  AppendDigits(text.append(":"), static_cast<int>(clock.minutes().count()), 2);
  AppendDigits(text.append(":"), static_cast<int>(clock.seconds().count()), 2);
  return text;
}

bool HasNonZero(std::string_view digits) { return digits.find_first_not_of('0') != std::string_view::npos; }

// A GPX time as UTC seconds (see GpxLocalTime).
std::optional<chr::sys_seconds> GpxUtcTime(std::string_view text) {
  text = Trimmed(text);
  constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd";
  if (text.size() < kShape.size()) return std::nullopt;
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    if (kShape[i] == 'd' ? !IsDigit(text[i]) : text[i] != kShape[i]) return std::nullopt;
  }
  const std::optional<chr::minutes> zone = ZoneOffset(SkipFraction(text.substr(kShape.size())));
  const chr::year_month_day date{chr::year{Number(text, 0, 4)}, chr::month{static_cast<unsigned>(Number(text, 5, 2))},
                                 chr::day{static_cast<unsigned>(Number(text, 8, 2))}};
  const int hour = Number(text, 11, 2), minute = Number(text, 14, 2), second = Number(text, 17, 2);
  if (!zone || !date.ok() || hour > 23 || minute > 59 || second > 59) return std::nullopt;
  return chr::sys_days{date} + chr::hours{hour} + chr::minutes{minute} + chr::seconds{second} - *zone;
}

// A GPX angle in signed decimal degrees as its hemisphere letter and angle.
std::optional<std::pair<char, Angle>> GpxAngle(std::string_view value, std::uint32_t maxDegrees, char positive,
                                               char negative) {
  const std::optional<Decimal> number = SplitDecimal(Trimmed(value));
  if (!number) return std::nullopt;
  const std::optional<Angle> angle = AngleFromDegrees(number->whole, number->fraction, maxDegrees);
  if (!angle) return std::nullopt;
  return std::pair{number->negative ? negative : positive, *angle};
}

// The point's place and UTC time as numbers; nothing when the degrees carry
// more decimals than an angle keeps.
std::optional<GeoPosition> GpxPosition(std::string_view lat, std::string_view lon, chr::sys_seconds utc) {
  const auto latitude = GpxAngle(lat, 90, 'N', 'S');
  const auto longitude = GpxAngle(lon, 180, 'E', 'W');
  if (!latitude || !longitude) return std::nullopt;
  return GeoPosition{latitude->first, latitude->second, longitude->first, longitude->second, utc};
}

}  // namespace


std::optional<std::string> DecimalDegreesText(std::string_view value, int degreeDigits, int maxDegrees,
                                              char positive, char negative) {
  const std::optional<Decimal> number = SplitDecimal(Trimmed(value));
  if (!number) return std::nullopt;
  std::optional<int> degrees = WholeDegrees(number->whole, maxDegrees);
  if (!degrees || (*degrees == maxDegrees && HasNonZero(number->fraction))) return std::nullopt;
  int units = FractionInMinuteUnits(number->fraction);
  if (units == 600000) {  // 59.99995 minutes and more round to a whole degree
    ++*degrees;
    units = 0;
  }
  std::string text(1, number->negative ? negative : positive);
  AppendDigits(text, *degrees, degreeDigits);
  AppendDigits(text.append("\xC2\xB0"), units / 10000, 2);  // the degree sign in UTF-8
  AppendDigits(text.append("."), units % 10000, 4);
  return text.append("'");
}

std::optional<std::string> GpxLocalTime(std::string_view text) {
  const std::optional<chr::sys_seconds> utc = GpxUtcTime(text);
  if (!utc) return std::nullopt;
  return LocalDateTimeText(*utc + kLocalOffset);
}

std::optional<TrackPoint> GpxTrackPoint(std::string_view lat, std::string_view lon, std::string_view time) {
  const std::optional<chr::sys_seconds> utc = GpxUtcTime(time);
  std::optional<std::string> localTime = utc ? LocalDateTimeText(*utc + kLocalOffset) : std::nullopt;
  std::optional<std::string> latitude = DecimalDegreesText(lat, 2, 90, 'N', 'S');
  std::optional<std::string> longitude = DecimalDegreesText(lon, 3, 180, 'E', 'W');
  if (!localTime || !latitude || !longitude) return std::nullopt;
  return TrackPoint{std::move(*localTime), *latitude + "," + *longitude, 0, GpxPosition(lat, lon, *utc)};
}

}  // namespace geoframe
