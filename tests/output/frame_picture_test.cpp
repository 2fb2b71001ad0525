#include "output/frame_picture.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>  // clamp, equal, search, sort
#include <cmath>
#include <cstring>  // memcmp
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>  // begin, end
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <utility>  // pair

#include "jpeg_inspect.h"
#include "output/annotation_text.h"  // FitAnnotation
#include "output/jpeg_decoder.h"
#include "output/jpeg_encoder.h"
#include "output/yuv_image.h"
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

// A canvas pixel in RGB: its luma and the chroma sample standing for it,
// through JFIF's conversion back.
Rgb PixelAt(const Yuv420Image& canvas, int x, int y) {
  const double luma = canvas.y().row(y)[x];
  const double cb = canvas.cb().row(y / 2)[x / 2] - 128.0, cr = canvas.cr().row(y / 2)[x / 2] - 128.0;
  auto level = [](double value) { return static_cast<int>(std::lround(std::clamp(value, 0.0, 255.0))); };
  return {level(luma + 1.402 * cr), level(luma - 0.344136 * cb - 0.714136 * cr), level(luma + 1.772 * cb)};
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

// Checks that luma is white (255) outside the photo and the text strip, also
// in the even column and row the encoder reads past an odd canvas, and chroma
// neutral (128) where it stands for none of their pixels; counts the strip's
// dark and grey (anti-aliased) pixels.
StripInk CheckMarginsAndCountInk(const Yuv420Image& canvas, PixelSize photo) {
  StripInk ink;
  const int width = canvas.width() + canvas.width() % 2, height = canvas.height() + canvas.height() % 2;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (InPhoto(x, y, photo)) continue;
      const int luma = canvas.y().row(y)[x];
      if (InTextStripColumn(x, y, photo)) {
        ink.dark += luma < 100;
        ink.grey += luma >= 100 && luma < 255;
      } else if (luma != 255) {
        ADD_FAILURE() << "margin pixel (" << x << ", " << y << ") has luma " << luma;
        return ink;
      }
    }
  }
  auto photoOrText = [&](int x, int y) { return InPhoto(x, y, photo) || InTextStripColumn(x, y, photo); };
  for (int y = 0; y < height / 2; ++y) {
    for (int x = 0; x < width / 2; ++x) {
      if (photoOrText(2 * x, 2 * y) || photoOrText(2 * x + 1, 2 * y) || photoOrText(2 * x, 2 * y + 1) ||
          photoOrText(2 * x + 1, 2 * y + 1)) {
        continue;
      }
      if (canvas.cb().row(y)[x] != 128 || canvas.cr().row(y)[x] != 128) {
        ADD_FAILURE() << "margin chroma (" << x << ", " << y << ") is not neutral";
        return ink;
      }
    }
  }
  return ink;
}

// libjpeg-turbo's own decoding and encoding, for references that do not go
// through the code under test.
struct TurboHandle {
  explicit TurboHandle(tjhandle made) : handle(made) {
    if (handle == nullptr) throw std::runtime_error(tjGetErrorStr2(nullptr));
  }
  ~TurboHandle() { tjDestroy(handle); }
  TurboHandle(const TurboHandle&) = delete;
  TurboHandle& operator=(const TurboHandle&) = delete;
  // Warnings that lose nothing (stray bytes before a marker) are no failure.
  void Check(int status) const {
    if (status != 0 && tjGetErrorCode(handle) != TJERR_WARNING) throw std::runtime_error(tjGetErrorStr2(handle));
  }
  tjhandle handle;
};

PixelSize TurboSize(const TurboHandle& turbo, const std::vector<std::uint8_t>& jpeg) {
  int width = 0, height = 0, sampling = 0, colours = 0;
  turbo.Check(tjDecompressHeader3(turbo.handle, jpeg.data(), jpeg.size(), &width, &height, &sampling, &colours));
  return {width, height};
}

RgbImage TurboDecode(const std::vector<std::uint8_t>& jpeg) {
  const TurboHandle turbo(tjInitDecompress());
  const PixelSize size = TurboSize(turbo, jpeg);
  RgbImage image{size.width, size.height, std::vector<std::uint8_t>(std::size_t(size.width) * size.height * 3)};
  turbo.Check(tjDecompress2(turbo.handle, jpeg.data(), jpeg.size(), image.pixels.data(), size.width, 0,
                            size.height, TJPF_RGB, 0));
  return image;
}

// Y, Cb and Cr planes of a 4:2:0 stream as stored, rows tightly packed.
struct Planes420 {
  PixelSize size;
  std::vector<std::uint8_t> y, cb, cr;
  int chromaWidth() const { return (size.width + 1) / 2; }
};

Planes420 TurboPlanes(const std::vector<std::uint8_t>& jpeg) {
  const TurboHandle turbo(tjInitDecompress());
  Planes420 planes{TurboSize(turbo, jpeg), {}, {}, {}};
  const int width = planes.size.width, height = planes.size.height;
  planes.y.resize(tjPlaneSizeYUV(0, width, 0, height, TJSAMP_420));
  planes.cb.resize(tjPlaneSizeYUV(1, width, 0, height, TJSAMP_420));
  planes.cr.resize(planes.cb.size());
  unsigned char* out[3] = {planes.y.data(), planes.cb.data(), planes.cr.data()};
  int strides[3] = {tjPlaneWidth(0, width, TJSAMP_420), planes.chromaWidth(), planes.chromaWidth()};
  turbo.Check(tjDecompressToYUVPlanes(turbo.handle, jpeg.data(), jpeg.size(), out, width, strides, height, 0));
  return planes;
}

