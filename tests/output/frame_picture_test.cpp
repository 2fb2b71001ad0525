#include "output/frame_picture.h"

#include <gtest/gtest.h>

#include <algorithm>  // search
#include <cmath>
#include <cstring>  // memcmp
#include <fstream>
#include <iterator>  // begin, end
#include <ostream>
#include <sstream>
#include <utility>  // pair

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

// A 150 x 90 picture (wider than two 64-pixel turning tiles) of four
// coloured quarters, red top left, green top right, blue bottom left, yellow
// bottom right; and where each colour stands once the picture is upright.
constexpr int kQuarterWidth = 75, kQuarterHeight = 45;
const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0};

Rgb QuarterColour(int x, int y) {
  if (y < kQuarterHeight) return x < kQuarterWidth ? kRed : kGreen;
  return x < kQuarterWidth ? kBlue : kYellow;
}

std::vector<std::uint8_t> QuarterPixels(int channels) {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < 2 * kQuarterHeight; ++y) {
    for (int x = 0; x < 2 * kQuarterWidth; ++x) {
      const Rgb c = QuarterColour(x, y);
      if (channels == 3) {
        pixels.insert(pixels.end(), {std::uint8_t(c.r), std::uint8_t(c.g), std::uint8_t(c.b)});
      } else {  // inverted inks without black: the stored values are the light let through
        pixels.insert(pixels.end(), {std::uint8_t(c.r), std::uint8_t(c.g), std::uint8_t(c.b), 255});
      }
    }
  }
  return pixels;
}

struct Upright {
  int orientation;
  PixelSize size;
  Rgb topLeft, topRight, bottomLeft, bottomRight;
};

void PrintTo(const Upright& u, std::ostream* out) { *out << "orientation " << u.orientation; }

// From the EXIF definitions, e.g. 6: stored row 0 is the right-hand side and
// stored column 0 the top, so the stored top left (red) stands top right.
const Upright kUpright[] = {
    {1, {150, 90}, kRed, kGreen, kBlue, kYellow},    {2, {150, 90}, kGreen, kRed, kYellow, kBlue},
    {3, {150, 90}, kYellow, kBlue, kGreen, kRed},    {4, {150, 90}, kBlue, kYellow, kRed, kGreen},
    {5, {90, 150}, kRed, kBlue, kGreen, kYellow},    {6, {90, 150}, kBlue, kRed, kYellow, kGreen},
    {7, {90, 150}, kYellow, kGreen, kBlue, kRed},    {8, {90, 150}, kGreen, kYellow, kRed, kBlue},
};

// Checks the four corners (3 pixels in) of an upright picture whose pixel
// (x, y) is at(x, y), within `tolerance` of the expected colours.
template <typename At>
void ExpectCorners(const Upright& u, int tolerance, At at) {
  const int right = u.size.width - 4, bottom = u.size.height - 4;
  const std::pair<std::pair<int, int>, Rgb> corners[] = {
      {{3, 3}, u.topLeft}, {{right, 3}, u.topRight}, {{3, bottom}, u.bottomLeft}, {{right, bottom}, u.bottomRight}};
  for (const auto& [where, want] : corners) {
    const Rgb got = at(where.first, where.second);
    EXPECT_TRUE(std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
                std::abs(got.b - want.b) <= tolerance)
        << "orientation " << u.orientation << " at " << where.first << ", " << where.second << ": got " << got.r
        << " " << got.g << " " << got.b;
  }
}

class OrientationTest : public ::testing::TestWithParam<Upright> {};

TEST_P(OrientationTest, PictureStandsUpright) {
  const Upright& u = GetParam();
  RgbImage stored{150, 90, QuarterPixels(3)};
  const RgbImage turned = ApplyOrientation(stored, u.orientation);
  ASSERT_EQ((PixelSize{turned.width, turned.height}), u.size);
  ExpectCorners(u, 0, [&](int x, int y) { return PixelAt(turned, x, y); });
}

