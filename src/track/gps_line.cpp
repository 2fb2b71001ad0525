#include "track/gps_line.h"

#include <vector>

#include "timematch/date_time.h"

namespace geoframe {
namespace {

constexpr std::size_t kMinutesWidth = 7;  // "15.1234": two digits, the point, four decimals
constexpr std::string_view kDegreeSign = "°";
constexpr std::string_view kLocalOffset = "08:00:00";  // the receiver's UTC plus 8 hours

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// NMEA sentences are printable ASCII. A coordinate field holding anything else
// (NUL padding, binary noise from a damaged log) would be copied into the text
// the lists show and the photos carry, so such a line gives no point.
bool IsPrintableAscii(std::string_view text) {
  for (char c : text) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
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

// Characters [first, first + count) of the text, shorter or empty where the text ends.
std::string_view Piece(std::string_view text, std::size_t first, std::size_t count) {
  if (first >= text.size()) return {};
  return text.substr(first, count);
}

std::string_view LastChars(std::string_view text, std::size_t count) {
  return text.size() <= count ? text : text.substr(text.size() - count);
}

// "YYYY-MM-DD HH:MM:SS" in UTC from the ddmmyy date and the hhmmss[.fff] time.
std::string UtcText(std::string_view date, std::string_view time) {
  std::string text = "20";
  text.append(LastChars(date, 2)).append("-").append(Piece(date, 2, 2)).append("-").append(Piece(date, 0, 2));
  text.append(" ").append(Piece(time, 0, 2)).append(":").append(Piece(time, 2, 2)).append(":");
  text.append(Piece(time, 4, 2));
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
  std::vector<std::string_view> fields = SplitFields(line);
  if (fields.size() < 3 || fields[2] != "A") return std::nullopt;
  if (fields.size() < 10) return std::nullopt;
  const std::string utcText = UtcText(fields[9], fields[1]);
  std::optional<std::string> localTime = ShiftDateTime(utcText, kLocalOffset, false);
  if (!localTime) return std::nullopt;
  for (std::size_t i = 3; i <= 6; ++i) {
    if (!IsPrintableAscii(fields[i])) return std::nullopt;
  }
  std::optional<std::string> latitude = FormatCoordinate(fields[3]);
  std::optional<std::string> longitude = FormatCoordinate(fields[5]);
  if (!latitude || !longitude) return std::nullopt;
  TrackPoint point;
  point.PointTime = std::move(*localTime);
  point.Coordinate.append(fields[4]).append(*latitude).append(",").append(fields[6]).append(*longitude);
  point.Position = PositionOf(fields, utcText);
  return point;
}

}  // namespace geoframe
