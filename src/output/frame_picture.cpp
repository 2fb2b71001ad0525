#include "output/frame_picture.h"

#include <algorithm>  // min
#include <cstddef>  // ptrdiff_t
#include <cstring>  // memset
#include <new>      // bad_alloc
#include <optional>
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
// encoder's average of those pixels would. Does so for the photo's chroma
// rows [from, to) of the planes at the photo's first sample, the last row
// included once `to` reaches it.
void ShareOddEdgeRows(PlaneRows cb, PlaneRows cr, PixelSize photo, int from, int to) {
  const int columns = ChromaCount(photo.width, 2), rows = ChromaCount(photo.height, 2);
  auto withWhite = [](std::uint8_t& sample) { sample = static_cast<std::uint8_t>((sample + kNeutralChroma + 1) / 2); };
  for (const PlaneRows plane : {cb, cr}) {
    if (photo.width % 2 == 1) {
      for (int y = from; y < to; ++y) withWhite(plane.row(y)[columns - 1]);
    }
    if (photo.height % 2 == 1 && from < rows && to >= rows) {
      for (int x = 0; x < columns; ++x) withWhite(plane.row(rows - 1)[x]);
    }
  }
}

void ShareOddEdgesWithMargin(Yuv420Image& canvas, PixelSize photo) {
  ShareOddEdgeRows(canvas.cb().From(kPhotoLeft / 2, kPhotoLeft / 2), canvas.cr().From(kPhotoLeft / 2, kPhotoLeft / 2),
                   photo, 0, ChromaCount(photo.height, 2));
}

// Converts an RGB picture of even width and height into planes whose rows
// start at its top row (y, cb and cr at the picture's first row), its left
// edge at the even column `left`: luma pixel by pixel, each chroma sample the
// mean of its 2 x 2 pixels, rounded as libjpeg's encoder rounds.
void PutRgb(RgbRows rgb, PlaneRows y, PlaneRows cb, PlaneRows cr, int left) {
  const int width = rgb.width;
  std::vector<std::uint8_t> cbPair(2 * static_cast<std::size_t>(width)), crPair(cbPair.size());
  for (int row = 0; row < rgb.height; row += 2) {
    for (int i = 0; i < 2; ++i) {
      RgbToYcc(rgb.bits + (row + i) * rgb.pitch, width, y.row(row + i) + left, cbPair.data() + i * width,
               crPair.data() + i * width);
    }
    std::uint8_t* toCb = cb.row(row / 2);
    std::uint8_t* toCr = cr.row(row / 2);
    for (int x = 0; x < width; x += 2) {
      const int column = (left + x) / 2;
      const int bias = 1 + (column & 1);
      toCb[column] = static_cast<std::uint8_t>(
          (cbPair[x] + cbPair[x + 1] + cbPair[width + x] + cbPair[width + x + 1] + bias) >> 2);
      toCr[column] = static_cast<std::uint8_t>(
          (crPair[x] + crPair[x + 1] + crPair[width + x] + crPair[width + x + 1] + bias) >> 2);
    }
  }
}

// Where the annotation goes: the text strip, with the white margin around it
// up to even rows and columns, whose chroma samples it shares.
struct TextBox {
  int stripTop = 0, stripWidth = 0;
  int top = 0, width = 0, height = 0;
};

TextBox TextBoxOf(PixelSize photo) {
  TextBox box;
  box.stripTop = kFrameMargin + photo.height + 2 * kCellBorder;
  box.stripWidth = photo.width + 2 * kCellBorder;
  box.top = box.stripTop - box.stripTop % 2;
  box.width = Even(box.stripWidth);
  box.height = Even(box.stripTop + kTextStripHeight) - box.top;
  return box;
}

// Paints the annotation into the text strip only, smaller or cut short when it
// is wider than the photo column (FitAnnotation), in RGB through a view of the
// strip as wide as the photo column, so nothing can reach the margins, and
// converts the box into planes whose rows start at the box's top row.
void DrawAnnotationRows(const std::string& annotation, PixelSize photo, PlaneRows y, PlaneRows cb, PlaneRows cr) {
  const TextBox box = TextBoxOf(photo);
  const std::ptrdiff_t pitch = 3 * box.width;
  const MappedMemory rgb(static_cast<std::size_t>(pitch * box.height));
  std::memset(rgb.data(), 0xFF, rgb.size());  // white
  DrawAnnotationText(annotation, {rgb.data() + pitch * (box.stripTop - box.top), box.stripWidth, kTextStripHeight, pitch});
  PutRgb({rgb.data(), box.width, box.height, pitch}, y, cb, cr, kFrameMargin);
}

