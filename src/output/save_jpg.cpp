#include "output/save_jpg.h"

#include <string>
#include <utility>  // move

#include "io/file_error.h"
#include "output/jpeg_encoder.h"
#include "output/output_error.h"

namespace geoframe {

namespace {

OutputError::Fields Detail(std::string detail) {
  OutputError::Fields fields;
  fields.detail = std::move(detail);
  return fields;
}

}  // namespace

std::vector<std::uint8_t> EncodePicture(const QImage& picture, int quality) {
  if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) {
    throw OutputError(OutputErrorKind::EncodeFailed, Detail("empty picture"));
  }
  if (quality < 0 || quality > 100) {
    throw OutputError(OutputErrorKind::EncodeFailed,
                      Detail("quality " + std::to_string(quality) + " is outside 0-100"));
  }
  // Only the canvas format is encoded straight from its rows; others are converted.
  QImage converted;
  const QImage* rgb = &picture;
  if (picture.format() != QImage::Format_RGB888) {
    converted = picture.convertToFormat(QImage::Format_RGB888);
    if (converted.isNull()) throw OutputError(OutputErrorKind::OutOfMemory, OutputError::Fields{});
    rgb = &converted;
  }
  return EncodeJpeg(rgb->constBits(), rgb->width(), rgb->height(), static_cast<int>(rgb->bytesPerLine()),
                    quality);
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
