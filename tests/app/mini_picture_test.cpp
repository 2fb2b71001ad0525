#include "app/mini_picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>  // pair
#include <vector>

#include "app/main_logic.h"
#include "app/memory_toolkit.h"
#include "expected_photos.h"
#include "sample_photos.h"
#include "test_support.h"

namespace geoframe {
namespace {

using testing::TempDir;
using testing::WriteFileBytes;

struct FitCase {
  PixelSize picture;
  PreviewPlacement expected;
};

class FitPreviewTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitPreviewTest, FitsCentresAndRoundsHalfToEven) {
  EXPECT_EQ(FitPreview(GetParam().picture), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FitPreviewTest,
    ::testing::Values(FitCase{{4000, 3000}, {0, 0, 280, 210}},
                      // 157.5 rounds to 158; (280 - 158) / 2 = 61
                      FitCase{{3000, 4000}, {61, 0, 158, 210}},
                      // small pictures keep their size
                      FitCase{{200, 100}, {40, 55, 200, 100}},
                      FitCase{{280, 210}, {0, 0, 280, 210}},
                      FitCase{{1, 1}, {140, 104, 1, 1}},  // 139.5 -> 140, 104.5 -> 104
                      FitCase{{300, 300}, {35, 0, 210, 210}},
                      // wider than high but below 4:3: fitted to the width only, clipped
                      // at top and bottom; -30.5 rounds to -30
                      FitCase{{300, 290}, {0, -30, 280, 271}},
                      // only the height is too large
                      FitCase{{100, 420}, {115, 0, 50, 210}},
                      // 26.5 -> 26 for the height: 53 / 560 x 280
                      FitCase{{560, 53}, {0, 92, 280, 26}},
                      // 27.5 -> 28
                      FitCase{{560, 55}, {0, 91, 280, 28}},
                      // an unreadable picture (0 x 0) places nothing
                      FitCase{{0, 0}, {140, 105, 0, 0}}));

struct SizeTextCase {
  PixelSize picture;
  std::uintmax_t bytes;
  std::string text;
};

class PreviewSizeTextTest : public ::testing::TestWithParam<SizeTextCase> {};

TEST_P(PreviewSizeTextTest, FormatsPixelsAndMegabytes) {
  EXPECT_EQ(PreviewSizeText(GetParam().picture, GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PreviewSizeTextTest,
                         ::testing::Values(SizeTextCase{{3264, 2448}, 2465792, "尺寸3264×2448 大小2.35MB"},
                                           SizeTextCase{{1, 1}, 1048576, "尺寸1×1 大小1.00MB"},
                                           SizeTextCase{{1, 1}, 5000, "尺寸1×1 大小0.00MB"},
                                           SizeTextCase{{0, 0}, 0, "尺寸0×0 大小0.00MB"},
                                           SizeTextCase{{1, 1}, 131072, "尺寸1×1 大小0.13MB"},  // exact half
                                           SizeTextCase{{1, 1}, 5242879, "尺寸1×1 大小5.00MB"},
                                           SizeTextCase{{6000, 4000}, 1048576ull * 123 + 99 * 10486,
                                                        "尺寸6000×4000 大小123.99MB"}));

class PreviewTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    WriteFileBytes(dir.path() / name, bytes);
    return dir.folder() + name;
  }
  // Lists the file as row 1 and clicks it.
  void Click(const std::string& name) {
    ui.AppendRow(ListId::Photos, name, 2);
    logic.Photos(ui.RowCount(ListId::Photos)) = PhotoRecord{false, name, dir.folder(), ""};
    logic.ListView_ItemClick(ui.RowCount(ListId::Photos));
  }

  TempDir dir;
  MemoryToolkit ui;
  MainLogic logic{ui};
};

TEST_F(PreviewTest, ClickDrawsFittedPictureAndSetsCaptionAndToolTip) {
  const std::vector<std::uint8_t> bytes = tools::MakeSamplePhoto(200, 100, 1);
  Write("small.JPG", bytes);
  Click("small.JPG");
  EXPECT_EQ(ui.rows(ListId::Photos)[0].toolTip, dir.folder() + "small.JPG");
  EXPECT_EQ(ui.previewClears(), 1);
  ASSERT_EQ(ui.previewDraws().size(), 1u);
  const auto& draw = ui.previewDraws()[0];
  EXPECT_EQ((PreviewPlacement{draw.left, draw.top, draw.width, draw.height}), (PreviewPlacement{40, 55, 200, 100}));
  EXPECT_EQ(draw.pictureWidth, 200);
  EXPECT_EQ(draw.pictureHeight, 100);
  ASSERT_LT(bytes.size(), 5000u);  // 0.00 MB
  EXPECT_EQ(ui.Text(ControlId::picture_review), "照片预览 (尺寸200×100 大小0.00MB)");
}

TEST_F(PreviewTest, LargePictureIsDecodedReducedButStillCoversTheDrawnSize) {
  const std::vector<std::uint8_t> bytes = tools::MakeSamplePhoto(2400, 1800, 1);
  EXPECT_TRUE(DrawMiniPicture(ui, Write("big.jpg", bytes)).starts_with("尺寸2400×1800 大小"));
  ASSERT_EQ(ui.previewDraws().size(), 1u);
  const auto& draw = ui.previewDraws()[0];
  EXPECT_EQ((PreviewPlacement{draw.left, draw.top, draw.width, draw.height}), (PreviewPlacement{0, 0, 280, 210}));
  // 1/8 of 2400 x 1800 is 300 x 225: the strongest reduction that still covers 280 x 210.
  EXPECT_EQ(draw.pictureWidth, 300);
  EXPECT_EQ(draw.pictureHeight, 225);
}

// Orientations 5 to 8 store the picture on its side: it is fitted, placed and
// described as it stands upright.
TEST_F(PreviewTest, SidewaysPhotoStandsUpright) {
  const std::vector<std::uint8_t> bytes = tools::MakeSamplePhoto(400, 300, 1, "2010:12:06 08:30:15", 6);
  EXPECT_TRUE(DrawMiniPicture(ui, Write("side.jpg", bytes)).starts_with("尺寸300×400 大小"));
  ASSERT_EQ(ui.previewDraws().size(), 1u);
  const auto& draw = ui.previewDraws()[0];
  EXPECT_EQ((PreviewPlacement{draw.left, draw.top, draw.width, draw.height}), (PreviewPlacement{61, 0, 158, 210}));
  EXPECT_LT(draw.pictureWidth, draw.pictureHeight);
  EXPECT_GE(draw.pictureWidth, 158);
  EXPECT_GE(draw.pictureHeight, 210);
}

// What framing refuses the preview shows as a file it cannot read, and one
// refused by its size it does not decode.
TEST_F(PreviewTest, PhotoFramingRefusesShowsZeroSizeAndDrawsNothing) {
  const std::vector<std::uint8_t> photo = tools::MakeSamplePhoto(64, 48, 1);
  const std::vector<std::uint8_t> small = tools::MakeSamplePhoto(16, 16, 1);
  const std::pair<const char*, std::vector<std::uint8_t>> files[] = {
      {"text.jpg", std::vector<std::uint8_t>(5000, 'x')},
      {"cut-in-half.jpg", std::vector<std::uint8_t>(photo.begin(), photo.begin() + photo.size() / 2)},
      {"65500x65500.jpg", tools::WithDeclaredSize(small, 65500, 65500)},
      {"progressive-12000x12000.jpg",
       tools::WithDeclaredSize(tools::EncodeSampleJpeg(tools::SamplePixels(16, 16, 1), 16, 16,
                                                         tools::JpegCoding::Progressive444),
                                 12000, 12000)},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    EXPECT_EQ(DrawMiniPicture(ui, Write(name, bytes)), "尺寸0×0 大小0.00MB");
  }
  EXPECT_TRUE(ui.previewDraws().empty());
}

TEST_F(PreviewTest, InkPhotoIsDrawn) {
  const std::string path = std::string(GEOFRAME_OUTPUT_TEST_DATA) + "/cmyk_adobe.jpg";
  EXPECT_EQ(DrawMiniPicture(ui, path), "尺寸16×8 大小0.00MB");
  ASSERT_EQ(ui.previewDraws().size(), 1u);
  EXPECT_EQ(ui.previewDraws()[0].pictureWidth, 16);
}

TEST_F(PreviewTest, UnlistableFilesGiveEmptyCaption) {
  const std::vector<std::uint8_t> bytes = tools::MakeSamplePhoto(20, 20, 1);
  Write("p.png", bytes);
  Write("p.jpeg.bak", bytes);
  Write(".hidden.jpg", bytes);
  for (const std::string name : {"p.png", "p.jpeg.bak", ".hidden.jpg", "gone.jpg"}) {
    SCOPED_TRACE(name);
    Click(name);
    EXPECT_EQ(ui.Text(ControlId::picture_review), "照片预览 ()");
  }
  EXPECT_TRUE(ui.previewDraws().empty());
  EXPECT_EQ(ui.previewClears(), 4);
}

TEST_F(PreviewTest, ClickOutsideTheListDoesNothing) {
  logic.ListView_ItemClick(1);
  logic.ListView_ItemClick(0);
  EXPECT_EQ(ui.previewClears(), 0);
  EXPECT_EQ(ui.Text(ControlId::picture_review), "照片预览");
}

// Every camera file previews upright: the size text gives its upright size and
// its length, and a picture covering the drawn size is handed to the surface.
TEST(PreviewRealPhotos, EveryCameraFileIsDrawnUpright) {
  GEOFRAME_REQUIRE_TESTDATA();
  const std::filesystem::path folder = testing::TestDataDir() / "jpeg";
  const std::vector<testing::ExpectedPhoto> expected = testing::ReadExpectedPhotos(folder);
  ASSERT_FALSE(expected.empty());
  for (const testing::ExpectedPhoto& photo : expected) {
    SCOPED_TRACE(photo.name);
    MemoryToolkit ui;
    // orientations 5 to 8 are stored on their side
    const PixelSize upright =
        photo.orientation >= 5 ? PixelSize{photo.height, photo.width} : PixelSize{photo.width, photo.height};
    EXPECT_EQ(DrawMiniPicture(ui, (folder / photo.name).string()), PreviewSizeText(upright, photo.fileSize));
    ASSERT_EQ(ui.previewDraws().size(), 1u);
    const auto& draw = ui.previewDraws()[0];
    EXPECT_EQ((PreviewPlacement{draw.left, draw.top, draw.width, draw.height}), FitPreview(upright));
    EXPECT_GE(draw.pictureWidth, draw.width);
    EXPECT_GE(draw.pictureHeight, draw.height);
  }
}

}  // namespace
}  // namespace geoframe