// Framing turns an RGB photo (flips in place, quarter turns strip by strip)
// and an ink photo (converted strip by strip) alike.
TEST_P(OrientationTest, FramedPhotoStandsUpright) {
  const Upright& u = GetParam();
  const std::vector<std::uint8_t> rgb = QuarterPixels(3), inks = QuarterPixels(4);
  const std::pair<const char*, std::vector<std::uint8_t>> photos[] = {
      {"RGB", EncodeJpeg(rgb.data(), 150, 90, 150 * 3, 95)}, {"YCCK", tools::EncodeYcckJpeg(inks, 150, 90)}};
  for (const auto& [coding, jpeg] : photos) {
    SCOPED_TRACE(coding);
    const QImage canvas = FrameJpeg(jpeg, u.orientation, "");
    ASSERT_EQ((PixelSize{canvas.width(), canvas.height()}), CanvasSize(u.size));
    ExpectCorners(u, 24, [&](int x, int y) { return PixelAt(canvas, kPhotoLeft + x, kPhotoLeft + y); });
    CheckMarginsAndCountInk(canvas, u.size);
  }
}

INSTANTIATE_TEST_SUITE_P(AllEight, OrientationTest, ::testing::ValuesIn(kUpright));

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
    const int width = std::stoi(fields[4]), height = std::stoi(fields[5]);
    // orientations 5 to 8 are stored on their side
    const PixelSize upright = orientation >= 5 ? PixelSize{height, width} : PixelSize{width, height};
    QImage canvas = FramePicture((testing::TestDataDir() / "jpeg" / fields[0]).string(), " x");
    EXPECT_EQ(canvas.width(), upright.width + 48) << fields[0];
    EXPECT_EQ(canvas.height(), upright.height + 48) << fields[0];
    ++framed;
  }
  EXPECT_GT(framed, 30);
}

std::string DataFile(const std::string& name) { return std::string(GEOFRAME_OUTPUT_TEST_DATA) + "/" + name; }

// Ink photos come out in the colours their inks make: C x K / 255 and so on
// of the values as stored (inverted, 255 for no ink). Left half: cyan and
// black ink 0, magenta and yellow 255; right half: inks 50, 150, 200, 100.
// Expected colours as ImageMagick 6.9 gives them for both files.
TEST(FrameJpeg, InkPhotosInTheColoursOfTheirInks) {
  for (const std::string name : {"cmyk_adobe.jpg", "ycck_imagemagick.jpg"}) {
    SCOPED_TRACE(name);
    const QImage canvas = FrameJpeg(ReadFileBytes(DataFile(name)), 1, "");
    ASSERT_EQ((PixelSize{canvas.width(), canvas.height()}), CanvasSize({16, 8}));
    for (auto [x, want] : {std::pair{2, Rgb{255, 0, 0}}, {13, Rgb{124, 63, 33}}}) {
      const Rgb got = PixelAt(canvas, kPhotoLeft + x, kPhotoLeft + 4);
      EXPECT_TRUE(std::abs(got.r - want.r) <= 2 && std::abs(got.g - want.g) <= 2 && std::abs(got.b - want.b) <= 2)
          << "at " << x << ": " << got.r << " " << got.g << " " << got.b;
    }
  }
}

std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> jpeg, std::size_t keep) {
  jpeg.resize(keep);
  return jpeg;
}

// The stream with 32 one bits in the middle of its entropy-coded data: no
// Huffman table of a JPEG codes anything with sixteen ones in a row.
std::vector<std::uint8_t> WithBadHuffmanCodes(std::vector<std::uint8_t> jpeg) {
  std::size_t at = (testing::FirstScanData(jpeg) + jpeg.size()) / 2;
  while (jpeg[at - 1] == 0xFF) ++at;  // not inside a stuffed byte
  for (int i = 0; i < 4; ++i, at += 2) jpeg[at] = 0xFF, jpeg[at + 1] = 0x00;
  return jpeg;
}

// The stream with stray bytes before its first quantisation table, as some
// cameras write.
std::vector<std::uint8_t> WithStrayBytes(std::vector<std::uint8_t> jpeg) {
  const std::uint8_t dqt[] = {0xFF, 0xDB};
  jpeg.insert(std::search(jpeg.begin(), jpeg.end(), std::begin(dqt), std::end(dqt)), {0x00, 0x17});
  return jpeg;
}

std::vector<std::uint8_t> Progressive(int width, int height, tools::JpegCoding coding) {
  return tools::EncodeSampleJpeg(tools::SamplePixels(width, height, 5), width, height, coding);
}

