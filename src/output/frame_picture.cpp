#include "output/frame_picture.h"

#include <cstddef>  // ptrdiff_t
#include <cstring>  // memset
#include <new>      // bad_alloc
#include <string_view>
#include <utility>  // move
#include <vector>

#include "exif/exif_reader.h"
#include "output/mapped_memory.h"
#include "output/output_error.h"
#include "output/text_drawing.h"

namespace geoframe {

namespace {

// White in JPEG's colours.
constexpr std::uint8_t kWhiteLuma = 255;
constexpr std::uint8_t kNeutralChroma = 128;

int Even(int value) { return value + (value & 1); }

// Where the photo's own samples are in a plane.
struct Area {
  int left = 0, top = 0, width = 0, height = 0;
};

// Sets every sample of the plane's first size.width x size.height outside the
// area to `value`.
void FillAround(PlaneRows plane, PixelSize size, Area keep, std::uint8_t value) {
  const auto width = static_cast<std::size_t>(size.width);
  const auto left = static_cast<std::size_t>(keep.left), right = left + static_cast<std::size_t>(keep.width);
  for (int y = 0; y < size.height; ++y) {
    std::uint8_t* row = plane.row(y);
    if (y < keep.top || y >= keep.top + keep.height) {
      std::memset(row, value, width);
      continue;
    }
    std::memset(row, value, left);
    std::memset(row + right, value, width - right);
  }
}

// Whites everything but the photo: luma outside its pixels (with the even
// column and row the encoder also reads) and chroma outside the samples that
// stand for its pixels, or all chroma for a grey photo.
void FillMargins(Yuv420Image& canvas, PixelSize photo, bool grey) {
  const PixelSize luma{Even(canvas.width()), Even(canvas.height())};
  FillAround(canvas.y(), luma, {kPhotoLeft, kPhotoLeft, photo.width, photo.height}, kWhiteLuma);
  Area chroma{kPhotoLeft / 2, kPhotoLeft / 2, ChromaCount(photo.width, 2), ChromaCount(photo.height, 2)};
  if (grey) chroma = Area{};
  FillAround(canvas.cb(), canvas.chromaSize(), chroma, kNeutralChroma);
  FillAround(canvas.cr(), canvas.chromaSize(), chroma, kNeutralChroma);
}

// The photo starts at an even pixel, so each of its chroma samples stands for
// photo pixels alone, except past an odd last column or row: there a sample
// stands for photo and margin pixels, and takes the mean of both, as the
// encoder's average of those pixels would.
void ShareOddEdgesWithMargin(Yuv420Image& canvas, PixelSize photo) {
  const int columns = ChromaCount(photo.width, 2), rows = ChromaCount(photo.height, 2);
  auto withWhite = [](std::uint8_t& sample) { sample = static_cast<std::uint8_t>((sample + kNeutralChroma + 1) / 2); };
  for (const PlaneRows plane : {canvas.cb(), canvas.cr()}) {
    const PlaneRows at = plane.From(kPhotoLeft / 2, kPhotoLeft / 2);
    if (photo.width % 2 == 1) {
      for (int y = 0; y < rows; ++y) withWhite(at.row(y)[columns - 1]);
    }
    if (photo.height % 2 == 1) {
      for (int x = 0; x < columns; ++x) withWhite(at.row(rows - 1)[x]);
    }
  }
}

// Converts an RGB picture of even width and height into the canvas with its
// top left at (left, top), both even: luma pixel by pixel, each chroma sample
// the mean of its 2 x 2 pixels, rounded as libjpeg's encoder rounds.
void PutRgb(RgbRows rgb, Yuv420Image& canvas, int left, int top) {
  const int width = rgb.width;
  std::vector<std::uint8_t> cb(2 * static_cast<std::size_t>(width)), cr(cb.size());
  for (int y = 0; y < rgb.height; y += 2) {
    for (int i = 0; i < 2; ++i) {
      RgbToYcc(rgb.bits + (y + i) * rgb.pitch, width, canvas.y().row(top + y + i) + left, cb.data() + i * width,
               cr.data() + i * width);
    }
    std::uint8_t* toCb = canvas.cb().row((top + y) / 2);
    std::uint8_t* toCr = canvas.cr().row((top + y) / 2);
    for (int x = 0; x < width; x += 2) {
      const int column = (left + x) / 2;
      const int bias = 1 + (column & 1);
      toCb[column] = static_cast<std::uint8_t>((cb[x] + cb[x + 1] + cb[width + x] + cb[width + x + 1] + bias) >> 2);
      toCr[column] = static_cast<std::uint8_t>((cr[x] + cr[x + 1] + cr[width + x] + cr[width + x + 1] + bias) >> 2);
    }
  }
}

// Paints the annotation into the text strip only, smaller or cut short when it
// is wider than the photo column (FitAnnotation), in RGB through a view of the
// strip as wide as the photo column, so nothing can reach the margins; the
// strip is converted with the white margin around it up to even rows and
// columns, whose chroma samples it shares.
void DrawAnnotation(Yuv420Image& canvas, PixelSize photo, const std::string& annotation) {
  if (IsBlankAnnotation(annotation)) return;
  const int stripTop = kFrameMargin + photo.height + 2 * kCellBorder;
  const int stripWidth = photo.width + 2 * kCellBorder;
  const int boxTop = stripTop - stripTop % 2;
  const int boxWidth = Even(stripWidth), boxHeight = Even(stripTop + kTextStripHeight) - boxTop;
  const std::ptrdiff_t pitch = 3 * boxWidth;
  const MappedMemory box(static_cast<std::size_t>(pitch * boxHeight));
  std::memset(box.data(), 0xFF, box.size());  // white
  DrawAnnotationText(annotation, {box.data() + pitch * (stripTop - boxTop), stripWidth, kTextStripHeight, pitch});
  PutRgb({box.data(), boxWidth, boxHeight, pitch}, canvas, kFrameMargin, boxTop);
}

// The photo's planes into the canvas at (24, 24), turned upright. A photo
// stored upright with 4:2:0 chroma (or grey) is decoded straight into the
// canvas; one stored upright with other chroma has its luma decoded straight
// into the canvas and its chroma averaged into place strip by strip; any
// other is placed strip by strip as it is decoded, so a quarter turn needs no
// second copy of the photo. Only photos whose planes libjpeg
// cannot hand on as stored are decoded to RGB and converted (see
// JpegHeader::asStored): inks (CMYK, YCCK), which need their conversion to
// light, streams coded in RGB, and unusual chroma sampling.
void PlacePhoto(std::span<const std::uint8_t> jpeg, const JpegHeader& header, int orientation,
                Yuv420Image& canvas) {
  const PlaneRows y = canvas.y().From(kPhotoLeft, kPhotoLeft);
  const PlaneRows cb = canvas.cb().From(kPhotoLeft / 2, kPhotoLeft / 2);
  const PlaneRows cr = canvas.cr().From(kPhotoLeft / 2, kPhotoLeft / 2);
  const bool asStored = orientation < 2 || orientation > 8;
  if (asStored && DecodesInto420(header)) {
    DecodeJpegPlanesInto(jpeg, y, cb, cr);
    return;
  }
  UprightPlanes upright(header.size, orientation, header.sampling, y, cb, cr);
  const auto place = [&](const YccStrip& strip) { upright.Place(strip); };
  if (asStored && header.asStored) {
    DecodeJpegLumaInto(jpeg, y, place);
    return;
  }
  DecodeJpegYccStrips(jpeg, place);
}

OutputError::Fields PathOnly(const std::string& path) {
  OutputError::Fields fields;
  fields.path = path;
  return fields;
}

// The same error, naming the photo's file.
OutputError NamingFile(const OutputError& error, const std::string& path) {
  OutputError::Fields fields = error.fields();
  fields.path = path;
  return OutputError(error.kind(), std::move(fields));
}

}  // namespace

bool IsBlankAnnotation(const std::string& annotation) {
  return annotation.find_first_not_of(' ') == std::string::npos;
}

std::string DirectionIsolate(const std::string& text) {
  // UTF-8 of the isolate openings U+2066 (left to right), U+2067 (right to
  // left), U+2068 (first strong) and of their closing U+2069.
  const std::string_view lri = "\u2066", rli = "\u2067", fsi = "\u2068", pdi = "\u2069";
  if (text.empty()) return text;
  std::string isolated(fsi);
  int open = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::string_view rest = std::string_view(text).substr(i);
    if (rest.starts_with(lri) || rest.starts_with(rli) || rest.starts_with(fsi)) {
      ++open;
    } else if (rest.starts_with(pdi)) {
      if (open == 0) {
        i += pdi.size();
        continue;
      }
      --open;
    }
    isolated += text[i++];
  }
  for (int i = 0; i <= open; ++i) isolated += pdi;
  return isolated;
}

