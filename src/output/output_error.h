#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace geoframe {

// Why a text cannot be a plain file name in a photo's folder.
enum class NameProblem {
  Separator,           // a "/" or "\\"
  ControlCharacter,    // a byte below 0x20 or 0x7F
  Hidden,              // a leading "." would hide the file (and "." and ".." name folders)
  ForbiddenCharacter,  // one of < > : " | ? *, which Windows file systems refuse
  NotUtf8,             // not valid UTF-8
  TooLong,             // longer than the file system allows
  NoRoomForNumber,     // a prefix too long for the row number and extension after it
};

// What went wrong while reading, framing or placing one photo (the file
// operations themselves fail with FileError).
enum class OutputErrorKind {
  // The picture.
  NotJpeg,       // no readable JPEG header
  NoPixels,      // a header of width or height 0
  Damaged,       // the compressed data is corrupt or ends early: pixels would be made up
  TooLarge,      // decoding or framing would need more memory than a photo may take
  Unsupported,   // a colour model the decoder cannot turn into RGB
  NoGui,         // no graphical environment to draw the annotation with
  EncodeFailed,  // the encoder refused the canvas (detail: its message)
  OutOfMemory,   // an allocation failed
  // The photo's EXIF, when it is to be written.
  ExifDamaged,   // the EXIF cannot be read back as it was, so it cannot be rewritten (detail: what failed)
  ExifTooLarge,  // the written EXIF would not fit one 64 KB segment
  NoExifWriter,  // no code to write EXIF with: the command line could not load its module
  // Names and the batch.
  EmptyFile,       // the photo's file holds no bytes
  BadName,         // a wanted name that is no plain file name (detail: the name; nameProblem: why)
  NameTooLong,     // a planned name longer than the file system allows (detail: the name)
  NamesExhausted,  // every numbered form of the name is taken (path: the folder; detail: the name)
  Missing,         // the photo's file is not there (any more)
  SameFileAgain,   // an earlier row of the batch already processed this file
  FolderBusy,      // another batch holds the photo's folder
};

// The one exception type of the codec and photo output. It carries data, not
// texts: the window composes what it shows from the kind and the fields.
class OutputError : public std::runtime_error {
 public:
  struct Fields {
    std::string path;    // the photo or folder concerned
    std::string detail;  // the decoder's own message, or the name concerned
    int width = 0;       // TooLarge: the picture's size in pixels
    int height = 0;
    std::int64_t bytes = 0;  // TooLarge: the memory framing would take; 0 when its pixel count is over
    int row = 0;         // SameFileAgain: the earlier row
    NameProblem nameProblem = NameProblem::TooLong;  // BadName: why the name is refused
  };

  OutputError(OutputErrorKind kind, Fields fields);
  // The common case: a kind, the file or folder concerned and a detail.
  OutputError(OutputErrorKind kind, std::string path, std::string detail = {});

  OutputErrorKind kind() const { return kind_; }
  const Fields& fields() const { return fields_; }

 private:
  OutputErrorKind kind_;
  Fields fields_;
};

}  // namespace geoframe
