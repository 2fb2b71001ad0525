#pragma once

#include <cstdint>
#include <span>
#include <string>

#include <vector>

#include "output/file_system.h"
#include "output/image.h"
#include "output/jpeg_decoder.h"
#include "output/jpeg_encoder.h"
#include "output/yuv_image.h"

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
// 225 MB of 4:2:0 planes), instead of failing somewhere inside an allocation.
inline constexpr std::int64_t kMaxCanvasPixels = 150'000'000;

// The largest photo file framing reads: far above what a camera writes for a
// photo of kMaxCanvasPixels, far below what would strain memory.
inline constexpr std::int64_t kMaxPhotoFileBytes = std::int64_t{256} << 20;

// The most memory framing one photo may take: the file's bytes, the canvas and
// the decoder's own (for a progressive photo, every coefficient of the picture).
// With the program itself and the encoded result beside it, a run that frames
// any photo it accepts stays under 1 GB.
inline constexpr std::int64_t kFramingMemoryBudget = std::int64_t{850} << 20;

// (w + 48) x (h + 48) for an upright photo of w x h.
PixelSize CanvasSize(PixelSize upright);

// The memory framing a photo of this header takes, its file included.
std::int64_t FramingBytes(const JpegHeader& header, int orientation, std::int64_t fileBytes);

// Throws OutputError (TooLarge: the upright size, and the bytes needed when
// the memory budget is what it exceeds) for a photo framing refuses by its
// size alone: a canvas above kMaxCanvasPixels, or more than
// kFramingMemoryBudget in all.
void RequireFramable(const JpegHeader& header, int orientation, std::int64_t fileBytes);

// Whether an annotation has nothing to draw (empty or spaces only): its strip
// stays white, and framing it needs no font and no QGuiApplication.
bool IsBlankAnnotation(const std::string& annotation);

// The text as one first-strong isolate (U+2068 ... U+2069): laid out in the
// direction of its own first strong letter, and a neutral unit to the text
// around it, so that no right-to-left letters or direction controls in it can
// move or turn what follows it. Isolates the text leaves open are closed, and
// closings without an opening dropped, so the last U+2069 ends it. Empty text
// stays empty.
std::string DirectionIsolate(const std::string& text);

// Frames a JPEG stream: the photo turned upright by its EXIF orientation and
// unscaled in its cell, white margins, and the annotation in the text strip
// under the cell, left-aligned, vertically centred and clipped to the photo
// column. The canvas is in 4:2:0 planes, as the encoder takes it: margins are
// Y 255, Cb and Cr 128; the photo's planes come from the decoder without any
// colour conversion where its coding allows (see JpegHeader::asStored); the
// text is drawn by Qt in RGB (text_drawing.h) and converted. Checks the
// size first (RequireFramable), so nothing large is allocated for a photo it
// refuses. Throws OutputError: those of the decoder (jpeg_decoder.h),
// TooLarge, NoGui (no text code in use or no QGuiApplication, for an
// annotation that is not blank), and OutOfMemory when the canvas cannot be
// had.
Yuv420Image FrameJpeg(std::span<const std::uint8_t> jpeg, int orientation, const std::string& annotation);

// Frames a JPEG stream as FrameJpeg does and encodes the canvas at the given
// quality (0-100) as EncodePictureMapped does, into the same bytes. An upright
// photo whose planes libjpeg hands on as stored (see JpegHeader::asStored)
// goes from decoder to encoder a band of rows at a time, without the whole
// canvas in memory. Throws what those two throw.
EncodedJpeg FrameJpegEncoded(std::span<const std::uint8_t> jpeg, int orientation, const std::string& annotation,
                             int quality);

// A photo file read for framing: its bytes and its EXIF orientation.
struct PhotoSource {
  std::string path;
  MappedMemory jpeg;
  int orientation = 1;
};

// Reads the photo file at path for framing; a file larger than
// kMaxPhotoFileBytes is refused before it is read. Throws OutputError naming
// the file (Missing, OutOfMemory) and FileError when it cannot be read.
PhotoSource ReadPhotoSource(const std::string& path, const FileSystem& fs = RealFileSystem());

// The memory framing the photo takes (FramingBytes); nothing for a photo
// without a readable header, whose framing fails before it allocates.
std::int64_t FramingBytes(const PhotoSource& source);

// Frames a photo read by ReadPhotoSource. Throws OutputError naming the file:
// any of FrameJpeg's, a failed allocation as OutOfMemory.
Yuv420Image FramePicture(const PhotoSource& source, const std::string& annotation);

// Frames and encodes a photo read by ReadPhotoSource (FrameJpegEncoded).
// Throws as FramePicture does, and EncodeFailed.
EncodedJpeg FramePictureEncoded(const PhotoSource& source, const std::string& annotation, int quality);

// Reads and frames the photo file at path: ReadPhotoSource, then FramePicture.
Yuv420Image FramePicture(const std::string& path, const std::string& annotation,
                         const FileSystem& fs = RealFileSystem());

// The JPEG quality every framed output is written with.
inline constexpr int kFramedQuality = 80;

// A framed canvas as a baseline JPEG of exactly its size at the given quality
// (0-100), 4:2:0 chroma, with no metadata but the encoder's own JFIF header.
// Throws OutputError: EncodeFailed (a quality outside 0-100, the encoder's
// refusal) or OutOfMemory.
std::vector<std::uint8_t> EncodePicture(const Yuv420Image& canvas, int quality);
// The same in memory of its own, not copied.
EncodedJpeg EncodePictureMapped(const Yuv420Image& canvas, int quality);

}  // namespace geoframe
