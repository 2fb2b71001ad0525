#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "io/file_error.h"

namespace geoframe {

// What went wrong while reading a file's EXIF data.
enum class ExifErrorKind {
  Io,          // the file cannot be opened or read
  OutOfRange,  // a read past the end of the file, or of an absent record table
  Overflow,    // a 32-bit field or sum beyond the signed 32-bit range
  Conversion,  // a value that should be a number is not
};

// The one exception type of the EXIF reader. what() is a short English text
// for developers; a front end tells the user from the kind and the data: an Io
// error carries the file layer's error, a read outside the file the length of
// the file (0: an empty file).
class ExifError : public std::runtime_error {
 public:
  ExifError(ExifErrorKind kind, const std::string& message, std::int64_t fileLength = -1)
      : std::runtime_error(message), kind_(kind), fileLength_(fileLength) {}
  explicit ExifError(const FileError& cause)
      : std::runtime_error(cause.what()), kind_(ExifErrorKind::Io), cause_(cause) {}

  ExifErrorKind kind() const { return kind_; }
  // Io: why the file could not be opened or read.
  const std::optional<FileError>& cause() const { return cause_; }
  // OutOfRange: the length of the file read past; -1 when not known.
  std::int64_t fileLength() const { return fileLength_; }

 private:
  ExifErrorKind kind_;
  std::int64_t fileLength_ = -1;
  std::optional<FileError> cause_;
};

// A converted entry value: empty, a 32-bit signed integer, or a text. Texts
// hold one char per file byte: bytes 0x00..0x7F are their ASCII characters,
// and a byte of 0x80 or more is the single char of the same bit pattern (so a
// text is the file's bytes, not decoded UTF-8).
using ExifValue = std::variant<std::monostate, std::int32_t, std::string>;

// One IFD entry as read. Count and ValueOffset hold the entry's 32-bit fields
// bit for bit: a field of 2^31 or more reads negative.
struct TagRecord {
  std::int32_t TagNumber = 0;
  bool IsMakerNote = false;
  std::int32_t DataType = 0;
  std::int32_t Count = 0;
  std::int32_t ValueOffset = 0;  // relative to the TIFF header; 0 when inline or not converted
  ExifValue Value;
};

// Reads the EXIF data of one JPEG file and answers tag queries by number.
class ExifReader {
 public:
  ExifReader();
  ~ExifReader();
  ExifReader(const ExifReader&) = delete;
  ExifReader& operator=(const ExifReader&) = delete;

  // Stores the path; reads nothing.
  void picFile(const std::string& path);
  // Reads the file named by the stored path (the argument becomes the path only
  // when none is stored yet). Throws ExifError.
  void Load(const std::string& picFile);
  // Reads a file already in memory, as Load reads one from disk; stores no
  // path, so Tag never reads again. Throws ExifError.
  void Load(std::span<const std::uint8_t> jpeg);
  // The value of the first record with this tag number; Tag(0) is the record
  // count. Loads on demand (again on every call while no EXIF segment was
  // found). Empty for a tag the file does not carry and for a file without an
  // EXIF segment. Throws ExifError when loading fails.
  ExifValue Tag(std::int32_t ExifTag);
  // The value of the first maker-note record with this tag number; never loads.
  ExifValue MakerNoteTag(std::int32_t MakerTag) const;

  // The record table in reading order (empty when it was never allocated).
  const std::vector<TagRecord>& Records() const;
  bool HasExif() const;

  // text padded on the left to width with the first character of fill. Kept
  // for callers of the reader's interface; the walk writes its two-digit hex
  // texts directly.
  static std::string PadLeft(const std::string& text, std::size_t width, const std::string& fill);

 private:
  struct State;

  void ReadFileBytes(const std::string& path);
  void ReadExif();
  bool FindExifSegment();
  bool IsIntelOrder() const;
  void ReadIfds(std::int64_t ifd0Index);

  std::unique_ptr<State> state_;
};

// The shooting time of a photo as a photo record holds it ("YYYY-MM-DD HH:MM:SS"):
// the first 10 characters of the EXIF text with every ":" replaced by "-", a
// blank, and its last 8 characters (texts shorter than 10 are taken whole in
// both places). Empty for an empty text.
std::string ExifTimeToDateTimeText(const std::string& exifText);

// Reads tag 36867 (DateTimeOriginal) of the file with a fresh reader and returns
// it as ExifTimeToDateTimeText gives it; empty when the file has none.
// Throws ExifError when the reader fails.
std::string ReadShootingTime(const std::string& path);

// The EXIF orientation (tag 274) of a file already read into memory, 1 to 8;
// 1 when it has none, an unknown value, or EXIF data the reader cannot walk.
// Throws bad_alloc when an allocation fails: a photo framed upright on a guess
// would be a wrong result reported done.
int ReadOrientation(std::span<const std::uint8_t> jpeg);

}  // namespace geoframe