std::vector<std::uint8_t> TurboEncode(const std::vector<std::uint8_t>& rgb, int width, int height, int sampling,
                                      int quality) {
  const TurboHandle turbo(tjInitCompress());
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const int status = tjCompress2(turbo.handle, rgb.data(), width, 0, height, TJPF_RGB, &buffer, &size, sampling,
                                 quality, 0);
  const std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(buffer, tjFree);
  turbo.Check(status);
  return {owned.get(), owned.get() + size};
}

// A photo framed as it was framed in RGB before: decoded to RGB by
// libjpeg-turbo, turned upright, put on a white canvas and encoded at the
// framed quality.
std::vector<std::uint8_t> FramedInRgb(const std::vector<std::uint8_t>& jpeg, int orientation) {
  const RgbImage photo = ApplyOrientation(TurboDecode(jpeg), orientation);
  const PixelSize canvas{photo.width + 2 * kPhotoLeft, photo.height + 2 * kPhotoLeft};
  std::vector<std::uint8_t> rgb(std::size_t(canvas.width) * canvas.height * 3, 255);
  for (int y = 0; y < photo.height; ++y) {
    std::memcpy(rgb.data() + (std::size_t(y + kPhotoLeft) * canvas.width + kPhotoLeft) * 3, photo.row(y),
                std::size_t(photo.width) * 3);
  }
  return TurboEncode(rgb, canvas.width, canvas.height, TJSAMP_420, kFramedQuality);
}

// PSNR of the size.width x size.height pixels of `a` from (ax, ay) against
// those of `b` from (bx, by).
double Psnr(const RgbImage& a, int ax, int ay, const RgbImage& b, int bx, int by, PixelSize size) {
  double squares = 0;
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width * 3; ++x) {
      const double d = double(a.row(ay + y)[ax * 3 + x]) - b.row(by + y)[bx * 3 + x];
      squares += d * d;
    }
  }
  const double mse = squares / (double(size.width) * size.height * 3);
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// The framed output of a photo against its framing in RGB: PSNR between the
// two over the whole output and over the photo cell alone (the photo and its
// 2-pixel border, with which it shares chroma), and of each against the
// photo's own RGB decode.
struct Comparison {
  double wholeAgainstRgbFraming = 0, againstRgbFraming = 0, photo = 0, rgbFramingPhoto = 0;
};

Comparison CompareWithRgbFraming(const Yuv420Image& canvas, const std::vector<std::uint8_t>& jpeg, int orientation) {
  const RgbImage framed = TurboDecode(EncodePicture(canvas, kFramedQuality));
  const RgbImage reference = TurboDecode(FramedInRgb(jpeg, orientation));
  const RgbImage photo = ApplyOrientation(TurboDecode(jpeg), orientation);
  if (framed.width != reference.width || framed.height != reference.height) return {};
  const PixelSize cell{photo.width + 2 * kCellBorder, photo.height + 2 * kCellBorder};
  const PixelSize size{photo.width, photo.height};
  return {Psnr(framed, 0, 0, reference, 0, 0, {framed.width, framed.height}),
          Psnr(framed, kFrameMargin, kFrameMargin, reference, kFrameMargin, kFrameMargin, cell),
          Psnr(framed, kPhotoLeft, kPhotoLeft, photo, 0, 0, size),
          Psnr(reference, kPhotoLeft, kPhotoLeft, photo, 0, 0, size)};
}

class FrameLayoutTest : public ::testing::TestWithParam<PixelSize> {};

// The photo's planes are libjpeg-turbo's own, but for the chroma samples past
// an odd last column or row, which also stand for white margin pixels.
TEST_P(FrameLayoutTest, PhotoUnscaledInItsCellWhiteMarginsTextOnlyInTheStrip) {
  PixelSize photo = GetParam();
  std::vector<std::uint8_t> jpeg = tools::MakeSamplePhoto(photo.width, photo.height, 1);
  const Yuv420Image canvas = FrameJpeg(jpeg, 1, kLongAnnotation);
  ASSERT_EQ(canvas.size(), (PixelSize{photo.width + 48, photo.height + 48}));
  const Planes420 source = TurboPlanes(jpeg);
  const int yPitch = tjPlaneWidth(0, photo.width, TJSAMP_420);
  for (int y = 0; y < photo.height; ++y) {
    ASSERT_EQ(0, std::memcmp(canvas.y().row(y + kPhotoLeft) + kPhotoLeft, source.y.data() + y * yPitch,
                             static_cast<std::size_t>(photo.width)))
        << "photo row " << y;
  }
  const int columns = source.chromaWidth(), rows = (photo.height + 1) / 2;
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) {
      // the share of margin pixels among the four a sample stands for
      const double white = 1 - (x < columns - 1 || photo.width % 2 == 0 ? 1 : 0.5) *
                                   (y < rows - 1 || photo.height % 2 == 0 ? 1 : 0.5);
      for (auto [plane, own] : {std::pair{canvas.cb(), &source.cb}, {canvas.cr(), &source.cr}}) {
        const double want = (1 - white) * (*own)[y * columns + x] + white * 128;
        ASSERT_NEAR(plane.row(y + kPhotoLeft / 2)[x + kPhotoLeft / 2], want, 1) << "chroma " << x << ", " << y;
      }
    }
  }
  StripInk ink = CheckMarginsAndCountInk(canvas, photo);
  if (photo.width >= 200) {
    EXPECT_GT(ink.dark, 100) << "no text drawn";
    EXPECT_GT(ink.grey, 50) << "text not anti-aliased";
  }
  const EncodedJpeg encoded = FrameJpegEncoded(jpeg, 1, kLongAnnotation, kFramedQuality);
  EXPECT_TRUE(std::ranges::equal(encoded.bytes(), EncodePicture(canvas, kFramedQuality)))
      << "framed as encoded, other bytes";
}

