#include "app/mini_picture.h"

#include <cmath>
#include <filesystem>
#include <system_error>
#include <utility>  // std::move
#include <vector>

#include "app/photo_intake.h"
#include "exif/exif_reader.h"
#include "output/jpeg_codec.h"

namespace geoframe {

namespace {

// Nearest integer, a half going to the even neighbour (the default rounding mode).
int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

// The file's bytes, or none when it cannot be read.
std::vector<std::uint8_t> ReadBytesOrNone(const std::string& path) {
  try {
    return ReadJpegFile(path);
  } catch (const JpegError&) {
    return {};
  }
}

std::uintmax_t FileLength(const std::string& path) {
  std::error_code ec;
  std::uintmax_t length = std::filesystem::file_size(path, ec);
  return ec ? 0 : length;
}

PixelSize StoredSizeOrZero(const std::vector<std::uint8_t>& jpeg) {
  try {
    return ReadJpegSize(jpeg);
  } catch (const JpegError&) {
    return {};
  }
}

// Decodes just large enough for the placement, turns the picture upright and
// hands it to the surface. A picture that fails to decode draws nothing.
void DrawUpright(Toolkit& toolkit, const std::vector<std::uint8_t>& jpeg, int orientation,
                 const PreviewPlacement& at) {
  if (at.width <= 0 || at.height <= 0) return;
  const bool sideways = OrientationSwapsSides(orientation);
  try {
    RgbImage stored = DecodeJpegAtLeast(jpeg, sideways ? at.height : at.width,
                                        sideways ? at.width : at.height);
    toolkit.DrawPreview(ApplyOrientation(std::move(stored), orientation), at.left, at.top, at.width,
                        at.height);
  } catch (const JpegError&) {
    // The size text still stands; the surface stays erased.
  }
}

}  // namespace

PreviewPlacement FitPreview(PixelSize picture) {
  double w = picture.width;
  double h = picture.height;
  if (w > kPreviewWidth || h > kPreviewHeight) {
    if (h < w) {
      h = RoundHalfEven(h / w * kPreviewWidth);
      w = kPreviewWidth;
    } else {
      w = RoundHalfEven(w / h * kPreviewHeight);
      h = kPreviewHeight;
    }
  }
  PreviewPlacement at;
  at.width = static_cast<int>(w);
  at.height = static_cast<int>(h);
  at.left = RoundHalfEven((kPreviewWidth - w) / 2);
  at.top = RoundHalfEven((kPreviewHeight - h) / 2);
  return at;
}

std::string PreviewSizeText(PixelSize picture, std::uintmax_t fileBytes) {
  // Hundredths of a megabyte in integers, so that no binary fraction tips the rounding.
  constexpr std::uintmax_t kMegabyte = 1024 * 1024;
  const std::uintmax_t hundredths = (fileBytes * 100 + kMegabyte / 2) / kMegabyte;
  const std::uintmax_t fraction = hundredths % 100;
  return "尺寸" + std::to_string(picture.width) + "×" + std::to_string(picture.height) + " 大小" +
         std::to_string(hundredths / 100) + "." + (fraction < 10 ? "0" : "") +
         std::to_string(fraction) + "MB";
}

std::string DrawMiniPicture(Toolkit& toolkit, const std::string& path) {
  if (!IsListablePhoto(path)) return {};
  const std::vector<std::uint8_t> jpeg = ReadBytesOrNone(path);
  const std::uintmax_t length = jpeg.empty() ? FileLength(path) : jpeg.size();
  const PixelSize stored = StoredSizeOrZero(jpeg);
  if (stored.width == 0) return PreviewSizeText({}, length);
  const int orientation = ReadOrientation(path);
  const PixelSize upright = UprightSize(stored, orientation);
  DrawUpright(toolkit, jpeg, orientation, FitPreview(upright));
  return PreviewSizeText(upright, length);
}

}  // namespace geoframe
