#include "app/mini_picture.h"

#include <cerrno>  // ENOENT
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
#include "output/jpeg_decoder.h"
#include "output/output_error.h"

namespace geoframe {

namespace {

// Thrown inside the preview: why the photo cannot be shown.
struct PreviewFailure {
  PreviewProblem problem;
};

// Nearest integer, a half going to the even neighbour (the default rounding mode).
int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

// The problem a path the list does not take shows.
PreviewProblem ProblemOf(LeftOutReason reason) {
  switch (reason) {
    case LeftOutReason::Missing:
    case LeftOutReason::Hidden: return PreviewProblem::Missing;  // a hidden file counts as missing
    case LeftOutReason::Folder:
    case LeftOutReason::Special: return PreviewProblem::NotAFile;
    case LeftOutReason::NoAccess:
    case LeftOutReason::LinkLoop:
    case LeftOutReason::Unlookable: return PreviewProblem::Unreadable;
    case LeftOutReason::NotJpg:
    case LeftOutReason::ListFull:
    case LeftOutReason::Unrepresentable: break;
  }
  return PreviewProblem::NotJpeg;
}

PreviewProblem ProblemOf(const OutputError& error) {
  switch (error.kind()) {
    case OutputErrorKind::NotJpeg:
    case OutputErrorKind::NoPixels: return PreviewProblem::NotJpeg;
    case OutputErrorKind::TooLarge:
    case OutputErrorKind::OutOfMemory: return PreviewProblem::TooLarge;
    default: return PreviewProblem::Damaged;
  }
}

PreviewProblem ProblemOf(const FileError& error) {
  switch (error.kind()) {
    case FileErrorKind::Folder:
    case FileErrorKind::Special: return PreviewProblem::NotAFile;
    case FileErrorKind::TooLarge: return PreviewProblem::TooLarge;
    default: return error.errnum() == ENOENT ? PreviewProblem::Missing : PreviewProblem::Unreadable;
  }
}

// How much of a photo's start a toolkit that shows no pictures reads for the
// size: room for the EXIF segment (at most 64 KB) and what else cameras write
// before the first scan. The size is read only from a header that ends within
// these bytes, and the EXIF segment lies in the header: a header that goes on
// past them fails to read, and the whole file is read instead.
constexpr std::int64_t kHeaderBytes = 256 * 1024;

// A photo file as the preview reads it: its length and its first `wanted`
// bytes (all of it when shorter), no larger than any photo framing takes.
struct PhotoFile {
  std::int64_t length = 0;
  std::vector<std::uint8_t> bytes;
  bool whole() const { return std::cmp_equal(bytes.size(), length); }
};

PhotoFile ReadPhotoFile(const std::string& path, std::int64_t wanted) {
  try {
    const OpenFile file = OpenRegularFile(path);
    if (file.size <= wanted || file.size > kMaxPhotoFileBytes) {
      return {file.size, ReadWholeFile(file, kMaxPhotoFileBytes)};
    }
    std::vector<std::uint8_t> start(static_cast<std::size_t>(wanted));
    ReadRange(file, 0, start);
    return {file.size, std::move(start)};
  } catch (const std::bad_alloc&) {
    throw PreviewFailure{PreviewProblem::TooLarge};
  } catch (const FileError& error) {
    throw PreviewFailure{ProblemOf(error)};
  }
}

// The photo's EXIF orientation, read from the bytes already read.
int ReadPhotoOrientation(const std::vector<std::uint8_t>& jpeg) {
  try {
    return ReadOrientation(jpeg);
  } catch (const std::bad_alloc&) {
    throw PreviewFailure{PreviewProblem::TooLarge};
  }
}

PixelSize ReadUprightSize(const std::vector<std::uint8_t>& jpeg, int orientation) {
  try {
    return UprightSize(ReadJpegSize(jpeg), orientation);
  } catch (const OutputError& error) {
    throw PreviewFailure{ProblemOf(error)};
  }
}

// Decodes just large enough for the placement, within the preview's memory
// budget, turns the picture upright and hands it to the surface.
void DrawUpright(Toolkit& toolkit, const std::vector<std::uint8_t>& jpeg, int orientation,
                 const PreviewPlacement& at) {
  if (at.width <= 0 || at.height <= 0) return;
  const bool sideways = OrientationSwapsSides(orientation);
  const int width = sideways ? at.height : at.width, height = sideways ? at.width : at.height;
  try {
    if (DecodeAtLeastBytes(jpeg, width, height) > kPreviewMemoryBudget) throw PreviewFailure{PreviewProblem::TooLarge};
    RgbImage stored = DecodeJpegAtLeast(jpeg, width, height);
    toolkit.DrawPreview(ApplyOrientation(std::move(stored), orientation), at.left, at.top, at.width, at.height);
  } catch (const OutputError& error) {
    throw PreviewFailure{ProblemOf(error)};
  } catch (const std::bad_alloc&) {
    throw PreviewFailure{PreviewProblem::TooLarge};
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

std::string PreviewProblemText(PreviewProblem problem) {
  const std::string lead = "无法预览：";
  switch (problem) {
    case PreviewProblem::Missing: return lead + "文件不存在";
    case PreviewProblem::NotAFile: return lead + "这不是普通文件";
    case PreviewProblem::Unreadable: return lead + "文件无法读取";
    case PreviewProblem::NotJpeg: return lead + "不是 JPEG 照片";
    case PreviewProblem::Damaged: return lead + "照片已损坏";
    case PreviewProblem::TooLarge: return lead + "照片太大";
  }
  return lead + "无法显示";
}

std::string DrawMiniPicture(Toolkit& toolkit, const std::string& path) {
  if (const std::optional<LeftOutReason> reason = UnlistableReason(path)) {
    toolkit.DrawPreviewText(PreviewProblemText(ProblemOf(*reason)));
    return {};
  }
  std::int64_t length = 0;
  try {
    const bool draws = toolkit.ShowsPictures();
    PhotoFile photo = ReadPhotoFile(path, draws ? kMaxPhotoFileBytes : kHeaderBytes);
    length = photo.length;
    if (!draws && !photo.whole()) {
      try {
        const PixelSize upright = ReadUprightSize(photo.bytes, ReadPhotoOrientation(photo.bytes));
        return PreviewSizeText(upright, static_cast<std::uintmax_t>(length));
      } catch (const PreviewFailure&) {
        photo = ReadPhotoFile(path, kMaxPhotoFileBytes);  // the header lies past the start read
      }
    }
    const int orientation = ReadPhotoOrientation(photo.bytes);
    const PixelSize upright = ReadUprightSize(photo.bytes, orientation);
    if (!draws) return PreviewSizeText(upright, static_cast<std::uintmax_t>(length));
    DrawUpright(toolkit, photo.bytes, orientation, FitPreview(upright));
    return PreviewSizeText(upright, static_cast<std::uintmax_t>(length));
  } catch (const PreviewFailure& failure) {
    toolkit.DrawPreviewText(PreviewProblemText(failure.problem));
    return PreviewSizeText({}, static_cast<std::uintmax_t>(length));
  }
}

}  // namespace geoframe
