#pragma once

#include <cstdint>
#include <string>

#include "app/toolkit.h"
#include "output/image.h"

namespace geoframe {

// The preview surface Pictemp, in pixels.
inline constexpr int kPreviewWidth = 280;
inline constexpr int kPreviewHeight = 210;

// Where a picture is drawn on the preview surface; left and top may be negative
// (the surface clips).
struct PreviewPlacement {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const PreviewPlacement&) const = default;
};

// Fits a picture of that (upright) size to the 280 x 210 surface and centres it.
// A picture that already fits keeps its size; a larger one wider than high is
// fitted to the width only (so one below 4:3 comes out taller than 210 and is
// clipped at top and bottom), any other to the height. Rounding is to the
// nearest integer, a half going to the even neighbour.
PreviewPlacement FitPreview(PixelSize picture);

// "尺寸" w "×" h " 大小" megabytes with two decimals "MB"; an exact half of a
// hundredth rounds up.
std::string PreviewSizeText(PixelSize picture, std::uintmax_t fileBytes);

// The most memory the preview's reduced decode of one photo may take (the
// decoder's own and the reduced picture). Photos too large to frame still
// preview within it, unless their coding makes the decoder hold the whole
// picture.
inline constexpr std::int64_t kPreviewMemoryBudget = std::int64_t{64} << 20;

// Why a photo cannot be shown in the preview.
enum class PreviewProblem {
  Missing,     // no file under the path (any more)
  NotAFile,    // a folder, FIFO or device stands there
  Unreadable,  // the file cannot be read
  NotJpeg,     // no JPEG: no readable header, or a name the list does not take
  Damaged,     // its compressed data is corrupt or cut short, or cannot be decoded
  TooLarge,    // even a reduced decode would take more than kPreviewMemoryBudget
};

// What the preview area shows for a photo it cannot show: "无法预览：照片已损坏" and the like.
std::string PreviewProblemText(PreviewProblem problem);

// Draws the photo at path upright (following its EXIF orientation) and fitted
// onto the toolkit's preview surface, decoded just large enough, and returns
// its size text. A photo it cannot show gets its reason written in the preview
// area instead: a path that is no listable photo returns an empty text; a
// file that is there but cannot be read or decoded gives the size 0 x 0, and
// one whose reduced decode would exceed kPreviewMemoryBudget is not decoded
// at all, nor is any photo for a toolkit that shows no pictures (its size
// then comes from the header, read from the file's start where it lies there).
std::string DrawMiniPicture(Toolkit& toolkit, const std::string& path);

}  // namespace geoframe
