#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "timematch/geo_position.h"

namespace geoframe {

// The TIFF block of an EXIF segment with a GPS IFD for the position in place
// of any it had. Nothing that is there moves: IFD0, with its GPS pointer added
// or changed, and the new GPS IFD are appended and the header points to the
// new IFD0, so every offset in the block, those inside maker notes included,
// still points where it did. An empty block gives a new one (little-endian)
// holding only the GPS IFD. Throws OutputError (ExifDamaged) when the header
// or IFD0 cannot be read.
std::vector<std::uint8_t> TiffWithGps(std::span<const std::uint8_t> tiff, const GeoPosition& position);

// Degrees, minutes and seconds as the three unsigned rationals EXIF keeps,
// exact whenever numerator and denominator fit 32 bits (up to eight decimals
// of minutes), else the seconds rounded to fit.
struct Rational {
  std::uint32_t numerator = 0;
  std::uint32_t denominator = 1;
  bool operator==(const Rational&) const = default;
};
std::array<Rational, 3> DegreesMinutesSeconds(const Angle& angle);

}  // namespace geoframe