PixelSize CanvasSize(PixelSize upright) {
  const int extra = 2 * (kFrameMargin + kCellBorder);
  return {upright.width + extra, upright.height + extra};
}

std::int64_t FramingBytes(const JpegHeader& header, int orientation, std::int64_t fileBytes) {
  const PixelSize canvas = CanvasSize(UprightSize(header.size, orientation));
  return fileBytes + Yuv420Image::BytesFor(canvas) + header.decoderBytes;
}

void RequireFramable(const JpegHeader& header, int orientation, std::int64_t fileBytes) {
  const PixelSize photo = UprightSize(header.size, orientation);
  const PixelSize canvas = CanvasSize(photo);
  OutputError::Fields fields;
  fields.width = photo.width;
  fields.height = photo.height;
  if (static_cast<std::int64_t>(canvas.width) * canvas.height > kMaxCanvasPixels) {
    throw OutputError(OutputErrorKind::TooLarge, std::move(fields));
  }
  const std::int64_t bytes = FramingBytes(header, orientation, fileBytes);
  if (bytes > kFramingMemoryBudget) {
    fields.bytes = bytes;
    throw OutputError(OutputErrorKind::TooLarge, std::move(fields));
  }
}

Yuv420Image FrameJpeg(std::span<const std::uint8_t> jpeg, int orientation, const std::string& annotation) {
  const JpegHeader header = ReadJpegHeader(jpeg);
  RequireFramable(header, orientation, static_cast<std::int64_t>(jpeg.size()));
  const PixelSize photo = UprightSize(header.size, orientation);
  Yuv420Image canvas(CanvasSize(photo));
  PlacePhoto(jpeg, header, orientation, canvas);
  FillMargins(canvas, photo, header.grey);
  ShareOddEdgesWithMargin(canvas, photo);
  DrawAnnotation(canvas, photo, annotation);
  return canvas;
}

