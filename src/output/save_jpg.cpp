#include "output/save_jpg.h"

#include "io/file_error.h"
#include "output/jpeg_codec.h"

namespace geoframe {

std::vector<std::uint8_t> EncodePicture(const QImage& picture, int quality) {
  if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) {
    throw OutputError("没有可保存的图像");
  }
  if (quality < 0 || quality > 100) {
    throw OutputError("JPEG 质量 " + std::to_string(quality) + " 不在 0 到 100 之间");
  }
  // Only the canvas format is encoded straight from its rows; others are converted.
  QImage converted;
  const QImage* rgb = &picture;
  if (picture.format() != QImage::Format_RGB888) {
    converted = picture.convertToFormat(QImage::Format_RGB888);
    if (converted.isNull()) throw OutputError("内存不足，无法转换图像");
    rgb = &converted;
  }
  try {
    return EncodeJpeg(rgb->constBits(), rgb->width(), rgb->height(),
                      static_cast<int>(rgb->bytesPerLine()), quality);
  } catch (const JpegError& error) {
    throw OutputError(std::string("无法压缩图像: ") + error.what());
  }
}

bool SaveJPG(const QImage& picture, const std::string& path, int quality, FileSystem& fs) {
  try {
    fs.WriteFile(path, EncodePicture(picture, quality));
    return true;
  } catch (const OutputError&) {
    // The caller only needs success or failure; nothing was written.
    return false;
  } catch (const FileError&) {
    return false;
  }
}

}  // namespace geoframe
