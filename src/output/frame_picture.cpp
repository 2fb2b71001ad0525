#include "output/frame_picture.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <sys/mman.h>  // mmap, madvise, munmap

#include <cstring>  // memset
#include <new>      // bad_alloc
#include <utility>  // move
#include <vector>

#include "exif/exif_reader.h"
#include "output/output_error.h"

namespace geoframe {

namespace {

constexpr std::uint8_t kWhite = 0xFF;

// SimSun 15 pt bold at 96 dpi is 20 pixels (the font database knows SimSun by
// its Chinese name too); Noto Serif CJK SC stands in where SimSun is missing.
// Made once and kept for the whole run (never destroyed, so it cannot outlive
// the font database at exit).
const QFont& AnnotationFont() {
  static const QFont* font = [] {
    auto* made = new QFont();
    made->setFamilies({QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC")});
    made->setBold(true);
    made->setPixelSize(kTextStripHeight);
    made->setStyleStrategy(QFont::PreferAntialias);
    return made;
  }();
  return *font;
}

struct CanvasMemory {
  void* address;
  std::size_t bytes;
};

void ReleaseCanvas(void* info) {
  auto* memory = static_cast<CanvasMemory*>(info);
  ::munmap(memory->address, memory->bytes);
  delete memory;
}

// QImage rows are 4-byte aligned.
std::size_t RgbPitch(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

// An RGB888 picture on memory asked of the kernel in 2 MB pages where it allows
// them: first touching a 70 MB canvas in 4 KB pages can cost as much as the
// decode. Null when there is no memory for it.
QImage AllocateRgb(PixelSize size) {
  const std::size_t pitch = RgbPitch(size.width);
  const std::size_t bytes = pitch * static_cast<std::size_t>(size.height);
  void* address = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (address == MAP_FAILED) return QImage();
  ::madvise(address, bytes, MADV_HUGEPAGE);  // only a hint; 4 KB pages work too
  return QImage(static_cast<uchar*>(address), size.width, size.height, static_cast<qsizetype>(pitch),
                QImage::Format_RGB888, ReleaseCanvas, new CanvasMemory{address, bytes});
}

bool IsBlank(const std::string& text) {
  return text.find_first_not_of(' ') == std::string::npos;
}

// Whites everything but the photo's own pixels: the rows above and below it and
// the margins left and right of each photo row (row padding included).
void FillMargins(QImage& canvas, PixelSize photo) {
  std::uint8_t* bits = canvas.bits();
  const auto pitch = static_cast<std::size_t>(canvas.bytesPerLine());
  const std::size_t left = kPhotoLeft * 3;
  const std::size_t right = (static_cast<std::size_t>(kPhotoLeft) + photo.width) * 3;
  std::memset(bits, kWhite, pitch * kPhotoLeft);
  for (int y = kPhotoLeft; y < kPhotoLeft + photo.height; ++y) {
    std::uint8_t* row = bits + pitch * y;
    std::memset(row, kWhite, left);
    std::memset(row + right, kWhite, pitch - right);
  }
  std::size_t below = static_cast<std::size_t>(kPhotoLeft) + photo.height;
  std::memset(bits + pitch * below, kWhite, pitch * (canvas.height() - below));
}

// Paints the annotation into the text strip only: a view of the canvas rows
// under the photo cell, as wide as the photo column, so nothing can reach the
// margins.
void DrawAnnotation(QImage& canvas, PixelSize photo, const std::string& annotation) {
  if (IsBlank(annotation)) return;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
    throw OutputError(OutputErrorKind::NoGui, OutputError::Fields{});
  }
  const int stripTop = kFrameMargin + photo.height + 2 * kCellBorder;
  const int stripWidth = photo.width + 2 * kCellBorder;
  std::uint8_t* origin = canvas.bits() + static_cast<std::size_t>(canvas.bytesPerLine()) * stripTop +
                         static_cast<std::size_t>(kFrameMargin) * 3;
  QImage strip(origin, stripWidth, kTextStripHeight, canvas.bytesPerLine(), QImage::Format_RGB888);
  QPainter painter(&strip);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setFont(AnnotationFont());
  painter.setPen(Qt::black);
  painter.drawText(QRect(0, 0, stripWidth, kTextStripHeight),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   QString::fromStdString(annotation));
}

// The photo's pixels into the canvas at (24, 24), turned upright. Turns that
// keep the sides happen in the canvas itself; a quarter turn places the rows
// strip by strip as they are decoded.
void PlacePhoto(std::span<const std::uint8_t> jpeg, PixelSize stored, int orientation, QImage& canvas) {
  std::uint8_t* at = canvas.bits() + static_cast<std::size_t>(canvas.bytesPerLine()) * kPhotoLeft +
                     static_cast<std::size_t>(kPhotoLeft) * 3;
  const int pitch = static_cast<int>(canvas.bytesPerLine());
  if (!OrientationSwapsSides(orientation)) {
    DecodeJpegInto(jpeg, at, pitch);
    FlipUprightInPlace(at, stored.width, stored.height, pitch, orientation);
    return;
  }
  DecodeJpegStrips(jpeg, [&](const std::uint8_t* rgb, int rgbPitch, int firstRow, int rows) {
    CopyUprightRows(rgb, rgbPitch, stored, firstRow, rows, orientation, at, pitch);
  });
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

PixelSize CanvasSize(PixelSize upright) {
  const int extra = 2 * (kFrameMargin + kCellBorder);
  return {upright.width + extra, upright.height + extra};
}

std::int64_t FramingBytes(const JpegHeader& header, int orientation, std::int64_t fileBytes) {
  const PixelSize canvas = CanvasSize(UprightSize(header.size, orientation));
  const auto canvasBytes = static_cast<std::int64_t>(RgbPitch(canvas.width)) * canvas.height;
  return fileBytes + canvasBytes + header.decoderBytes;
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

QImage FrameJpeg(std::span<const std::uint8_t> jpeg, int orientation, const std::string& annotation) {
  const JpegHeader header = ReadJpegHeader(jpeg);
  RequireFramable(header, orientation, static_cast<std::int64_t>(jpeg.size()));
  const PixelSize photo = UprightSize(header.size, orientation);
  QImage canvas = AllocateRgb(CanvasSize(photo));
  if (canvas.isNull()) throw OutputError(OutputErrorKind::OutOfMemory, OutputError::Fields{});
  PlacePhoto(jpeg, header.size, orientation, canvas);
  FillMargins(canvas, photo);
  DrawAnnotation(canvas, photo, annotation);
  return canvas;
}

QImage FramePicture(const std::string& path, const std::string& annotation, const FileSystem& fs) {
  if (!fs.FileExists(path)) throw OutputError(OutputErrorKind::Missing, PathOnly(path));
  try {
    const std::vector<std::uint8_t> jpeg = fs.ReadFile(path, kMaxPhotoFileBytes);
    return FrameJpeg(jpeg, ReadOrientation(path), annotation);
  } catch (const OutputError& error) {
    throw NamingFile(error, path);
  } catch (const std::bad_alloc&) {
    throw OutputError(OutputErrorKind::OutOfMemory, PathOnly(path));
  }
}

}  // namespace geoframe
