#pragma once

#include <cstdint>
#include <span>
#include <string>

#include <QImage>

#include "output/file_system.h"
#include "output/image.h"

namespace geoframe {

// Canvas layout in pixels (15 twips to the pixel): a 22-pixel margin left, right
// and above the photo cell, which is the photo plus a 2-pixel border on each
// side; under the cell a 20-pixel text strip and a 2-pixel bottom strip.
inline constexpr int kFrameMargin = 22;
inline constexpr int kCellBorder = 2;
inline constexpr int kTextStripHeight = 20;
inline constexpr int kBottomStrip = 2;
inline constexpr int kPhotoLeft = kFrameMargin + kCellBorder;  // where the photo's pixels start
// Framing refuses a photo whose canvas would hold more pixels than this (about
// 450 MB of RGB), instead of failing somewhere inside an allocation.
inline constexpr std::int64_t kMaxCanvasPixels = 150'000'000;

// The largest photo file framing reads: far above what a camera writes for a
// photo of kMaxCanvasPixels, far below what would strain memory.
inline constexpr std::int64_t kMaxPhotoFileBytes = std::int64_t{256} << 20;

// (w + 48) x (h + 48) for an upright photo of w x h.
PixelSize CanvasSize(PixelSize upright);

// Frames a JPEG stream: the photo turned upright by its EXIF orientation and
// unscaled in its cell, white margins, and the annotation in the text strip
// under the cell, left-aligned, vertically centred and clipped to the photo
// column. The canvas is Format_RGB888. Drawing text needs a QGuiApplication.
// Throws OutputError for a stream that cannot be decoded, a canvas above
// kMaxCanvasPixels or one that cannot be allocated.
QImage FrameJpeg(std::span<const std::uint8_t> jpeg, int orientation, const std::string& annotation);

// Frames the photo file at path (its orientation read from its EXIF data).
// Throws OutputError naming the file when it is missing or cannot be framed.
QImage FramePicture(const std::string& path, const std::string& annotation,
                    const FileSystem& fs = RealFileSystem());

}  // namespace geoframe
