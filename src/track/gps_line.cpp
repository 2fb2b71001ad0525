#include "track/gps_line.h"

#include <vector>

#include "timematch/date_time.h"
#include "track/local_time.h"

namespace geoframe {
namespace {

constexpr std::size_t kMinutesWidth = 7;  // "15.1234": two digits, the point, four decimals
constexpr std::string_view kDegreeSign = "°";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// The value of a hexadecimal digit in either letter case, or nothing.
std::optional<unsigned> HexDigit(char c) {
  if (IsDigit(c)) return static_cast<unsigned>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  return std::nullopt;
}

// The sentence without the "*hh" that ends it, when hh is the XOR of the bytes
// between "$" and "*"; nothing when it is not, for then a byte of the sentence
// was damaged on its way (a latitude 30 that became 39 keeps its old checksum).
// A sentence without a checksum is taken as it stands.
std::optional<std::string_view> WithoutChecksum(std::string_view sentence) {
  constexpr std::size_t kWidth = 3;  // "*hh"
  if (sentence.size() < 1 + kWidth || sentence[sentence.size() - kWidth] != '*') return sentence;
  const std::optional<unsigned> high = HexDigit(sentence[sentence.size() - 2]);
  const std::optional<unsigned> low = HexDigit(sentence[sentence.size() - 1]);
  if (!high || !low) return sentence;
  const std::string_view body = sentence.substr(1, sentence.size() - 1 - kWidth);
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  if (sum != *high * 16 + *low) return std::nullopt;
  return sentence.substr(0, sentence.size() - kWidth);
}

// `digits` digits, then nothing or a decimal point and digits ("083015.000",
// "3015.1234").
bool IsDigitsWithFraction(std::string_view field, std::size_t digits) {
  if (field.size() < digits || !AllDigits(field.substr(0, digits))) return false;
  const std::string_view fraction = field.substr(digits);
  return fraction.empty() || (fraction.front() == '.' && AllDigits(fraction.substr(1)));
}

// An angle in the form NMEA writes it: degreeDigits digits of degrees and two
// of minutes, with an optional fraction of a minute. RTK receivers write eight
// decimals of a minute (hundredths of a millimetre); more than ten is no
// measurement and would run across the annotation line.
bool IsAngleForm(std::string_view field, std::size_t degreeDigits) {
  constexpr std::size_t kMaxDecimals = 10;
  return field.size() <= degreeDigits + 3 + kMaxDecimals && IsDigitsWithFraction(field, degreeDigits + 2);
}

// Whether the fields a point is made of have the form a receiver writes: time
// hhmmss[.fff], date ddmmyy, latitude ddmm.mmmm, longitude dddmm.mmmm. Any
// other text would be copied into the coordinate text as it stands
// (NAB°CD.EFGH'). Their values are checked where they are read: a real
// date-time, the minutes below 60, at most 90 and 180 degrees.
bool HasPointFieldForms(const std::vector<std::string_view>& fields) {
  return IsDigitsWithFraction(fields[1], 6) && fields[9].size() == 6 && AllDigits(fields[9]) &&
         IsAngleForm(fields[3], 2) && IsAngleForm(fields[5], 3);
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, comma - start));
    start = comma + 1;
  }
}

std::string_view LastChars(std::string_view text, std::size_t count) {
  return text.size() <= count ? text : text.substr(text.size() - count);
}

// kLocalOffset as the "H:M:S" text ShiftDateTime takes.
const std::string& LocalOffsetText() {
  static const std::string text = std::to_string(kLocalOffset.count()) + ":00:00";
  return text;
}

// "YYYY-MM-DD HH:MM:SS" in UTC from the ddmmyy date and the hhmmss[.fff] time.
std::string UtcText(std::string_view date, std::string_view time) {
  std::string text = "20";
  text.append(date.substr(4, 2)).append("-").append(date.substr(2, 2)).append("-").append(date.substr(0, 2));
  text.append(" ").append(time.substr(0, 2)).append(":").append(time.substr(2, 2)).append(":");
  text.append(time.substr(4, 2));
  return text;
}

// The fix's angles and UTC time as numbers; nothing when an angle or its
// hemisphere letter is not one a receiver writes.
std::optional<GeoPosition> PositionOf(const std::vector<std::string_view>& fields, const std::string& utcText) {
  const std::optional<Angle> latitude = AngleFromNmea(fields[3], 90);
  const std::optional<Angle> longitude = AngleFromNmea(fields[5], 180);
  const std::optional<std::chrono::sys_seconds> utc = ReadDateTimeValue(utcText);
  if (!latitude || !longitude || !utc || (fields[4] != "N" && fields[4] != "S") ||
      (fields[6] != "E" && fields[6] != "W")) {
    return std::nullopt;
  }
  return GeoPosition{fields[4][0], *latitude, fields[6][0], *longitude, *utc};
}

}  // namespace

std::optional<std::string> FormatCoordinate(std::string_view field) {
  if (field.size() < kMinutesWidth) return std::nullopt;
  std::size_t point = field.find('.');
  if (point != std::string_view::npos && point >= 2 && IsDigit(field[point - 1]) && IsDigit(field[point - 2])) {
    std::string text(field.substr(0, point - 2));
    return text.append(kDegreeSign).append(field.substr(point - 2)).append("'");
  }
  std::string text(field.substr(0, field.size() - kMinutesWidth));
  return text.append(kDegreeSign).append(LastChars(field, kMinutesWidth)).append("'");
}

std::optional<TrackPoint> ParseGpsLine(std::string_view line) {
  // Most lines of a log are other sentences: they are turned away before the
  // line is split.
  constexpr std::string_view kSentence = "$GPRMC";
  if (!line.starts_with(kSentence) || (line.size() > kSentence.size() && line[kSentence.size()] != ',')) {
    return std::nullopt;
  }
  const std::optional<std::string_view> sentence = WithoutChecksum(line);
  if (!sentence) return std::nullopt;
  std::vector<std::string_view> fields = SplitFields(*sentence);
  if (fields.size() < 3 || fields[2] != "A") return std::nullopt;
  if (fields.size() < 10 || !HasPointFieldForms(fields)) return std::nullopt;
  const std::string utcText = UtcText(fields[9], fields[1]);
  std::optional<std::string> localTime = ShiftDateTime(utcText, LocalOffsetText(), false);
  std::optional<GeoPosition> position = PositionOf(fields, utcText);
  if (!localTime || !position) return std::nullopt;
  std::optional<std::string> latitude = FormatCoordinate(fields[3]);
  std::optional<std::string> longitude = FormatCoordinate(fields[5]);
  if (!latitude || !longitude) return std::nullopt;
  TrackPoint point;
  point.PointTime = std::move(*localTime);
  point.Coordinate.append(fields[4]).append(*latitude).append(",").append(fields[6]).append(*longitude);
  point.Position = std::move(position);
  return point;
}

}  // namespace geoframe