INSTANTIATE_TEST_SUITE_P(Sizes, FrameLayoutTest,
                         ::testing::Values(PixelSize{640, 480}, PixelSize{1, 1}, PixelSize{17, 33},
                                           PixelSize{1001, 7}));

TEST(FrameJpeg, BlankAnnotationLeavesTheStripWhite) {
  PixelSize photo{300, 40};
  const Yuv420Image canvas = FrameJpeg(tools::MakeSamplePhoto(photo.width, photo.height, 2), 1, "     ");
  StripInk ink = CheckMarginsAndCountInk(canvas, photo);
  EXPECT_EQ(ink.dark + ink.grey, 0);
}

TEST(FrameJpeg, TextStartsOneBlankRightOfThePhotoColumnAndIsVerticallyCentred) {
  PixelSize photo{400, 30};
  const Yuv420Image canvas = FrameJpeg(tools::MakeSamplePhoto(photo.width, photo.height, 3), 1, " 西湖");
  int top = kFrameMargin + photo.height + 4, left = canvas.width(), first = -1, last = -1;
  for (int y = top; y < top + kTextStripHeight; ++y) {
    for (int x = kFrameMargin; x < kFrameMargin + photo.width + 4; ++x) {
      if (canvas.y().row(y)[x] >= 100) continue;  // not dark
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

const std::string kWestLake = " 杭州西湖风景区    2010-12-06 10:10:10";
const std::string kWestLakeWithGps = " 杭州西湖风景区  N30°15.1234',E120°30.5678'  2010-12-06 10:10:10";

struct FitCase {
  int photoWidth;
  std::string annotation;
  int largest, smallest;  // the font's pixel size lies between
  bool whole;             // drawn whole, or cut short with "…"
};

class AnnotationFitTest : public ::testing::TestWithParam<FitCase> {};

// A line wider than the photo column is drawn smaller, and cut short only at
// the smallest size.
TEST_P(AnnotationFitTest, LineFitsUnderThePhoto) {
  const FitCase& c = GetParam();
  const int column = c.photoWidth + 2 * kCellBorder;
  const AnnotationFit fit = FitAnnotation(c.annotation, column);
  EXPECT_LE(fit.pixelSize, c.largest);
  EXPECT_GE(fit.pixelSize, c.smallest);
  if (c.whole) {
    EXPECT_EQ(fit.text, c.annotation);
  } else {
    const std::string ellipsis = "…";
    ASSERT_TRUE(fit.text.ends_with(ellipsis)) << fit.text;
    EXPECT_TRUE(c.annotation.starts_with(fit.text.substr(0, fit.text.size() - ellipsis.size()))) << fit.text;
  }
}

INSTANTIATE_TEST_SUITE_P(Lines, AnnotationFitTest,
                         ::testing::Values(FitCase{1000, kWestLakeWithGps, 20, 20, true},
                                           FitCase{320, kWestLake, 19, 12, true},
                                           FitCase{480, kWestLakeWithGps, 19, kMinAnnotationPixels, true},
                                           FitCase{60, kWestLake, kMinAnnotationPixels, kMinAnnotationPixels, false}));

// The luma of the text strip under a photo framed with the annotation, row
// by row.
std::vector<std::vector<std::uint8_t>> StripLuma(PixelSize photo, const std::string& annotation) {
  const Yuv420Image canvas = FrameJpeg(tools::MakeSamplePhoto(photo.width, photo.height, 4), 1, annotation);
  std::vector<std::vector<std::uint8_t>> rows;
  const int top = kFrameMargin + photo.height + 2 * kCellBorder;
  for (int y = top; y < top + kTextStripHeight; ++y) {
    const std::uint8_t* row = canvas.y().row(y) + kFrameMargin;
    rows.emplace_back(row, row + photo.width + 2 * kCellBorder);
  }
  return rows;
}

// The rightmost column with ink, -1 for none.
int LastInkColumn(const std::vector<std::vector<std::uint8_t>>& strip) {
  int last = -1;
  for (const auto& row : strip) {
    for (int x = 0; x < static_cast<int>(row.size()); ++x) {
      if (row[x] < 255) last = std::max(last, x);
    }
  }
  return last;
}

// The comment is one isolate laid out after the blank: an override in it
// turns its own letters only, and the time follows a right-to-left comment
// rather than standing before it.
TEST(FrameJpeg, CommentKeepsItsDirectionToItself) {
  const PixelSize photo{640, 16};
  const std::string time = "    2010-12-06 16:30:15";
  EXPECT_EQ(StripLuma(photo, " " + DirectionIsolate("\u202Eabc") + time), StripLuma(photo, " cba" + time));

  const std::string arabic = " " + DirectionIsolate("مرحبا بكم");
  const auto alone = StripLuma(photo, arabic), withTime = StripLuma(photo, arabic + time);
  const int commentEnd = LastInkColumn(alone);
  ASSERT_GT(commentEnd, 0);
  for (std::size_t y = 0; y < alone.size(); ++y) {
    EXPECT_TRUE(std::equal(alone[y].begin(), alone[y].begin() + commentEnd + 1, withTime[y].begin())) << "row " << y;
  }
  EXPECT_GT(LastInkColumn(withTime), commentEnd + 50);
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
    const Yuv420Image canvas = FrameJpeg(jpeg, u.orientation, "");
    ASSERT_EQ(canvas.size(), CanvasSize(u.size));
    ExpectCorners(u, 24, [&](int x, int y) { return PixelAt(canvas, kPhotoLeft + x, kPhotoLeft + y); });
    CheckMarginsAndCountInk(canvas, u.size);
  }
}

// Planes turn as pictures do, at every chroma sampling and odd sizes: each
// upright luma sample is its pixel's, and each 4:2:0 chroma sample the mean
// of the stored chroma samples of the (up to four) upright pixels it stands
// for. Strips of ten rows make 4:2:0 rows draw on two strips, and hold whole
// 8 x 8 blocks and rows and columns beyond them.
TEST_P(OrientationTest, PlanesStandUprightAtEveryChromaSampling) {
  const int orientation = GetParam().orientation;
  const PixelSize stored{19, 23};
  constexpr int kStripRows = 10;
  const PixelSize upright = UprightSize(stored, orientation);
  const int uprightChroma = ChromaCount(upright.width, 2);
  for (const ChromaSampling sampling : {ChromaSampling{1, 1}, {2, 1}, {1, 2}, {2, 2}}) {
    SCOPED_TRACE(std::to_string(sampling.across) + " x " + std::to_string(sampling.down));
    const int chromaWidth = ChromaCount(stored.width, sampling.across);
    std::vector<std::uint8_t> y, cb, cr;
    for (int i = 0; i < stored.width * stored.height; ++i) y.push_back(std::uint8_t(7 * i + 3));
    for (int i = 0; i < chromaWidth * ChromaCount(stored.height, sampling.down); ++i) {
      cb.push_back(std::uint8_t(i * 97 % 251));
      cr.push_back(std::uint8_t(250 - i * 53 % 241));
    }
    // every stored pixel with its luma and chroma samples, turned as pictures turn
    RgbImage pixels{stored.width, stored.height, {}};
    for (int py = 0; py < stored.height; ++py) {
      for (int px = 0; px < stored.width; ++px) {
        const int at = py / sampling.down * chromaWidth + px / sampling.across;
        pixels.pixels.insert(pixels.pixels.end(), {y[py * stored.width + px], cb[at], cr[at]});
      }
    }
    const RgbImage want = ApplyOrientation(pixels, orientation);
    std::vector<std::uint8_t> outY(upright.width * upright.height);
    std::vector<std::uint8_t> outCb(uprightChroma * ChromaCount(upright.height, 2)), outCr(outCb.size());
    UprightPlanes planes(stored, orientation, sampling, {outY.data(), upright.width}, {outCb.data(), uprightChroma},
                         {outCr.data(), uprightChroma});
    for (int first = 0; first < stored.height; first += kStripRows) {
      const std::ptrdiff_t chroma = first / sampling.down * chromaWidth;
      planes.Place({first, std::min(kStripRows, stored.height - first), y.data() + first * stored.width,
                    stored.width, cb.data() + chroma, cr.data() + chroma, chromaWidth, sampling});
    }
    for (int py = 0; py < upright.height; ++py) {
      for (int px = 0; px < upright.width; ++px) {
        ASSERT_EQ(outY[py * upright.width + px], want.row(py)[px * 3]) << px << ", " << py;
        if (px % 2 == 1 || py % 2 == 1) continue;
        double sums[3] = {}, count = 0;
        for (int qy = py; qy < std::min(py + 2, upright.height); ++qy) {
          for (int qx = px; qx < std::min(px + 2, upright.width); ++qx, ++count) {
            sums[1] += want.row(qy)[qx * 3 + 1];
            sums[2] += want.row(qy)[qx * 3 + 2];
          }
        }
        const std::size_t at = py / 2 * uprightChroma + px / 2;
        ASSERT_NEAR(outCb[at], sums[1] / count, 0.5) << "chroma " << px / 2 << ", " << py / 2;
        ASSERT_NEAR(outCr[at], sums[2] / count, 0.5) << "chroma " << px / 2 << ", " << py / 2;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllEight, OrientationTest, ::testing::ValuesIn(kUpright));

TEST(FramePicture, EncodedCanvasKeepsThePhotoAndDropsItsMetadata) {
  TempDir dir;
  std::string source = dir.folder() + "IMG_0001.JPG";
  WriteFileBytes(source, tools::MakeSamplePhoto(640, 480, 6, "2010:12:06 08:30:15", 1));
  const std::vector<std::uint8_t> framed = EncodePicture(FramePicture(source, kLongAnnotation), kFramedQuality);
  std::vector<int> markers = testing::MarkersUpToScan(framed);
  EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xE1), 0) << "EXIF segment in output";
  EXPECT_NE(std::find(markers.begin(), markers.end(), 0xC0), markers.end()) << "not baseline";
  EXPECT_EQ(testing::QuantisationTables(framed), testing::LibjpegTables(80));
  RgbImage decoded = TurboDecode(framed);
  ASSERT_EQ(decoded.width, 688);
  ASSERT_EQ(decoded.height, 528);
  EXPECT_GE(Psnr(decoded, kPhotoLeft, kPhotoLeft, TurboDecode(ReadFileBytes(source)), 0, 0, {640, 480}), 30.0);
  for (auto [x, y] : {std::pair{0, 0}, {8, 8}, {687, 0}, {0, 527}, {687, 527}, {680, 300}}) {
    Rgb p = PixelAt(decoded, x, y);
    EXPECT_TRUE(p.r > 245 && p.g > 245 && p.b > 245) << "margin at " << x << ", " << y;
  }
}

// Every camera file of the test data frames to its upright size plus
// the margins, looking as it did framed in RGB (one of them has stray bytes
// before a marker, which libjpeg only warns about).
TEST(FramePicture, RealCameraFiles) {
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
    const std::string path = (testing::TestDataDir() / "jpeg" / fields[0]).string();
    const Yuv420Image canvas = FramePicture(path, "");
    EXPECT_EQ(canvas.size(), (PixelSize{upright.width + 48, upright.height + 48})) << fields[0];
    // The planes keep the photo's own chroma where framing in RGB blurred it a
    // little (upsampled, then averaged again), so they may differ by that, but
    // never stand further from the photo.
    const Comparison c = CompareWithRgbFraming(canvas, ReadFileBytes(path), orientation);
    EXPECT_GE(c.wholeAgainstRgbFraming, 40.0) << fields[0];
    EXPECT_GE(c.againstRgbFraming, 38.0) << fields[0];
    EXPECT_GE(c.photo, c.rgbFramingPhoto - 0.1) << fields[0];
    ++framed;
  }
  EXPECT_GT(framed, 30);
}

// Sixty copies of a camera photo, each with one byte (even copies) or 512
// bytes (odd copies) of its compressed data changed, spread evenly over it
// and making or breaking no marker. Framing refuses as damaged exactly the
// copies that libjpeg-turbo's djpeg, reading them from files, calls corrupt,
// and frames the others.
TEST(FramePicture, RefusesTheCopiesOfAPhotoThatTheFileDecoderCallsCorrupt) {
  const std::vector<std::uint8_t> photo = ReadFileBytes(testing::TestDataDir() / "jpeg" / "HTC Desire.jpg");
  const std::set<int> corrupt = {1,  3,  4,  5,  7,  9,  11, 13, 15, 17, 21, 23, 25, 26, 27, 29,
                                 31, 33, 35, 37, 39, 41, 42, 43, 45, 47, 49, 51, 53, 55, 57, 59};
  const std::size_t first = testing::FirstScanData(photo), end = photo.size() - 2;  // the end-of-image marker
  for (int n = 0; n < 60; ++n) {
    std::vector<std::uint8_t> copy = photo;
    std::size_t at = first + (n + 1) * (end - first) / 61;
    while (copy[at - 1] == 0xFF || copy[at] == 0xFF || copy[at] == 0xEF) ++at;
    if (n % 2 == 0) {
      copy[at] ^= 0x10;
    } else {
      for (int k = 0; k < 512; ++k) copy[at + k] = static_cast<std::uint8_t>((k * 37 + n) % 255);
    }
    std::optional<OutputErrorKind> refused;
    try {
      FrameJpeg(copy, 1, "");
    } catch (const OutputError& error) {
      refused = error.kind();
    }
    EXPECT_EQ(refused, corrupt.contains(n) ? std::optional(OutputErrorKind::Damaged) : std::nullopt) << "copy " << n;
  }
}

// Photos with every chroma sampling (4:1:1 is decoded to RGB and converted),
// at odd sizes, look in every orientation as they did framed in RGB.
TEST(FrameJpeg, EverySamplingAndTurnLooksAsFramedInRgb) {
  const int width = 45, height = 27;
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels.insert(pixels.end(),
                    {std::uint8_t(40 + 4 * x), std::uint8_t(200 - 5 * y), std::uint8_t(60 + 2 * x + 3 * y)});
    }
  }
  for (int sampling : {TJSAMP_420, TJSAMP_422, TJSAMP_440, TJSAMP_444, TJSAMP_GRAY, TJSAMP_411}) {
    const std::vector<std::uint8_t> jpeg = TurboEncode(pixels, width, height, sampling, 95);
    for (int orientation = 1; orientation <= 8; ++orientation) {
      EXPECT_GE(CompareWithRgbFraming(FrameJpeg(jpeg, orientation, ""), jpeg, orientation).againstRgbFraming, 40.0)
          << "sampling " << sampling << ", orientation " << orientation;
    }
  }
}

