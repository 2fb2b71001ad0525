#include "output/frame_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "jpeg_inspect.h"
#include "output/jpeg_codec.h"
#include "output/save_jpg.h"
#include "sample_photos.h"
#include "test_support.h"

namespace geoframe {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

const std::string kLongAnnotation =
    " 西湖断桥残雪 Hangzhou  N30°15.1234',E120°30.5678'  2010-12-06 16:30:15";

struct Rgb {
  int r, g, b;
  bool white() const { return r == 255 && g == 255 && b == 255; }
  bool dark() const { return r < 100 && g < 100 && b < 100; }
};

Rgb PixelAt(const QImage& image, int x, int y) {
  const std::uint8_t* p = image.constScanLine(y) + x * 3;
  return {p[0], p[1], p[2]};
}

Rgb PixelAt(const RgbImage& image, int x, int y) {
  const std::uint8_t* p = image.row(y) + x * 3;
  return {p[0], p[1], p[2]};
}

bool InPhoto(int x, int y, PixelSize photo) {
  return x >= kPhotoLeft && x < kPhotoLeft + photo.width && y >= kPhotoLeft && y < kPhotoLeft + photo.height;
}

bool InTextStripColumn(int x, int y, PixelSize photo) {
  int top = kFrameMargin + photo.height + 2 * kCellBorder;
  return y >= top && y < top + kTextStripHeight && x >= kFrameMargin && x < kFrameMargin + photo.width + 4;
}

struct StripInk {
  int dark = 0, grey = 0;
};

// Checks every pixel outside the photo and the text strip is white; counts ink in the strip.
StripInk CheckMarginsAndCountInk(const QImage& canvas, PixelSize photo) {
  StripInk ink;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (InPhoto(x, y, photo)) continue;
      Rgb p = PixelAt(canvas, x, y);
      if (InTextStripColumn(x, y, photo)) {
        ink.dark += p.dark();
        ink.grey += !p.dark() && !p.white();
      } else if (!p.white()) {
        ADD_FAILURE() << "margin pixel (" << x << ", " << y << ") is not white";
        return ink;
      }
    }
  }
  return ink;
}

double PhotoCellPsnr(const RgbImage& framed, const RgbImage& source) {
  double squares = 0;
  for (int y = 0; y < source.height; ++y) {
    for (int x = 0; x < source.width * 3; ++x) {
      double d = double(framed.row(y + kPhotoLeft)[kPhotoLeft * 3 + x]) - source.row(y)[x];
      squares += d * d;
    }
  }
  double mse = squares / (double(source.width) * source.height * 3);
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

class FrameLayoutTest : public ::testing::TestWithParam<PixelSize> {};

TEST_P(FrameLayoutTest, PhotoUnscaledInItsCellWhiteMarginsTextOnlyInTheStrip) {
  PixelSize photo = GetParam();
  std::vector<std::uint8_t> jpeg = tools::MakeSamplePhoto(photo.width, photo.height, 1);
  QImage canvas = FrameJpeg(jpeg, 1, kLongAnnotation);
  ASSERT_EQ(canvas.format(), QImage::Format_RGB888);
  ASSERT_EQ(canvas.width(), photo.width + 48);
  ASSERT_EQ(canvas.height(), photo.height + 48);
  RgbImage source = DecodeJpeg(jpeg);
  for (int y = 0; y < photo.height; ++y) {
    ASSERT_EQ(0, std::memcmp(canvas.constScanLine(y + kPhotoLeft) + kPhotoLeft * 3, source.row(y),
                             static_cast<std::size_t>(photo.width) * 3))
        << "photo row " << y;
  }
  StripInk ink = CheckMarginsAndCountInk(canvas, photo);
  if (photo.width >= 200) {
    EXPECT_GT(ink.dark, 100) << "no text drawn";
    EXPECT_GT(ink.grey, 50) << "text not anti-aliased";
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FrameLayoutTest,
                         ::testing::Values(PixelSize{640, 480}, PixelSize{1, 1}, PixelSize{17, 33},
                                           PixelSize{1001, 7}));

TEST(FrameJpeg, BlankAnnotationLeavesTheStripWhite) {
  PixelSize photo{300, 40};
  QImage canvas = FrameJpeg(tools::MakeSamplePhoto(photo.width, photo.height, 2), 1, "     ");
  StripInk ink = CheckMarginsAndCountInk(canvas, photo);
  EXPECT_EQ(ink.dark + ink.grey, 0);
}

TEST(FrameJpeg, TextStartsOneBlankRightOfThePhotoColumnAndIsVerticallyCentred) {
  PixelSize photo{400, 30};
  QImage canvas = FrameJpeg(tools::MakeSamplePhoto(photo.width, photo.height, 3), 1, " 西湖");
  int top = kFrameMargin + photo.height + 4, left = canvas.width(), first = -1, last = -1;
  for (int y = top; y < top + kTextStripHeight; ++y) {
    for (int x = kFrameMargin; x < kFrameMargin + photo.width + 4; ++x) {
      if (!PixelAt(canvas, x, y).dark()) continue;
      left = std::min(left, x);
      if (first < 0) first = y;
      last = y;
    }
  }
  ASSERT_GE(first, 0) << "no text drawn";
  EXPECT_GT(left, kFrameMargin + 2) << "the leading blank is missing";
  EXPECT_LT(left, kFrameMargin + 16);
  // Ink above and below the middle of the strip, within a few pixels of balance.
  EXPECT_LE(std::abs((first - top) - (top + kTextStripHeight - 1 - last)), 4);
}

class OrientationTest : public ::testing::TestWithParam<int> {};

TEST_P(OrientationTest, CanvasFollowsTheUprightPhoto) {
  int orientation = GetParam();
  std::vector<std::uint8_t> jpeg = tools::MakeSamplePhoto(41, 23, 4);
  QImage canvas = FrameJpeg(jpeg, orientation, "");
  RgbImage upright = ApplyOrientation(DecodeJpeg(jpeg), orientation);
  ASSERT_EQ(canvas.width(), upright.width + 48);
  ASSERT_EQ(canvas.height(), upright.height + 48);
  for (int y = 0; y < upright.height; ++y) {
    ASSERT_EQ(0, std::memcmp(canvas.constScanLine(y + kPhotoLeft) + kPhotoLeft * 3, upright.row(y),
                             static_cast<std::size_t>(upright.width) * 3))
        << "row " << y;
  }
  CheckMarginsAndCountInk(canvas, {upright.width, upright.height});
}

INSTANTIATE_TEST_SUITE_P(AllEight, OrientationTest, ::testing::Range(1, 9));

TEST(FramePicture, SavedCanvasKeepsThePhotoAndDropsItsMetadata) {
  TempDir dir;
  std::string source = dir.folder() + "IMG_0001.JPG";
  WriteFileBytes(source, tools::MakeSamplePhoto(640, 480, 6, "2010:12:06 08:30:15", 1));
  std::string out = dir.folder() + "framed.jpg";
  ASSERT_TRUE(SaveJPG(FramePicture(source, kLongAnnotation), out, kFramedQuality));
  std::vector<std::uint8_t> framed = ReadFileBytes(out);
  std::vector<int> markers = testing::MarkersUpToScan(framed);
  EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xE1), 0) << "EXIF segment in output";
  EXPECT_EQ(testing::QuantisationTables(framed), testing::LibjpegTables(80));
  RgbImage decoded = DecodeJpeg(framed);
  ASSERT_EQ(decoded.width, 688);
  ASSERT_EQ(decoded.height, 528);
  EXPECT_GE(PhotoCellPsnr(decoded, DecodeJpeg(ReadFileBytes(source))), 30.0);
  for (auto [x, y] : {std::pair{0, 0}, {8, 8}, {687, 0}, {0, 527}, {687, 527}, {680, 300}}) {
    Rgb p = PixelAt(decoded, x, y);
    EXPECT_TRUE(p.r > 245 && p.g > 245 && p.b > 245) << "margin at " << x << ", " << y;
  }
}