// Streams that lose nothing frame exactly as their clean form decodes.
TEST(FrameJpeg, WarningsThatLoseNothingStillFrame) {
  const std::vector<std::uint8_t> baseline = tools::MakeSamplePhoto(40, 24, 8);
  const std::vector<std::uint8_t> progressive = Progressive(16, 16, tools::JpegCoding::Progressive420);
  const int roomForScans = kMaxJpegScans - testing::ScanCount(progressive);
  const std::pair<std::vector<std::uint8_t>, const std::vector<std::uint8_t>*> cases[] = {
      {WithStrayBytes(baseline), &baseline},
      {tools::WithExtraScans(progressive, roomForScans), &progressive},  // exactly the most scans
  };
  for (const auto& [jpeg, clean] : cases) {
    const QImage canvas = FrameJpeg(jpeg, 1, "");
    const RgbImage want = DecodeJpeg(*clean);
    for (int y = 0; y < want.height; ++y) {
      ASSERT_EQ(0, std::memcmp(canvas.constScanLine(y + kPhotoLeft) + kPhotoLeft * 3, want.row(y),
                               static_cast<std::size_t>(want.width) * 3));
    }
  }
}

// Whatever framing refuses, it refuses with the kind and the file, before it
// allocates anything large and without making up pixels.
TEST(FramePicture, RefusesWhatItCannotFrameNamingTheFile) {
  TempDir dir;
  const std::vector<std::uint8_t> photo = tools::MakeSamplePhoto(64, 48, 7);
  const std::vector<std::uint8_t> small = tools::MakeSamplePhoto(16, 16, 7);
  const std::vector<std::uint8_t> progressive = Progressive(16, 16, tools::JpegCoding::Progressive420);
  const std::vector<std::uint8_t> progressive444 = Progressive(16, 16, tools::JpegCoding::Progressive444);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    OutputErrorKind kind;
    PixelSize tooLarge;  // TooLarge: the upright size it names
  };
  const Case cases[] = {
      {"text.jpg", {'h', 'e', 'l', 'l', 'o'}, OutputErrorKind::NotJpeg, {}},
      {"header-only.jpg", Cut(small, 20), OutputErrorKind::Damaged, {}},
      {"cut-in-half.jpg", Cut(photo, photo.size() / 2), OutputErrorKind::Damaged, {}},
      {"bad-huffman-codes.jpg", WithBadHuffmanCodes(photo), OutputErrorKind::Damaged, {}},
      // claims 12000 x 12000 and has the data of 16 x 16: no grey picture
      {"claims-more.jpg", tools::WithDeclaredSize(small, 12000, 12000), OutputErrorKind::Damaged, {}},
      {"claims-more-turned.jpg", tools::InsertExif(tools::WithDeclaredSize(small, 12000, 9000), "", 6),
       OutputErrorKind::Damaged, {}},
      {"progressive-claims-more.jpg", tools::WithDeclaredSize(progressive, 9000, 9000), OutputErrorKind::Damaged, {}},
      {"one-scan-too-many.jpg", tools::WithExtraScans(progressive, kMaxJpegScans + 1 - testing::ScanCount(progressive)),
       OutputErrorKind::Damaged, {}},
      // past the canvas limit
      {"13000x12000.jpg", tools::WithDeclaredSize(small, 13000, 12000), OutputErrorKind::TooLarge, {13000, 12000}},
      {"65500x65500.jpg", tools::WithDeclaredSize(small, 65500, 65500), OutputErrorKind::TooLarge, {65500, 65500}},
      // within the canvas limit, but every coefficient of 12000 x 12000 at full
      // chroma takes 864 MB beside the canvas
      {"progressive-12000x12000.jpg", tools::WithDeclaredSize(progressive444, 12000, 12000),
       OutputErrorKind::TooLarge, {12000, 12000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.folder() + c.name;
    WriteFileBytes(path, c.bytes);
    try {
      FramePicture(path, " x");
      ADD_FAILURE() << "framed";
    } catch (const OutputError& error) {
      EXPECT_EQ(error.kind(), c.kind) << error.what();
      EXPECT_EQ(error.fields().path, path);
      if (c.kind != OutputErrorKind::TooLarge) continue;
      EXPECT_EQ((PixelSize{error.fields().width, error.fields().height}), c.tooLarge);
      const bool overCanvas = std::int64_t{c.tooLarge.width + 48} * (c.tooLarge.height + 48) > kMaxCanvasPixels;
      EXPECT_EQ(error.fields().bytes > kFramingMemoryBudget, !overCanvas) << error.fields().bytes;
    }
  }
  try {
    FramePicture(dir.folder() + "missing.jpg", " x");
    ADD_FAILURE() << "a missing file was framed";
  } catch (const OutputError& error) {
    EXPECT_EQ(error.kind(), OutputErrorKind::Missing);
  }
}

}  // namespace
}  // namespace geoframe