// The framed output (no annotation) of every camera file of the shared test
// data and of noisy photos at every sampling, odd-sized and even, in every
// orientation, as FNV-1a checksums of the encoded bytes recorded when framing
// went through the taps of every chroma sample one by one: any faster path
// must write the same bytes. They hold for libjpeg-turbo 2.1.
std::uint64_t Checksum(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325;
  for (const std::uint8_t byte : bytes) hash = (hash ^ byte) * 0x100000001b3;
  return hash;
}

std::vector<std::uint8_t> NoisyPixels(int width, int height) {
  std::vector<std::uint8_t> pixels(std::size_t(width) * height * 3);
  std::uint32_t state = 12345;
  for (std::uint8_t& value : pixels) {
    state = state * 1664525 + 1013904223;
    value = std::uint8_t(state >> 24);
  }
  return pixels;
}

const std::map<std::string, std::uint64_t> kFramedChecksums = {
    {"420 147x83 1", 0xfb5855209ae44d41}, {"420 147x83 2", 0x433e242aca69d85c}, {"420 147x83 3", 0x104671b292187eb5},
    {"420 147x83 4", 0xff86ee3069f4e156}, {"420 147x83 5", 0xaf07ab7581510203}, {"420 147x83 6", 0xc2d5ce40aff115f0},
    {"420 147x83 7", 0x2a030c634d95137}, {"420 147x83 8", 0x59c3583add77851b}, {"422 147x83 1", 0xda7ab223035d8a90},
    {"422 147x83 2", 0x165bb08c87865f8d}, {"422 147x83 3", 0x39348cd10ddfce1a}, {"422 147x83 4", 0x5e608d8c5d205d7f},
    {"422 147x83 5", 0x2a6fd943366f984c}, {"422 147x83 6", 0x984a1d7ec7dbc7e0}, {"422 147x83 7", 0x603d586f09fcc7eb},
    {"422 147x83 8", 0x9b1c5dd7b6570747}, {"440 147x83 1", 0x2d8512b783e1f292}, {"440 147x83 2", 0x5dc5e987ab0a6149},
    {"440 147x83 3", 0x60ca2cbbdc439b85}, {"440 147x83 4", 0xe722c3bd06c9b37}, {"440 147x83 5", 0xc37791bf14ba4956},
    {"440 147x83 6", 0xc7b45898f061e395}, {"440 147x83 7", 0x45788d4198fd3308}, {"440 147x83 8", 0xbb969bbe43ff41dc},
    {"444 147x83 1", 0x84fb479624e2abac}, {"444 147x83 2", 0x4e55ad908b92f0eb}, {"444 147x83 3", 0xc249af8fb9bd5f4e},
    {"444 147x83 4", 0x6869c991cf6bd966}, {"444 147x83 5", 0x9c488996fad2b839}, {"444 147x83 6", 0xe59c1f5810c1de1},
    {"444 147x83 7", 0xb4fe545c24e7dc20}, {"444 147x83 8", 0x1e0777ec91f58240},
    {"grey 147x83 1", 0x2083db42c2f04c6b}, {"grey 147x83 2", 0x786feca99490d32b},
    {"grey 147x83 3", 0x675c937151179f6e}, {"grey 147x83 4", 0x90201bf6350dd3b9},
    {"grey 147x83 5", 0x88fb4e4f8cf484d1}, {"grey 147x83 6", 0x3094159f83cf601c},
    {"grey 147x83 7", 0xaeceda16b426df36}, {"grey 147x83 8", 0x2743e0a6014e9a5d},
    {"420 96x70 1", 0x736b714b8d2991ed}, {"420 96x70 2", 0x13a56e941d8a1d5b}, {"420 96x70 3", 0x9ede0a66330d75fa},
    {"420 96x70 4", 0x4013e8e474fab7cb}, {"420 96x70 5", 0xa6ff00e1edb7152b}, {"420 96x70 6", 0x8f87f4d3ee2e015},
    {"420 96x70 7", 0xcdc28fd0237e985c}, {"420 96x70 8", 0xee48e6d441cd34d9}, {"422 96x70 1", 0x359092ba1e9b8ae5},
    {"422 96x70 2", 0xb7cc58c5f0442aea}, {"422 96x70 3", 0x27110b28d92fe4e4}, {"422 96x70 4", 0x305d7ad32ab999c6},
    {"422 96x70 5", 0x7557cb864132aeed}, {"422 96x70 6", 0x7dc584b44a8542d4}, {"422 96x70 7", 0x75deb6015feae6c8},
    {"422 96x70 8", 0xc24996e81dfac0fe}, {"440 96x70 1", 0x4c7bc201cd1a7406}, {"440 96x70 2", 0xd2defb30ea39ec72},
    {"440 96x70 3", 0x8b4cd602fb766d87}, {"440 96x70 4", 0x2cacddb30a54d6e6}, {"440 96x70 5", 0xbb5aeaf66fbd8b17},
    {"440 96x70 6", 0x7f701fb89e3b3cb4}, {"440 96x70 7", 0x369298f1c7fae859}, {"440 96x70 8", 0x739f61b81b774eb6},
    {"444 96x70 1", 0xa9261bc1bcb30755}, {"444 96x70 2", 0xc7cefbbb42b75663}, {"444 96x70 3", 0xc2c6b0defa2b2e3c},
    {"444 96x70 4", 0x27659e23d9cfff13}, {"444 96x70 5", 0x2d7e4496e76e6338}, {"444 96x70 6", 0x7a77e749881eed9f},
    {"444 96x70 7", 0xf0bd6619c6822cd2}, {"444 96x70 8", 0x468645346c08f4be}, {"grey 96x70 1", 0x59a3ed973447186a},
    {"grey 96x70 2", 0xe5962ad40ad7d36b}, {"grey 96x70 3", 0x3b6e4665114c5b1a}, {"grey 96x70 4", 0x150f931ce122afd4},
    {"grey 96x70 5", 0x9fdeca48f3f69358}, {"grey 96x70 6", 0xa908e0fffd2a6805}, {"grey 96x70 7", 0xb536eea9835d73c},
    {"grey 96x70 8", 0x6cf20d88fca15849}, {"Pentax ist D.jpg", 0x12a33bb41dc86245},
    {"Sony DSC-P12.jpg", 0xf86f5a25781d61e1}, {"Apple iPhone 4.jpg", 0x2938d189d42abd87},
    {"Casio QV-7000SX.jpg", 0xb26966ff3e9f0d8e}, {"Nikon D1X.jpg", 0x54aef42faf8188b1},
    {"HMD_Nokia_8.3_5G.jpg", 0x76aafdfd6f8a27dc}, {"FujiFilm FinePixS2Pro.jpg", 0x25ca3ae14e1e82fe},
    {"Nikon E885.jpg", 0x6861db2c5e30a05d}, {"Pentax Optio S4.jpg", 0xb6c76c51bd800552},
    {"Issue 122.jpg", 0x9dbf53311449068b}, {"Casio EX-S1.jpg", 0x5a852bfd44f62f79},
    {"Samsung GT-I9000 (Galaxy S).jpg", 0x66b40c39c8f00d14}, {"Issue 339.jpg", 0x100c31c6374a5824},
    {"Canon PowerShot A85.jpg", 0x3b18b4334f54cd42}, {"Nokia 3110c (Mobile Phone).jpg", 0x13b32374f268992d},
    {"Sanyo SR662.jpg", 0xedf167adcbc38a47}, {"Minolta DiMAGE X.jpg", 0x55442ddffad29db6},
    {"Sigma DP1.jpg", 0xc6b197801fe91f6a}, {"Konica Q-M100 (1).jpg", 0x748173670b0a14eb},
    {"FujiFilm DS-7 (1).jpg", 0x603edea8c88eb84c}, {"Ricoh DC-3Z (low res).jpg", 0x7bb6f23daa3d2811},
    {"Panasonic DMC-LC40.jpg", 0x13f097db8da02a4c}, {"Canon EOS REBEL T3i.jpg", 0x20e6004940cb0b9e},
    {"Issue 308.jpg", 0x59da4cb6101993f7}, {"Olympus C2040Z.jpg", 0x6316e4966078b303},
    {"Reconyx_HC500_Hyperfire.jpg", 0x111f3c820af77a52}, {"Kodak ProBack.jpg", 0xd29d81f5f35f2a1e},
    {"Nikon D70.jpg", 0x896cfba251a5562d}, {"Canon PowerShot S330.jpg", 0x4e19407d91ddd541},
    {"HP PhotoSmart 735.jpg", 0xf3952a50c6d58ee}, {"Nikon D5000.jpg", 0x922b608c62ca600a},
    {"Samsung SM-J327T1.jpg", 0x4f71e39505beb620}, {"Sony DSC-HX5V (2).jpg", 0x31a1ce5b6981eebb},
    {"Nikon E5000.jpg", 0x86b862ecad082d}, {"Olympus C4040Z.jpg", 0xf76e53204e29a5b7},
    {"Sony Cybershot (3).jpg", 0x9081e28ce36eb6ac}, {"Canon IXUS v3.jpg", 0x7fc450b604436f91},
    {"HTC Desire.jpg", 0x2ff4559e4e0f5a99}, {"FLIR.jpg", 0x91c5be3514de0885},
    {"FujiFilm SP-2500.jpg", 0xfac4978a54e1775f}, {"Kodak DC3400.jpg", 0x8b041ba3ddd0b85c},
};

