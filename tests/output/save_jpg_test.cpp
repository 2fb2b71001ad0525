#include "output/save_jpg.h"

#include <gtest/gtest.h>

#include <QColor>
#include <filesystem>

#include "faulty_file_system.h"
#include "jpeg_inspect.h"
#include "output/jpeg_decoder.h"
#include "test_support.h"

namespace geoframe {
namespace {

namespace fs = std::filesystem;
using testing::FaultyFileSystem;
using testing::ReadFileBytes;
using testing::TempDir;

QImage Picture(int width, int height, QImage::Format format = QImage::Format_RGB888) {
  QImage picture(width, height, format);
  picture.fill(QColor(200, 40, 90));
  return picture;
}

TEST(SaveJPG, WritesABaselineJpegOfThePictureSizeWithoutMetadata) {
  TempDir dir;
  for (auto [w, h] : {std::pair{1, 1}, {17, 9}, {640, 480}}) {
    std::string path = dir.folder() + "out.jpg";
    ASSERT_TRUE(SaveJPG(Picture(w, h), path, 80));
    std::vector<std::uint8_t> jpeg = ReadFileBytes(path);
    EXPECT_EQ(ReadJpegSize(jpeg), (PixelSize{w, h}));
    std::vector<int> markers = testing::MarkersUpToScan(jpeg);
    EXPECT_NE(std::find(markers.begin(), markers.end(), 0xC0), markers.end()) << "not baseline";
    for (int marker : markers) {
      EXPECT_TRUE(marker == 0xE0 || marker == 0xDB || marker == 0xC0 || marker == 0xC4 || marker == 0xDA)
          << "unexpected marker " << std::hex << marker;
    }
  }
}

TEST(SaveJPG, UsesLibjpegQuantisationTablesOfTheQuality) {
  TempDir dir;
  for (int quality : {80, 1, 50, 100}) {
    std::string path = dir.folder() + "q.jpg";
    ASSERT_TRUE(SaveJPG(Picture(32, 16), path, quality));
    EXPECT_EQ(testing::QuantisationTables(ReadFileBytes(path)), testing::LibjpegTables(quality))
        << "quality " << quality;
  }
}

TEST(SaveJPG, ConvertsOtherPixelFormats) {
  TempDir dir;
  std::string path = dir.folder() + "argb.jpg";
  ASSERT_TRUE(SaveJPG(Picture(16, 16, QImage::Format_ARGB32), path, 95));
  RgbImage decoded = DecodeJpeg(ReadFileBytes(path));
  EXPECT_NEAR(decoded.pixels[0], 200, 4);
  EXPECT_NEAR(decoded.pixels[1], 40, 4);
  EXPECT_NEAR(decoded.pixels[2], 90, 4);
}

TEST(SaveJPG, SecondSaveReplacesTheFirst) {
  TempDir dir;
  std::string path = dir.folder() + "out.jpg";
  ASSERT_TRUE(SaveJPG(Picture(10, 10), path, 80));
  ASSERT_TRUE(SaveJPG(Picture(20, 30), path, 80));
  EXPECT_EQ(ReadJpegSize(ReadFileBytes(path)), (PixelSize{20, 30}));
}

TEST(SaveJPG, FailsWithoutWritingAnything) {
  TempDir dir;
  FaultyFileSystem fullDisk;
  fullDisk.DiskFull();
  struct Case {
    const char* what;
    QImage picture;
    std::string path;
    int quality;
    FileSystem& fs;
  };
  Case cases[] = {{"empty picture", QImage(), dir.folder() + "a.jpg", 80, RealFileSystem()},
                  {"missing folder", Picture(8, 8), dir.folder() + "no/a.jpg", 80, RealFileSystem()},
                  {"quality above 100", Picture(8, 8), dir.folder() + "a.jpg", 101, RealFileSystem()},
                  {"negative quality", Picture(8, 8), dir.folder() + "a.jpg", -1, RealFileSystem()},
                  {"full disk", Picture(8, 8), dir.folder() + "a.jpg", 80, fullDisk}};
  for (Case& c : cases) {
    EXPECT_FALSE(SaveJPG(c.picture, c.path, c.quality, c.fs)) << c.what;
    EXPECT_TRUE(fs::is_empty(dir.path())) << c.what;
  }
}

}  // namespace
}  // namespace geoframe
