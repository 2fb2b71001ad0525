#include "app/mini_picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>  // pair
#include <vector>

#include "app/main_logic.h"
#include "app/memory_toolkit.h"
#include "expected_photos.h"
#include "output/jpeg_segments.h"
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

TEST_F(PreviewTest, ToolkitWithoutPicturesGetsTheCaptionAndNoPicture) {
  MemoryToolkit blind(false);
  EXPECT_TRUE(DrawMiniPicture(blind, Write("side.jpg", tools::MakeSamplePhoto(40, 30, 1, "", 6)))
                  .starts_with("尺寸30×40 大小"));
  EXPECT_TRUE(blind.previewDraws().empty());
  // A file larger than the start read for the size: with its frame header
  // there, and behind 300 KB of other segments, the caption is the window's.
  const std::vector<std::uint8_t> large = tools::MakeSamplePhoto(2000, 1500, 1, "", 6);
  const std::vector<JpegSegment> padding(5, JpegSegment{0xE2, std::vector<std::uint8_t>(60000, 0)});
  for (const std::vector<std::uint8_t>& bytes : {large, InsertSegments(large, padding)}) {
    ASSERT_GT(bytes.size(), 300'000u);
    const std::string path = Write("large.jpg", bytes);
    EXPECT_EQ(DrawMiniPicture(blind, path), DrawMiniPicture(ui, path));
  }
  EXPECT_TRUE(blind.previewDraws().empty());
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

// A photo that cannot be shown gets the size 0 x 0 and its reason in the
// preview area; one whose reduced decode would take too much memory is not
// decoded.
TEST_F(PreviewTest, PhotoThatCannotBeShownShowsWhy) {
  const std::vector<std::uint8_t> photo = tools::MakeSamplePhoto(64, 48, 1);
  const std::vector<std::uint8_t> small = tools::MakeSamplePhoto(16, 16, 1);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    PreviewProblem problem;
  };
  const Case cases[] = {
      {"text.jpg", std::vector<std::uint8_t>(5000, 'x'), PreviewProblem::NotJpeg},
      {"cut-in-half.jpg", std::vector<std::uint8_t>(photo.begin(), photo.begin() + photo.size() / 2),
       PreviewProblem::Damaged},
      // a reduced picture of 8188 x 8188
      {"65500x65500.jpg", tools::WithDeclaredSize(small, 65500, 65500), PreviewProblem::TooLarge},
      // every coefficient of the picture held, whatever the output size
      {"progressive-12000x12000.jpg",
       tools::WithDeclaredSize(tools::EncodeSampleJpeg(tools::SamplePixels(16, 16, 1), 16, 16,
                                                         tools::JpegCoding::Progressive444),
                                 12000, 12000),
       PreviewProblem::TooLarge},
  };
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DrawMiniPicture(ui, Write(c.name, c.bytes)), "尺寸0×0 大小0.00MB");
    expected.push_back(PreviewProblemText(c.problem));
  }
  EXPECT_TRUE(ui.previewDraws().empty());
  EXPECT_EQ(ui.previewTexts(), expected);
}

// Too large to frame (over 150 megapixels), but a 1/8 decode of its single
// scan takes a few megabytes.
TEST_F(PreviewTest, PhotoTooLargeToFrameIsPreviewedReduced) {
  const std::vector<std::uint8_t> bytes = tools::MakeFlatGreyJpeg(12288, 12288);
  EXPECT_TRUE(DrawMiniPicture(ui, Write("huge.jpg", bytes)).starts_with("尺寸12288×12288 大小"));
  ASSERT_EQ(ui.previewDraws().size(), 1u);
  EXPECT_EQ(ui.previewDraws()[0].pictureWidth, 1536);
  EXPECT_TRUE(ui.previewTexts().empty());
}

TEST_F(PreviewTest, InkPhotoIsDrawn) {
  const std::string path = std::string(GEOFRAME_OUTPUT_TEST_DATA) + "/cmyk_adobe.jpg";
  EXPECT_EQ(DrawMiniPicture(ui, path), "尺寸16×8 大小0.00MB");
  ASSERT_EQ(ui.previewDraws().size(), 1u);
  EXPECT_EQ(ui.previewDraws()[0].pictureWidth, 16);
}

TEST_F(PreviewTest, UnlistableFilesGiveEmptyCaptionAndWhy) {
  const std::vector<std::uint8_t> bytes = tools::MakeSamplePhoto(20, 20, 1);
  Write("p.png", bytes);
  Write(".hidden.jpg", bytes);
  std::filesystem::create_directory(dir.path() / "folder.jpg");
  const std::pair<const char*, PreviewProblem> cases[] = {{"p.png", PreviewProblem::NotJpeg},
                                                          {".hidden.jpg", PreviewProblem::Missing},
                                                          {"gone.jpg", PreviewProblem::Missing},
                                                          {"folder.jpg", PreviewProblem::NotAFile}};
  std::vector<std::string> expected;
  for (const auto& [name, problem] : cases) {
    SCOPED_TRACE(name);
    Click(name);
    EXPECT_EQ(ui.Text(ControlId::picture_review), "照片预览 ()");
    expected.push_back(PreviewProblemText(problem));
  }
  EXPECT_TRUE(ui.previewDraws().empty());
  EXPECT_EQ(ui.previewClears(), 4);
  EXPECT_EQ(ui.previewTexts(), expected);
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
