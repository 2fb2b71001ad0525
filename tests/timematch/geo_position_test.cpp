#include "timematch/geo_position.h"

#include <gtest/gtest.h>

namespace geoframe {
namespace {

namespace chr = std::chrono;

TEST(AngleFromNmea, KeepsEveryDecimal) {
  struct Case {
    const char* field;
    std::uint32_t maxDegrees;
    std::optional<Angle> angle;
  };
  for (const Case& c : {Case{"3015.1234", 90, Angle{30, 151234, 4}}, Case{"12030.56789", 180, Angle{120, 3056789, 5}},
                        Case{"0000.0000", 90, Angle{0, 0, 4}}, Case{"3015", 90, Angle{30, 15, 0}},
                        Case{"9000.0000", 90, Angle{90, 0, 4}}, Case{"9000.0001", 90, std::nullopt},
                        Case{"18100.0000", 180, std::nullopt}, Case{"3060.0000", 90, std::nullopt},
                        Case{"5.1234", 90, std::nullopt}, Case{"30a5.1234", 90, std::nullopt},
                        Case{"3015.12-4", 90, std::nullopt}, Case{"", 90, std::nullopt}}) {
    EXPECT_EQ(AngleFromNmea(c.field, c.maxDegrees), c.angle) << c.field;
  }
}

TEST(AngleFromDegrees, SixtyTimesTheFraction) {
  EXPECT_EQ(AngleFromDegrees("30", "252056667", 90), (Angle{30, 15'123'400'020, 9}));
  EXPECT_EQ(AngleFromDegrees("180", "000", 180), (Angle{180, 0, 0}));
  EXPECT_EQ(AngleFromDegrees("180", "5", 180), std::nullopt);
}

GeoPosition At(double latitude, double longitude, int second) {
  const auto angle = [](double degrees) {
    const auto units = static_cast<std::uint64_t>(std::abs(degrees) * 600000 + 0.5);
    return Angle{static_cast<std::uint32_t>(units / 600000), units % 600000, 4};
  };
  return {latitude < 0 ? 'S' : 'N', angle(latitude), longitude < 0 ? 'W' : 'E', angle(longitude),
          chr::sys_seconds{chr::seconds{second}}};
}

TEST(Interpolate, InTimeTheShortWayRound) {
  struct Case {
    GeoPosition from, to;
    double fraction;
    const char* text;
    int second;
  };
  for (const Case& c : {
           Case{At(30.25, 120.5, 0), At(30.5, 121, 20), 0.25, "N30°18.7500',E120°37.5000'", 5},
           // across the antimeridian, not round the world
           Case{At(10, 179.5, 0), At(10, -179.5, 10), 0.5, "N10°00.0000',E180°00.0000'", 5},
           Case{At(10, 179.5, 0), At(10, -179.5, 10), 0.75, "N10°00.0000',W179°45.0000'", 8},
           Case{At(10, -179.5, 0), At(10, 179.5, 10), 0.25, "N10°00.0000',W179°45.0000'", 3},
           // across the equator and the prime meridian
           Case{At(-0.5, -0.5, 0), At(0.5, 0.5, 1), 0.25, "S00°15.0000',W000°15.0000'", 0},
       }) {
    const GeoPosition position = Interpolate(c.from, c.to, c.fraction);
    EXPECT_EQ(CoordinateText(position), c.text) << c.fraction;
    EXPECT_EQ(position.utc.time_since_epoch().count(), c.second) << c.fraction;
  }
}

TEST(CoordinateText, FourDecimalsOfMinutesRoundedHalfUp) {
  GeoPosition position{'N', {30, 1512345, 5}, 'W', {7, 59999950, 6}, {}};
  EXPECT_EQ(CoordinateText(position), "N30°15.1235',W008°00.0000'");  // 59.99995' carries into the degrees
  position.latitude = {30, 15, 0};
  EXPECT_EQ(CoordinateText(position), "N30°15.0000',W008°00.0000'");
}

}  // namespace
}  // namespace geoframe
