#include "track/gps_line.h"

#include <gtest/gtest.h>

#include <cstdio>  // std::snprintf

namespace geoframe {
namespace {

struct CoordinateCase {
  std::string_view field;
  std::optional<std::string> text;
};

class FormatCoordinateTest : public ::testing::TestWithParam<CoordinateCase> {};

TEST_P(FormatCoordinateTest, Formats) { EXPECT_EQ(FormatCoordinate(GetParam().field), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatCoordinateTest,
    ::testing::Values(CoordinateCase{"3015.1234", "30°15.1234'"}, CoordinateCase{"12030.5678", "120°30.5678'"},
                      CoordinateCase{"0000.0000", "00°00.0000'"},
                      // minutes are split at the point, whatever the number of decimals
                      CoordinateCase{"3015.12345", "30°15.12345'"}, CoordinateCase{"12030.567891", "120°30.567891'"},
                      CoordinateCase{"3015.123", "30°15.123'"}, CoordinateCase{"3015.12", "30°15.12'"},
                      // under 7 characters, point or not
                      CoordinateCase{"15.1", std::nullopt}, CoordinateCase{"15.12", std::nullopt},
                      CoordinateCase{"3015.", std::nullopt},
                      // no point, or not two digits before it: the last 7 characters
                      CoordinateCase{"30151234", "3°0151234'"}, CoordinateCase{"1234567", "°1234567'"},
                      CoordinateCase{"ab.1234567", "ab.°1234567'"}, CoordinateCase{"3.1234567", "3.°1234567'"},
                      CoordinateCase{"123456", std::nullopt}, CoordinateCase{"5.1234", std::nullopt},
                      CoordinateCase{"", std::nullopt}));

// Without a checksum: rows that change a field test the field, not the checksum.
constexpr std::string_view kBase = "$GPRMC,083015.000,A,3015.1234,N,12030.5678,E,0.0,0.0,061210,,,A";

std::string WithField(std::string_view line, std::size_t index, std::string_view value) {
  std::string text(line);
  std::size_t start = 0;
  for (std::size_t i = 0; i < index; ++i) start = text.find(',', start) + 1;
  std::size_t end = text.find(',', start);
  std::string rest = end == std::string::npos ? std::string() : text.substr(end);
  return text.substr(0, start) + std::string(value) + rest;
}

// The sentence with its checksum: "*" and the XOR of the bytes after "$" in
// hexadecimal, upper or lower case.
std::string Checksummed(std::string_view sentence, bool lowerCase = false) {
  unsigned sum = 0;
  for (char c : sentence.substr(1)) sum ^= static_cast<unsigned char>(c);
  char digits[4];
  std::snprintf(digits, sizeof digits, lowerCase ? "%02x" : "%02X", sum);
  return std::string(sentence) + "*" + digits;
}

struct LineCase {
  std::string line;
  std::string pointTime;
  std::string coordinate;
};

class ParseGpsLineTest : public ::testing::TestWithParam<LineCase> {};

// A case with an empty coordinate gives no point.
TEST_P(ParseGpsLineTest, Parses) {
  std::optional<TrackPoint> p = ParseGpsLine(GetParam().line);
  if (GetParam().coordinate.empty()) {
    EXPECT_EQ(p, std::nullopt) << GetParam().line;
    return;
  }
  ASSERT_TRUE(p) << GetParam().line;
  EXPECT_EQ(p->PointTime, GetParam().pointTime) << GetParam().line;
  EXPECT_EQ(p->Coordinate, GetParam().coordinate) << GetParam().line;
  EXPECT_EQ(p->ElapsedSeconds, 0);
}

const std::string kCoordinate = "N30°15.1234',E120°30.5678'";

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseGpsLineTest,
    ::testing::Values(
        LineCase{std::string(kBase), "2010-12-06 16:30:15", kCoordinate},
        LineCase{WithField(kBase, 1, "170000"), "2010-12-07 01:00:00", kCoordinate},
        LineCase{WithField(kBase, 1, "160000"), "2010-12-07 00:00:00", kCoordinate},
        LineCase{WithField(WithField(kBase, 9, "311210"), 1, "200000"), "2011-01-01 04:00:00", kCoordinate},
        LineCase{WithField(WithField(kBase, 9, "280212"), 1, "200000"), "2012-02-29 04:00:00", kCoordinate},
        LineCase{WithField(WithField(kBase, 4, "S"), 6, "W"), "2010-12-06 16:30:15", "S30°15.1234',W120°30.5678'"},
        LineCase{WithField(kBase, 3, "3015.12"), "2010-12-06 16:30:15", "N30°15.12',E120°30.5678'"},
        LineCase{WithField(kBase, 5, "12030.56789"), "2010-12-06 16:30:15", "N30°15.1234',E120°30.56789'"},
        LineCase{WithField(kBase, 3, "3015.1234567890"), "2010-12-06 16:30:15", "N30°15.1234567890',E120°30.5678'"},
        LineCase{WithField(kBase, 1, "083015."), "2010-12-06 16:30:15", kCoordinate},
        LineCase{WithField(kBase, 3, "9000.0000"), "2010-12-06 16:30:15", "N90°00.0000',E120°30.5678'"},
        LineCase{WithField(kBase, 5, "18000.0000"), "2010-12-06 16:30:15", "N30°15.1234',E180°00.0000'"},
        // the checksum, in either letter case, is taken off the last field
        LineCase{Checksummed(kBase), "2010-12-06 16:30:15", kCoordinate},
        LineCase{Checksummed(kBase, true), "2010-12-06 16:30:15", kCoordinate},
        LineCase{Checksummed("$GPRMC,083015,A,3015.1234,N,12030.5678,E,0.0,0.0,061210"), "2010-12-06 16:30:15",
                 kCoordinate},
        // not a checksum: the sentence as it stands
        LineCase{std::string(kBase) + "*G1", "2010-12-06 16:30:15", kCoordinate},
        LineCase{std::string(kBase) + "*6", "2010-12-06 16:30:15", kCoordinate},
        // a checksum that does not match: a damaged latitude, or a date field ending in another checksum
        LineCase{WithField(Checksummed(kBase), 3, "3915.1234"), "", ""},
        LineCase{"$GPRMC,083015,A,3015.1234,N,12030.5678,E,0.0,0.0,061210*10", "", ""},
        // no point
        LineCase{WithField(kBase, 2, "V"), "", ""}, LineCase{WithField(kBase, 0, "$GNRMC"), "", ""},
        LineCase{WithField(kBase, 0, "$gprmc"), "", ""}, LineCase{WithField(kBase, 0, " $GPRMC"), "", ""},
        LineCase{WithField(kBase, 0, "$GPRMCX"), "", ""},
        LineCase{"$GPGGA,083015.000,3015.1234,N,12030.5678,E,1,08,1.0,10.0,M,0.0,M,,*hh", "", ""},
        LineCase{"", "", ""}, LineCase{"$GPRMC", "", ""}, LineCase{"$GPRMC,083015,A", "", ""},
        LineCase{"$GPRMC,083015,A,3015.1234,N,12030.5678,E,0.0,0.0", "", ""},
        LineCase{WithField(kBase, 9, "301310"), "", ""}, LineCase{WithField(kBase, 9, "300210"), "", ""},
        LineCase{WithField(kBase, 1, "246000"), "", ""}, LineCase{WithField(kBase, 1, "0830"), "", ""},
        LineCase{WithField(kBase, 1, ""), "", ""}, LineCase{WithField(kBase, 9, ""), "", ""},
        LineCase{WithField(kBase, 3, "301512"), "", ""}, LineCase{WithField(kBase, 5, ""), "", ""},
        // fields that are not what a receiver writes there
        LineCase{WithField(kBase, 3, "ABCD.EFGH"), "", ""}, LineCase{WithField(kBase, 3, "9999.9999"), "", ""},
        LineCase{WithField(kBase, 3, "-3110.0000"), "", ""}, LineCase{WithField(kBase, 3, "3070.0000"), "", ""},
        LineCase{WithField(kBase, 3, "3015.1234" + std::string(291, '5')), "", ""},
        LineCase{WithField(kBase, 3, "3015.12345678901"), "", ""},
        LineCase{WithField(kBase, 3, "9000.0001"), "", ""}, LineCase{WithField(kBase, 5, "18030.0000"), "", ""},
        LineCase{WithField(kBase, 3, "03015.1234"), "", ""}, LineCase{WithField(kBase, 5, "2030.5678"), "", ""},
        LineCase{WithField(kBase, 3, "3015.12.34"), "", ""}, LineCase{WithField(kBase, 3, "3015.1"), "", ""},
        LineCase{WithField(kBase, 5, "12030 5678"), "", ""}, LineCase{WithField(kBase, 4, ""), "", ""},
        LineCase{WithField(kBase, 4, "n"), "", ""}, LineCase{WithField(kBase, 6, "X"), "", ""},
        LineCase{WithField(kBase, 1, "0830a5"), "", ""}, LineCase{WithField(kBase, 1, "083015.0x"), "", ""},
        LineCase{WithField(kBase, 1, "0830150"), "", ""}, LineCase{WithField(kBase, 9, "0612100"), "", ""},
        LineCase{WithField(kBase, 9, "06121"), "", ""}, LineCase{WithField(kBase, 9, "06+210"), "", ""},
        // binary noise in a field that would be copied into the coordinate
        LineCase{WithField(kBase, 4, std::string("N\0", 2)), "", ""},
        LineCase{WithField(kBase, 3, "3015.12\x01"), "", ""}, LineCase{WithField(kBase, 6, "\xC3\xA9"), "", ""}));

TEST(ParseGpsLine, PositionAsTheLogWroteItInUtc) {
  namespace chr = std::chrono;
  const chr::sys_seconds utc = chr::sys_days{chr::December / 6 / 2010} + chr::hours{8} + chr::minutes{30} +
                               chr::seconds{15};
  const std::optional<TrackPoint> base = ParseGpsLine(kBase);
  ASSERT_TRUE(base);
  EXPECT_EQ(base->Position, (GeoPosition{'N', {30, 151234, 4}, 'E', {120, 305678, 4}, utc}));
  const std::optional<TrackPoint> south = ParseGpsLine(WithField(WithField(kBase, 4, "S"), 5, "00000.00001"));
  ASSERT_TRUE(south);
  EXPECT_EQ(south->Position, (GeoPosition{'S', {30, 151234, 4}, 'E', {0, 1, 5}, utc}));
  // A hemisphere no receiver writes keeps the point for the lists, without numbers.
  const std::optional<TrackPoint> odd = ParseGpsLine(WithField(kBase, 6, "X"));
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->Position, std::nullopt);
}

}  // namespace
}  // namespace geoframe