// Framed through the canvas and framed as it is encoded (band by band where
// the photo allows), the recorded bytes.
void ExpectRecordedChecksum(const std::string& name, std::span<const std::uint8_t> jpeg, int orientation) {
  const std::uint64_t got = Checksum(EncodePicture(FrameJpeg(jpeg, orientation, ""), kFramedQuality));
  const EncodedJpeg encoded = FrameJpegEncoded(jpeg, orientation, "", kFramedQuality);
  const std::uint64_t gotEncoded = Checksum({encoded.bytes().begin(), encoded.bytes().end()});
  const auto recorded = kFramedChecksums.find(name);
  if (recorded == kFramedChecksums.end()) {
    ADD_FAILURE() << "none recorded: {\"" << name << "\", 0x" << std::hex << got << "},";
    return;
  }
  EXPECT_EQ(got, recorded->second) << name;
  EXPECT_EQ(gotEncoded, recorded->second) << name << ", framed as encoded";
}

TEST(FrameJpeg, SyntheticPhotosFrameToTheRecordedBytes) {
  const std::pair<int, const char*> samplings[] = {
      {TJSAMP_420, "420"}, {TJSAMP_422, "422"}, {TJSAMP_440, "440"}, {TJSAMP_444, "444"}, {TJSAMP_GRAY, "grey"}};
  for (const PixelSize size : {PixelSize{147, 83}, PixelSize{96, 70}}) {
    const std::vector<std::uint8_t> pixels = NoisyPixels(size.width, size.height);
    for (const auto& [sampling, samplingName] : samplings) {
      const std::vector<std::uint8_t> jpeg = TurboEncode(pixels, size.width, size.height, sampling, 95);
      for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::string name = std::string(samplingName) + " " + std::to_string(size.width) + "x" +
                                 std::to_string(size.height) + " " + std::to_string(orientation);
        ExpectRecordedChecksum(name, jpeg, orientation);
      }
    }
  }
}

