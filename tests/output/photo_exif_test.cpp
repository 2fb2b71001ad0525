#include "output/photo_exif.h"

#include <gtest/gtest.h>

#include <exiv2/exiv2.hpp>

#include <cmath>
#include <string>
#include <vector>

#include "exif/exif_reader.h"
#include "jpeg_inspect.h"
#include "output/output_error.h"
#include "test_support.h"

namespace geoframe {
namespace {

namespace chr = std::chrono;

// 47°17.1251' N, 137°30.56789' W at 2003-08-27 05:09:56 UTC: five decimals of
// minutes, which the coordinate text would round away.
const GeoPosition kPosition{'N', {47, 171251, 4}, 'W', {137, 3056789, 5},
                            chr::sys_days{chr::August / 27 / 2003} + chr::hours{5} + chr::minutes{9} +
                                chr::seconds{56}};

// The GPS angle exiv2 reads back, in signed degrees.
double ReadDegrees(const Exiv2::ExifData& data, const std::string& angle, const std::string& ref) {
  const auto value = data.findKey(Exiv2::ExifKey("Exif.GPSInfo." + angle));
  const auto hemisphere = data.findKey(Exiv2::ExifKey("Exif.GPSInfo." + ref));
  if (value == data.end() || hemisphere == data.end() || value->count() != 3) return NAN;
  const double degrees = value->toFloat(0) + value->toFloat(1) / 60 + value->toFloat(2) / 3600;
  const std::string letter = hemisphere->toString();
  return letter == "S" || letter == "W" ? -degrees : degrees;
}

Exiv2::ExifData ExifOfFile(const std::string& path) {
  Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
  image->readMetadata();
  return image->exifData();
}

// What the program's own reader reads: the record count and the shooting time.
std::pair<std::int32_t, std::string> OwnReading(const std::string& path) {
  ExifReader reader;
  reader.Load(path);
  const ExifValue records = reader.Tag(0), time = reader.Tag(36867);
  return {std::holds_alternative<std::int32_t>(records) ? std::get<std::int32_t>(records) : 0,
          std::holds_alternative<std::string>(time) ? std::get<std::string>(time) : ""};
}

struct CameraCase {
  const char* file;
  int addedRecords;  // the GPS pointer in IFD0, unless the photo had one
};

class WithGpsExifTest : public ::testing::TestWithParam<CameraCase> {};

TEST_P(WithGpsExifTest, WritesGpsAndKeepsEverythingElse) {
  const std::string source = (testing::TestDataDir() / "jpeg" / GetParam().file).string();
  const std::vector<std::uint8_t> original = testing::ReadFileBytes(source);
  const std::vector<std::uint8_t> written = WithGpsExif(original, kPosition, source);

  // The compressed picture and everything after the headers stay byte for byte.
  const std::size_t scan = testing::FirstScanData(original);
  ASSERT_GE(written.size(), original.size() - scan);
  EXPECT_TRUE(std::equal(original.begin() + static_cast<std::ptrdiff_t>(scan), original.end(),
                         written.end() - static_cast<std::ptrdiff_t>(original.size() - scan)));

  testing::TempDir dir;
  const std::string copy = (dir.path() / "written.jpg").string();
  testing::WriteFileBytes(copy, written);
  const Exiv2::ExifData before = ExifOfFile(source);
  const Exiv2::ExifData after = ExifOfFile(copy);
  EXPECT_NEAR(ReadDegrees(after, "GPSLatitude", "GPSLatitudeRef"), 47 + 17.1251 / 60, 1e-12);
  EXPECT_NEAR(ReadDegrees(after, "GPSLongitude", "GPSLongitudeRef"), -(137 + 30.56789 / 60), 1e-12);
  EXPECT_EQ(after.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSDateStamp"))->toString(), "2003:08:27");
  EXPECT_EQ(after.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSTimeStamp"))->toFloat(2), 56);
  for (const Exiv2::Exifdatum& datum : before) {
    if (datum.groupName() == "GPSInfo") continue;
    const auto kept = after.findKey(Exiv2::ExifKey(datum.key()));
    ASSERT_NE(kept, after.end()) << datum.key();
    EXPECT_EQ(kept->toString(), datum.toString()) << datum.key();
  }

  const auto [recordsBefore, timeBefore] = OwnReading(source);
  const auto [recordsAfter, timeAfter] = OwnReading(copy);
  EXPECT_EQ(timeAfter, timeBefore);
  EXPECT_EQ(recordsAfter, recordsBefore + GetParam().addedRecords);
}

INSTANTIATE_TEST_SUITE_P(
    Cameras, WithGpsExifTest,
    ::testing::Values(CameraCase{"Canon PowerShot A85.jpg", 1},  // little-endian, maker note, thumbnail, turned
                      CameraCase{"Nikon D70.jpg", 1},             // big-endian, maker note, thumbnail
                      CameraCase{"Apple iPhone 4.jpg", 1},        // big-endian, no thumbnail
                      CameraCase{"Sony Cybershot (3).jpg", 1},    // little-endian, turned
                      CameraCase{"Nikon D1X.jpg", 0},             // a GPS IFD already, replaced
                      CameraCase{"Casio QV-7000SX.jpg", 1}));     // no EXIF: a segment is inserted

TEST(WithFramedExif, OriginalsExifUprightAtTheFramedSizeWithoutThumbnail) {
  const std::string source = (testing::TestDataDir() / "jpeg" / "Canon PowerShot A85.jpg").string();
  const std::vector<std::uint8_t> original = testing::ReadFileBytes(source);
  // Any JPEG without EXIF stands in for the framed picture.
  const std::vector<std::uint8_t> framed =
      testing::ReadFileBytes(testing::TestDataDir() / "jpeg" / "Casio QV-7000SX.jpg");
  testing::TempDir dir;
  const std::string path = (dir.path() / "framed.jpg").string();
  for (const std::optional<GeoPosition>& position : {std::optional<GeoPosition>(), std::optional(kPosition)}) {
    testing::WriteFileBytes(path, WithFramedExif(framed, 1234, 567, original, true, position, source));
    const Exiv2::ExifData before = ExifOfFile(source), after = ExifOfFile(path);
    EXPECT_EQ(before.findKey(Exiv2::ExifKey("Exif.Image.Orientation"))->toLong(), 8);
    EXPECT_EQ(after.findKey(Exiv2::ExifKey("Exif.Image.Orientation"))->toLong(), 1);
    EXPECT_EQ(after.findKey(Exiv2::ExifKey("Exif.Photo.PixelXDimension"))->toLong(), 1234);
    EXPECT_EQ(after.findKey(Exiv2::ExifKey("Exif.Photo.PixelYDimension"))->toLong(), 567);
    for (const char* key : {"Exif.Image.Model", "Exif.Photo.DateTimeOriginal", "Exif.Canon.FileNumber"}) {
      EXPECT_EQ(after.findKey(Exiv2::ExifKey(key))->toString(), before.findKey(Exiv2::ExifKey(key))->toString());
    }
    EXPECT_NE(before.findKey(Exiv2::ExifKey("Exif.Thumbnail.Compression")), before.end());
    for (const Exiv2::Exifdatum& datum : after) EXPECT_NE(datum.groupName(), "Thumbnail") << datum.key();
    EXPECT_EQ(std::isnan(ReadDegrees(after, "GPSLatitude", "GPSLatitudeRef")), !position);
    EXPECT_EQ(OwnReading(path).second, OwnReading(source).second);
  }
  // Neither asked for: the framed picture as it was.
  EXPECT_EQ(WithFramedExif(framed, 1, 1, original, false, std::nullopt, source), framed);
}

TEST(WithGpsExif, RefusesWhatItCannotRewrite) {
  const std::vector<std::uint8_t> app1 = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x10, 'E', 'x', 'i', 'f', 0, 0,
                                          'I',  'I',  42,   0,    0xF0, 0,    0,   0,   0xFF, 0xD9};
  struct Case {
    std::vector<std::uint8_t> jpeg;
    OutputErrorKind kind;
  };
  for (const Case& c : {Case{app1, OutputErrorKind::ExifDamaged},  // IFD0 beyond the segment
                        Case{{0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x40}, OutputErrorKind::NotJpeg},  // segment cut short
                        Case{{'G', 'I', 'F', '8'}, OutputErrorKind::NotJpeg}}) {
    try {
      WithGpsExif(c.jpeg, kPosition, "photo.jpg");
      ADD_FAILURE() << "no error";
    } catch (const OutputError& error) {
      EXPECT_EQ(error.kind(), c.kind);
      EXPECT_EQ(error.fields().path, "photo.jpg");
    }
  }
}

}  // namespace
}  // namespace geoframe
