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

// Draws the photo at path upright (following its EXIF orientation) and fitted
// onto the toolkit's preview surface, and returns its size text; returns an
// empty text without drawing when the path is not a listable photo. A photo
// that framing would refuse (no readable JPEG, damaged, too large, a file over
// kMaxPhotoFileBytes) gives the size 0 x 0 and draws nothing; one refused by
// its size is not decoded at all, nor is any photo for a toolkit that shows no
// pictures (its size then comes from the header).
std::string DrawMiniPicture(Toolkit& toolkit, const std::string& path);

}  // namespace geoframe
