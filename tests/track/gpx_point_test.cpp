#include "track/gpx_point.h"

#include <gtest/gtest.h>

namespace geoframe {
namespace {

struct DegreesCase {
  std::string_view value;
  bool latitude;
  std::optional<std::string> text;
};

class DecimalDegreesTextTest : public ::testing::TestWithParam<DegreesCase> {};

TEST_P(DecimalDegreesTextTest, GivesNmeaStyleText) {
  const DegreesCase& c = GetParam();
  std::optional<std::string> text = c.latitude ? DecimalDegreesText(c.value, 2, 90, 'N', 'S')
                                               : DecimalDegreesText(c.value, 3, 180, 'E', 'W');
  EXPECT_EQ(text, c.text) << c.value;
}

// Minutes by hand: 0.252056667 * 60 = 15.12340002, 0.509463333 * 60 = 30.56779998.
INSTANTIATE_TEST_SUITE_P(
    Cases, DecimalDegreesTextTest,
    ::testing::Values(DegreesCase{"30.252056667", true, "N30°15.1234'"},
                      DegreesCase{"-120.509463333", false, "W120°30.5678'"},
                      DegreesCase{"5.5", false, "E005°30.0000'"}, DegreesCase{"-5.5", true, "S05°30.0000'"},
                      DegreesCase{"0", true, "N00°00.0000'"}, DegreesCase{".5", true, "N00°30.0000'"},
                      DegreesCase{"7.", true, "N07°00.0000'"}, DegreesCase{"+0030.5", true, "N30°30.0000'"},
                      DegreesCase{" 30.5\n", true, "N30°30.0000'"},
                      // rounding half up at the fifth decimal of the minutes, carrying into the degrees
                      DegreesCase{"0.0000025", true, "N00°00.0002'"}, DegreesCase{"0.0000024", true, "N00°00.0001'"},
                      DegreesCase{"29.9999999", true, "N30°00.0000'"}, DegreesCase{"-179.9999999", false, "W180°00.0000'"},
                      // the ends of the ranges
                      DegreesCase{"90", true, "N90°00.0000'"}, DegreesCase{"-90.000", true, "S90°00.0000'"},
                      DegreesCase{"180", false, "E180°00.0000'"}, DegreesCase{"90.0000001", true, std::nullopt},
                      DegreesCase{"91", true, std::nullopt}, DegreesCase{"180.5", false, std::nullopt},
                      DegreesCase{"1000", false, std::nullopt},
                      // not a plain decimal number
                      DegreesCase{"", true, std::nullopt}, DegreesCase{".", true, std::nullopt},
                      DegreesCase{"-", true, std::nullopt}, DegreesCase{"1e1", true, std::nullopt},
                      DegreesCase{"1.2.3", true, std::nullopt}, DegreesCase{"--1", true, std::nullopt},
                      DegreesCase{"3 0", true, std::nullopt}, DegreesCase{"nan", true, std::nullopt}));

struct TimeCase {
  std::string_view text;
  std::optional<std::string> local;
};

class GpxLocalTimeTest : public ::testing::TestWithParam<TimeCase> {};

TEST_P(GpxLocalTimeTest, IsUtcPlusEightHours) { EXPECT_EQ(GpxLocalTime(GetParam().text), GetParam().local); }

INSTANTIATE_TEST_SUITE_P(
    Cases, GpxLocalTimeTest,
    ::testing::Values(TimeCase{"2010-12-06T08:30:15Z", "2010-12-06 16:30:15"},
                      TimeCase{"2010-12-06T08:30:15.250Z", "2010-12-06 16:30:15"},
                      TimeCase{"2010-12-06T08:30:15.999999", "2010-12-06 16:30:15"},
                      TimeCase{"2010-12-06T16:30:15+08:00", "2010-12-06 16:30:15"},
                      TimeCase{"2010-12-06T03:00:15.5-05:30", "2010-12-06 16:30:15"},
                      TimeCase{"\n  2010-12-06T08:30:15Z  ", "2010-12-06 16:30:15"},
                      TimeCase{"2010-12-31T20:00:00Z", "2011-01-01 04:00:00"},
                      TimeCase{"2010-12-07T01:00:00+09:00", "2010-12-07 00:00:00"},
                      TimeCase{"2012-02-28T20:00:00Z", "2012-02-29 04:00:00"},
                      // not such a time
                      TimeCase{"2010-12-06 08:30:15Z", std::nullopt}, TimeCase{"2010-12-06T08:30Z", std::nullopt},
                      TimeCase{"2010-02-30T08:30:15Z", std::nullopt}, TimeCase{"2010-12-06T24:00:00Z", std::nullopt},
                      TimeCase{"2010-12-06T08:30:15.Z", std::nullopt}, TimeCase{"2010-12-06T08:30:15ZZ", std::nullopt},
                      TimeCase{"2010-12-06T08:30:15+8:00", std::nullopt},
                      TimeCase{"2010-12-06T08:30:15+15:00", std::nullopt},
                      TimeCase{"10-12-06T08:30:15Z", std::nullopt}, TimeCase{"", std::nullopt}));

TEST(GpxTrackPoint, NeedsAllThree) {
  std::optional<TrackPoint> point = GpxTrackPoint("-30.252056667", "120.509463333", "2010-12-06T08:30:15Z");
  ASSERT_TRUE(point);
  // The position keeps every decimal of the degrees: 0.252056667° is 15.12340002'.
  const GeoPosition position{'S', {30, 15'123'400'020, 9}, 'E', {120, 30'567'799'980, 9},
                             std::chrono::sys_days{std::chrono::December / 6 / 2010} + std::chrono::hours{8} +
                                 std::chrono::minutes{30} + std::chrono::seconds{15}};
  EXPECT_EQ(*point, (TrackPoint{"2010-12-06 16:30:15", "S30°15.1234',E120°30.5678'", 0, position}));
  EXPECT_FALSE(GpxTrackPoint("", "120.5", "2010-12-06T08:30:15Z"));
  EXPECT_FALSE(GpxTrackPoint("30.5", "181", "2010-12-06T08:30:15Z"));
  EXPECT_FALSE(GpxTrackPoint("30.5", "120.5", ""));
}

}  // namespace
}  // namespace geoframe