TEST(FramePicture, CameraFilesFrameToTheRecordedBytes) {
  int framed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testing::TestDataDir() / "jpeg")) {
    if (entry.path().extension() != ".jpg") continue;
    const PhotoSource source = ReadPhotoSource(entry.path().string());
    ExpectRecordedChecksum(entry.path().filename().string(), source.jpeg, source.orientation);
    ++framed;
  }
  EXPECT_EQ(framed, 41);
}

std::string DataFile(const std::string& name) { return std::string(GEOFRAME_OUTPUT_TEST_DATA) + "/" + name; }

// Ink photos come out in the colours their inks make: C x K / 255 and so on
// of the values as stored (inverted, 255 for no ink). Left half: cyan and
// black ink 0, magenta and yellow 255; right half: inks 50, 150, 200, 100.
// Expected colours as ImageMagick 6.9 gives them for both files.
TEST(FrameJpeg, InkPhotosInTheColoursOfTheirInks) {
  for (const std::string name : {"cmyk_adobe.jpg", "ycck_imagemagick.jpg"}) {
    SCOPED_TRACE(name);
    const Yuv420Image canvas = FrameJpeg(ReadFileBytes(DataFile(name)), 1, "");
    ASSERT_EQ(canvas.size(), CanvasSize({16, 8}));
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

// The stream with stray bytes before its end-of-image marker: compressed
// data the decoder did not take (beyond the few it reads ahead).
std::vector<std::uint8_t> WithBytesBeforeEnd(std::vector<std::uint8_t> jpeg) {
  jpeg.insert(jpeg.end() - 2, 8, 0x12);
  return jpeg;
}

// The stream cut just before its last scan's header: every scan before it is
// whole, and the stream lacks its end-of-image marker.
std::vector<std::uint8_t> WithoutLastScan(std::vector<std::uint8_t> jpeg) {
  const std::uint8_t sos[] = {0xFF, 0xDA};
  jpeg.erase(std::find_end(jpeg.begin(), jpeg.end(), std::begin(sos), std::end(sos)), jpeg.end());
  return jpeg;
}

std::vector<std::uint8_t> Progressive(int width, int height, tools::JpegCoding coding) {
  return tools::EncodeSampleJpeg(tools::SamplePixels(width, height, 5), width, height, coding);
}

// Streams that lose nothing frame exactly as their clean form.
TEST(FrameJpeg, WarningsThatLoseNothingStillFrame) {
  const std::vector<std::uint8_t> baseline = tools::MakeSamplePhoto(40, 24, 8);
  const std::vector<std::uint8_t> progressive = Progressive(16, 16, tools::JpegCoding::Progressive420);
  const int roomForScans = kMaxJpegScans - testing::ScanCount(progressive);
  const std::pair<std::vector<std::uint8_t>, const std::vector<std::uint8_t>*> cases[] = {
      {WithStrayBytes(baseline), &baseline},
      // without the end-of-image marker, but with every byte of every scan
      {Cut(baseline, baseline.size() - 2), &baseline},
      {Cut(progressive, progressive.size() - 2), &progressive},
      {tools::WithExtraScans(progressive, roomForScans), &progressive},  // exactly the most scans
  };
  for (const auto& [jpeg, clean] : cases) {
    const std::vector<std::uint8_t> framed = EncodePicture(FrameJpeg(*clean, 1, ""), kFramedQuality);
    EXPECT_EQ(EncodePicture(FrameJpeg(jpeg, 1, ""), kFramedQuality), framed);
    EXPECT_TRUE(std::ranges::equal(FrameJpegEncoded(jpeg, 1, "", kFramedQuality).bytes(), framed));
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
      {"cut-in-last-byte.jpg", Cut(photo, photo.size() - 3), OutputErrorKind::Damaged, {}},
      {"cut-before-last-scan.jpg", WithoutLastScan(progressive), OutputErrorKind::Damaged, {}},
      {"bytes-before-end.jpg", WithBytesBeforeEnd(photo), OutputErrorKind::Damaged, {}},
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
  // Through the canvas, and encoded as framed (band by band where it can be).
  const std::function<void(const std::string&)> framings[] = {
      [](const std::string& path) { FramePicture(path, " x"); },
      [](const std::string& path) { FramePictureEncoded(ReadPhotoSource(path), " x", kFramedQuality); }};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.folder() + c.name;
    WriteFileBytes(path, c.bytes);
    for (const auto& frame : framings) {
      try {
        frame(path);
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