void DrawAnnotation(Yuv420Image& canvas, PixelSize photo, const std::string& annotation) {
  if (IsBlankAnnotation(annotation)) return;
  const int top = TextBoxOf(photo).top;
  DrawAnnotationRows(annotation, photo, canvas.y().From(0, top), canvas.cb().From(0, top / 2),
                     canvas.cr().From(0, top / 2));
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

// Frames an upright photo whose planes libjpeg hands on as stored, and
// encodes the canvas a band of rows at a time as the photo's rows are decoded,
// into the bytes FrameJpeg and EncodePictureMapped make of it. The canvas's
// luma passes through a ring of rows; only its chroma planes, a third of it,
// are held whole. Memory first touched costs about as much as the work done
// on it, and a band is still in the cache when it is encoded.
EncodedJpeg StreamUpright(std::span<const std::uint8_t> jpeg, const JpegHeader& header,
                          const std::string& annotation, int quality) {
  constexpr int kBandRows = BandEncoder::kBandRows;
  // Photo rows the ring holds: a band needs rows of two rows of MCUs (16 luma
  // rows each at most), and the decoder writes a third while a band waits.
  constexpr int kRingRows = 48;
  const PixelSize photo = header.size;
  const PixelSize canvas = CanvasSize(photo);
  const bool drawn = !IsBlankAnnotation(annotation);
  BandEncoder encoder(canvas, quality);
  const int lumaSamples = BandEncoder::RowSamples(canvas.width), chromaSamples = lumaSamples / 2;
  const int lumaRows = Even(canvas.height), chromaRows = lumaRows / 2;
  const PixelSize photoChroma{ChromaCount(photo.width, 2), ChromaCount(photo.height, 2)};

  // The chroma planes, neutral around the photo (all of them for a grey one),
  // made so row by row as the photo's rows come: a stream found damaged early
  // has touched little memory.
  const auto chromaPlane = static_cast<std::size_t>(chromaSamples) * chromaRows;
  const MappedMemory chroma(2 * chromaPlane);
  const PlaneRows cb{chroma.data(), chromaSamples}, cr{chroma.data() + chromaPlane, chromaSamples};
  const Area photoArea = header.grey ? Area{} : Area{kPhotoLeft / 2, kPhotoLeft / 2, photoChroma.width, photoChroma.height};
  auto fillChromaRows = [&](int from, int to) {
    const Area keep{photoArea.left, photoArea.top - from, photoArea.width, photoArea.height};
    for (const PlaneRows plane : {cb, cr}) FillAround(plane.From(0, from), {chromaSamples, to - from}, keep, kNeutralChroma);
  };
  fillChromaRows(0, kPhotoLeft / 2);

  // White luma rows: the ring of photo rows, one row for the margins and the
  // rows of the text box.
  const TextBox box = TextBoxOf(photo);
  const auto lumaRow = static_cast<std::size_t>(lumaSamples);
  const MappedMemory luma(lumaRow * (kRingRows + 1 + (drawn ? box.height : 0)));
  std::memset(luma.data(), kWhiteLuma, luma.size());
  std::uint8_t* const ring = luma.data();
  std::uint8_t* const white = ring + kRingRows * lumaRow;
  std::uint8_t* const boxRows = white + lumaRow;
  auto canvasLuma = [&](int row) {
    row = std::min(row, lumaRows - 1);  // rows past the even height repeat the last
    const int photoRow = row - kPhotoLeft;
    if (photoRow >= 0 && photoRow < photo.height) return ring + (photoRow % kRingRows) * lumaRow;
    if (drawn && row >= box.top && row < box.top + box.height) return boxRows + (row - box.top) * lumaRow;
    return white;
  };

  // Bands go to the encoder once every row of them is made.
  int nextBand = 0;
  auto encodeBandsBefore = [&](int row) {
    std::uint8_t* y[kBandRows];
    std::uint8_t* u[kBandRows / 2];
    std::uint8_t* v[kBandRows / 2];
    for (; (nextBand + 1) * kBandRows <= row; ++nextBand) {
      for (int r = 0; r < kBandRows; ++r) y[r] = canvasLuma(nextBand * kBandRows + r);
      for (int r = 0; r < kBandRows / 2; ++r) {
        const int at = std::min(nextBand * kBandRows / 2 + r, chromaRows - 1);
        u[r] = cb.row(at);
        v[r] = cr.row(at);
      }
      encoder.Write(y, u, v);
    }
  };

  // Chroma as stored goes straight into the planes at 4:2:0, else through
  // rows of a row of MCUs, which are averaged into place.
  const bool direct = DecodesInto420(header);
  const PlaneRows photoCb = cb.From(kPhotoLeft / 2, kPhotoLeft / 2), photoCr = cr.From(kPhotoLeft / 2, kPhotoLeft / 2);
  std::optional<UprightPlanes> upright;
  if (!direct) upright.emplace(photo, 1, header.sampling, PlaneRows{}, photoCb, photoCr);
  constexpr int kGroupChromaRows = 16;  // the most chroma rows of a row of MCUs
  const int storedChroma = (ChromaCount(photo.width, header.sampling.across) + 7) / 8 * 8;
  const MappedMemory stored(direct ? 0 : 2 * static_cast<std::size_t>(storedChroma) * kGroupChromaRows);
  int done = 0;  // photo rows made
  DecodeJpegStoredRows(
      jpeg,
      [&](int component, int first, int count, std::uint8_t** rows) {
        for (int r = 0; r < count; ++r) {
          if (component == 0) {
            rows[r] = ring + ((first + r) % kRingRows) * lumaRow + kPhotoLeft;
          } else if (direct) {
            rows[r] = (component == 1 ? photoCb : photoCr).row(first + r);
          } else {
            rows[r] = stored.data() + static_cast<std::size_t>((component - 1) * kGroupChromaRows + r) * storedChroma;
          }
        }
      },
      [&](int decoded) {
        const int first = done;
        done = std::min(decoded, photo.height);
        // The decoder wrote whole blocks: up to 7 samples past the photo's
        // last column are margin again.
        for (int row = first; row < done; ++row) {
          std::memset(ring + (row % kRingRows) * lumaRow + kPhotoLeft + photo.width, kWhiteLuma, 8);
        }
        const int firstChroma = first / 2, chromaDone = ChromaCount(done, 2);
        if (!direct) {
          upright->Place(YccStrip{first, done - first, nullptr, 0, stored.data(),
                                 stored.data() + static_cast<std::size_t>(kGroupChromaRows) * storedChroma,
                                 storedChroma, header.sampling});
        }
        fillChromaRows(kPhotoLeft / 2 + firstChroma, kPhotoLeft / 2 + chromaDone);  // the margins beside them too
        ShareOddEdgeRows(photoCb, photoCr, photo, firstChroma, chromaDone);
        // Bands below the photo's last row wait for the rows under it.
        encodeBandsBefore(kPhotoLeft + done);
      });
  // Below the photo, where the decoder's last row of MCUs wrote up to 7
  // chroma rows past the photo's.
  fillChromaRows(kPhotoLeft / 2 + photoChroma.height, chromaRows);
  if (drawn) {
    DrawAnnotationRows(annotation, photo, PlaneRows{boxRows, lumaSamples}, cb.From(0, box.top / 2),
                       cr.From(0, box.top / 2));
  }
  encodeBandsBefore((lumaRows + kBandRows - 1) / kBandRows * kBandRows);
  return encoder.Finish();
}

// FrameJpeg for a stream whose header is read and whose size is checked.
Yuv420Image FrameCanvas(std::span<const std::uint8_t> jpeg, const JpegHeader& header, int orientation,
                        const std::string& annotation) {
  const PixelSize photo = UprightSize(header.size, orientation);
  Yuv420Image canvas(CanvasSize(photo));
  PlacePhoto(jpeg, header, orientation, canvas);
  FillMargins(canvas, photo, header.grey);
  ShareOddEdgesWithMargin(canvas, photo);
  DrawAnnotation(canvas, photo, annotation);
  return canvas;
}

// Throws OutputError (EncodeFailed) for a quality outside 0-100.
void RequireQuality(int quality) {
  if (quality >= 0 && quality <= 100) return;
  OutputError::Fields fields;
  fields.detail = "quality " + std::to_string(quality) + " is outside 0-100";
  throw OutputError(OutputErrorKind::EncodeFailed, std::move(fields));
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
  return FrameCanvas(jpeg, header, orientation, annotation);
}

EncodedJpeg FrameJpegEncoded(std::span<const std::uint8_t> jpeg, int orientation, const std::string& annotation,
                             int quality) {
  RequireQuality(quality);
  const JpegHeader header = ReadJpegHeader(jpeg);
  RequireFramable(header, orientation, static_cast<std::int64_t>(jpeg.size()));
  const bool upright = orientation < 2 || orientation > 8;
  if (upright && header.asStored) return StreamUpright(jpeg, header, annotation, quality);
  return EncodeJpegMapped(FrameCanvas(jpeg, header, orientation, annotation), quality);
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

EncodedJpeg FramePictureEncoded(const PhotoSource& source, const std::string& annotation, int quality) {
  try {
    return FrameJpegEncoded(source.jpeg, source.orientation, annotation, quality);
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
  RequireQuality(quality);
  return EncodeJpegMapped(canvas, quality);
}

std::vector<std::uint8_t> EncodePicture(const Yuv420Image& canvas, int quality) {
  const EncodedJpeg encoded = EncodePictureMapped(canvas, quality);
  return {encoded.bytes().begin(), encoded.bytes().end()};
}

}  // namespace geoframe
