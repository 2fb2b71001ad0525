#include "output/exif_writer.h"

#include <exiv2/exiv2.hpp>

#include <string>

#include "output/gps_ifd.h"
#include "output/output_error.h"

namespace geoframe {
namespace {

// An EXIF segment holds at most this many bytes of TIFF data (64 KB less the
// length field and "Exif\0\0").
constexpr std::size_t kMaxTiffBytes = 0xFFFF - 2 - 6;

[[noreturn]] void ThrowDamaged(const std::string& detail) {
  throw OutputError(OutputErrorKind::ExifDamaged, "", detail);
}

// What libexiv2 reads from a TIFF block. Its own messages stay quiet: what it
// could not read shows in what the caller compares.
Exiv2::ExifData Decode(std::span<const std::uint8_t> tiff, Exiv2::ByteOrder* order = nullptr) {
  static const bool quiet = [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    return true;
  }();
  (void)quiet;
  Exiv2::ExifData data;
  if (tiff.empty()) return data;
  Exiv2::ByteOrder read = Exiv2::invalidByteOrder;
  try {
    read = Exiv2::ExifParser::decode(data, tiff.data(), static_cast<std::uint32_t>(tiff.size()));
  } catch (const Exiv2::AnyError& error) {
    ThrowDamaged(error.what());
  }
  if (read == Exiv2::invalidByteOrder) ThrowDamaged("TIFF header");
  if (order != nullptr) *order = read;
  return data;
}

void CheckAngle(const Exiv2::ExifData& data, const char* key, const Angle& angle) {
  const auto datum = data.findKey(Exiv2::ExifKey(key));
  const std::array<Rational, 3> wanted = DegreesMinutesSeconds(angle);
  if (datum == data.end() || datum->count() != 3) ThrowDamaged(key);
  for (long i = 0; i < 3; ++i) {
    const Exiv2::Rational read = datum->toRational(i);
    const Rational& want = wanted[static_cast<std::size_t>(i)];
    if (static_cast<std::uint32_t>(read.first) != want.numerator ||
        static_cast<std::uint32_t>(read.second) != want.denominator) {
      ThrowDamaged(key);
    }
  }
}

}  // namespace

void CheckGpsWritten(std::span<const std::uint8_t> original, std::span<const std::uint8_t> written,
                     const GeoPosition& position) {
  const Exiv2::ExifData before = Decode(original);
  const Exiv2::ExifData after = Decode(written);
  for (const Exiv2::Exifdatum& datum : before) {
    if (datum.groupName() != "GPSInfo" && after.findKey(Exiv2::ExifKey(datum.key())) == after.end()) {
      ThrowDamaged(datum.key());
    }
  }
  CheckAngle(after, "Exif.GPSInfo.GPSLatitude", position.latitude);
  CheckAngle(after, "Exif.GPSInfo.GPSLongitude", position.longitude);
}

std::vector<std::uint8_t> FramedExifTiff(std::span<const std::uint8_t> original, int width, int height) {
  Exiv2::ByteOrder order = Exiv2::littleEndian;
  Exiv2::ExifData data = Decode(original, &order);
  for (auto datum = data.begin(); datum != data.end();) {
    datum = datum->groupName() == "Thumbnail" ? data.erase(datum) : std::next(datum);
  }
  data["Exif.Image.Orientation"] = static_cast<std::uint16_t>(1);
  data["Exif.Photo.PixelXDimension"] = static_cast<std::uint32_t>(width);
  data["Exif.Photo.PixelYDimension"] = static_cast<std::uint32_t>(height);
  Exiv2::Blob blob;
  try {
    Exiv2::ExifParser::encode(blob, nullptr, 0, order, data);
  } catch (const Exiv2::AnyError& error) {
    ThrowDamaged(error.what());
  }
  if (blob.size() > kMaxTiffBytes) throw OutputError(OutputErrorKind::ExifTooLarge, "");
  return {blob.begin(), blob.end()};
}

}  // namespace geoframe

// Exported from the module even where it hides its other symbols.
extern "C" [[gnu::visibility("default")]] const geoframe::ExifWriter* geoframe_exif_writer() {
  static constexpr geoframe::ExifWriter writer{geoframe::CheckGpsWritten, geoframe::FramedExifTiff};
  return &writer;
}