// Every camera file of the shared test data frames to its upright size plus
// the margins (one of them has stray bytes before a marker, which libjpeg only
// warns about).
TEST(FramePicture, RealCameraFiles) {
  GEOFRAME_REQUIRE_TESTDATA();
  std::ifstream expected(testing::TestDataDir() / "jpeg" / "EXPECTED.tsv");
  int framed = 0;
  for (std::string line; std::getline(expected, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream columns(line);
    for (std::string field; std::getline(columns, field, '\t');) fields.push_back(field);
    ASSERT_GE(fields.size(), 6u) << line;
    int orientation = fields[3].empty() ? 1 : std::stoi(fields[3]);
    if (orientation < 1 || orientation > 8) orientation = 1;
    PixelSize upright = UprightSize({std::stoi(fields[4]), std::stoi(fields[5])}, orientation);
    QImage canvas = FramePicture((testing::TestDataDir() / "jpeg" / fields[0]).string(), " x");
    EXPECT_EQ(canvas.width(), upright.width + 48) << fields[0];
    EXPECT_EQ(canvas.height(), upright.height + 48) << fields[0];
    ++framed;
  }
  EXPECT_GT(framed, 30);
}

// A valid small stream whose frame header claims another size.
std::vector<std::uint8_t> WithDeclaredSize(std::vector<std::uint8_t> jpeg, int width, int height) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<std::uint8_t>(height & 0xFF);
      jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<std::uint8_t>(width & 0xFF);
      return jpeg;
    }
  }
  throw std::runtime_error("no SOF0");
}

TEST(FramePicture, RefusesWhatItCannotFrameNamingTheFile) {
  TempDir dir;
  std::vector<std::uint8_t> small = tools::MakeSamplePhoto(16, 16, 7);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* reason;
  };
  Case cases[] = {
      {"text.jpg", {'h', 'e', 'l', 'l', 'o'}, "无法解码"},
      {"header-only.jpg", std::vector<std::uint8_t>(small.begin(), small.begin() + 20), "无法解码"},
      // 13000 x 12000 is past the canvas limit: refused before any allocation
      {"huge.jpg", WithDeclaredSize(small, 13000, 12000), "太大"},
  };
  for (const Case& c : cases) {
    std::string path = dir.folder() + c.name;
    WriteFileBytes(path, c.bytes);
    try {
      FramePicture(path, " x");
      ADD_FAILURE() << c.name << " was framed";
    } catch (const OutputError& error) {
      std::string message = error.what();
      EXPECT_NE(message.find(path), std::string::npos) << message;
      EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    }
  }
  EXPECT_THROW(FramePicture(dir.folder() + "missing.jpg", " x"), OutputError);
}

}  // namespace
}  // namespace geoframe
