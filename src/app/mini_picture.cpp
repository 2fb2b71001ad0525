#include "app/mini_picture.h"

#include <cmath>
#include <cstdint>
#include <new>  // bad_alloc
#include <optional>
#include <utility>  // std::move
#include <vector>

#include "app/photo_intake.h"
#include "exif/exif_reader.h"
#include "io/file_error.h"
#include "io/read_file.h"
#include "output/frame_picture.h"
#include "output/jpeg_codec.h"
#include "output/output_error.h"

namespace geoframe {

namespace {

// Nearest integer, a half going to the even neighbour (the default rounding mode).
int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

// A photo file as the preview reads it: its length, and its bytes unless it
// cannot be read or is larger than any photo framing takes.
struct PhotoFile {
  std::int64_t length = 0;
  std::vector<std::uint8_t> bytes;
};

PhotoFile ReadPhotoFile(const std::string& path) {
  PhotoFile photo;
  try {
    const OpenFile file = OpenRegularFile(path);
    photo.length = file.size;
    photo.bytes = ReadWholeFile(file, kMaxPhotoFileBytes);
  } catch (const FileError&) {
    photo.bytes.clear();  // shown as a photo that cannot be read
  } catch (const std::bad_alloc&) {
    photo.bytes.clear();
  }
  return photo;
}

// The header of a photo framing would take; nothing for one it refuses by its
// header or its size, which the preview then does not decode either.
std::optional<JpegHeader> FramableHeader(const PhotoFile& photo, int orientation) {
  try {
    const JpegHeader header = ReadJpegHeader(photo.bytes);
    RequireFramable(header, orientation, photo.length);
    return header;
  } catch (const OutputError&) {
    return std::nullopt;
  }
}

// Decodes just large enough for the placement, turns the picture upright and
// hands it to the surface. False, with nothing drawn, when decoding fails.
bool DrawUpright(Toolkit& toolkit, const std::vector<std::uint8_t>& jpeg, int orientation,
                 const PreviewPlacement& at) {
  if (at.width <= 0 || at.height <= 0) return true;
  const bool sideways = OrientationSwapsSides(orientation);
  try {
    RgbImage stored = DecodeJpegAtLeast(jpeg, sideways ? at.height : at.width,
                                        sideways ? at.width : at.height);
    toolkit.DrawPreview(ApplyOrientation(std::move(stored), orientation), at.left, at.top, at.width,
                        at.height);
    return true;
  } catch (const OutputError&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
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
  const PhotoFile photo = ReadPhotoFile(path);
  const auto length = static_cast<std::uintmax_t>(photo.length);
  int orientation = 1;
  try {
    orientation = ReadOrientation(path);
  } catch (const FileError&) {
    return PreviewSizeText({}, length);  // shown as a photo that cannot be read
  } catch (const std::bad_alloc&) {
    return PreviewSizeText({}, length);
  }
  const std::optional<JpegHeader> header = FramableHeader(photo, orientation);
  if (!header) return PreviewSizeText({}, length);
  const PixelSize upright = UprightSize(header->size, orientation);
  if (!DrawUpright(toolkit, photo.bytes, orientation, FitPreview(upright))) return PreviewSizeText({}, length);
  return PreviewSizeText(upright, length);
}

}  // namespace geoframe