PhotoSource ReadPhotoSource(const std::string& path, const FileSystem& fs) {
  if (!fs.FileExists(path)) throw OutputError(OutputErrorKind::Missing, PathOnly(path));
  try {
    PhotoSource source{path, fs.ReadFile(path, kMaxPhotoFileBytes)};
    source.orientation = ReadOrientation(source.jpeg);
    return source;
  } catch (const std::bad_alloc&) {
    throw OutputError(OutputErrorKind::OutOfMemory, PathOnly(path));
  }
}

std::int64_t FramingBytes(const PhotoSource& source) {
  try {
    return FramingBytes(ReadJpegHeader(source.jpeg), source.orientation,
                        static_cast<std::int64_t>(source.jpeg.size()));
  } catch (const OutputError&) {
    return 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

Yuv420Image FramePicture(const PhotoSource& source, const std::string& annotation) {
  try {
    return FrameJpeg(source.jpeg, source.orientation, annotation);
  } catch (const OutputError& error) {
    throw NamingFile(error, source.path);
  } catch (const std::bad_alloc&) {
    throw OutputError(OutputErrorKind::OutOfMemory, PathOnly(source.path));
  }
}

Yuv420Image FramePicture(const std::string& path, const std::string& annotation, const FileSystem& fs) {
  return FramePicture(ReadPhotoSource(path, fs), annotation);
}

EncodedJpeg EncodePictureMapped(const Yuv420Image& canvas, int quality) {
  if (quality < 0 || quality > 100) {
    OutputError::Fields fields;
    fields.detail = "quality " + std::to_string(quality) + " is outside 0-100";
    throw OutputError(OutputErrorKind::EncodeFailed, std::move(fields));
  }
  return EncodeJpegMapped(canvas, quality);
}

std::vector<std::uint8_t> EncodePicture(const Yuv420Image& canvas, int quality) {
  const EncodedJpeg encoded = EncodePictureMapped(canvas, quality);
  return {encoded.bytes().begin(), encoded.bytes().end()};
}

}  // namespace geoframe
