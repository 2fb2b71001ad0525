#include "output/output_error.h"

#include <utility>

namespace geoframe {

namespace {

// what(): a short English text for logs and developers.
std::string Describe(OutputErrorKind kind, const OutputError::Fields& f) {
  std::string text;
  switch (kind) {
    case OutputErrorKind::NotJpeg: text = "not a readable JPEG"; break;
    case OutputErrorKind::NoPixels: text = "the JPEG has no pixels"; break;
    case OutputErrorKind::Damaged: text = "the JPEG data is damaged"; break;
    case OutputErrorKind::TooLarge: text = "the picture is too large"; break;
    case OutputErrorKind::Unsupported: text = "unsupported colour model"; break;
    case OutputErrorKind::NoGui: text = "no graphical environment for the annotation"; break;
    case OutputErrorKind::EncodeFailed: text = "the picture cannot be encoded"; break;
    case OutputErrorKind::OutOfMemory: text = "out of memory"; break;
    case OutputErrorKind::EmptyFile: text = "the photo file is empty"; break;
    case OutputErrorKind::BadName: text = "not a usable file name"; break;
    case OutputErrorKind::NameTooLong: text = "the new name is too long"; break;
    case OutputErrorKind::NamesExhausted: text = "every numbered name is taken"; break;
    case OutputErrorKind::Missing: text = "the photo is missing"; break;
    case OutputErrorKind::SameFileAgain: text = "the same file was processed earlier in the batch"; break;
    case OutputErrorKind::FolderBusy: text = "another batch holds the folder"; break;
    case OutputErrorKind::ExifDamaged: text = "the EXIF data cannot be rewritten"; break;
    case OutputErrorKind::ExifTooLarge: text = "the EXIF data would not fit one segment"; break;
    case OutputErrorKind::NoExifWriter: text = "no EXIF writer"; break;
  }
  if (!f.path.empty()) text = f.path + ": " + text;
  if (!f.detail.empty()) text += " (" + f.detail + ")";
  return text;
}

OutputError::Fields PathAndDetail(std::string path, std::string detail) {
  OutputError::Fields fields;
  fields.path = std::move(path);
  fields.detail = std::move(detail);
  return fields;
}

}  // namespace

OutputError::OutputError(OutputErrorKind kind, Fields fields)
    : std::runtime_error(Describe(kind, fields)), kind_(kind), fields_(std::move(fields)) {}

OutputError::OutputError(OutputErrorKind kind, std::string path, std::string detail)
    : OutputError(kind, PathAndDetail(std::move(path), std::move(detail))) {}

}  // namespace geoframe
