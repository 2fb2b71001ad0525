#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace geoframe {

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
  // Names and the batch.
  BadName,         // a wanted name that is no plain file name (detail: the text)
  NameTooLong,     // a planned name longer than the file system allows
  NamesExhausted,  // every numbered form of the name is taken
  Missing,         // the photo's file is not there (any more)
  SameFileAgain,   // an earlier row of the batch already processed this file
  FolderBusy,      // another batch holds the photo's folder
  Transitional,    // a plain message, until every throw site has its kind
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
  };

  OutputError(OutputErrorKind kind, Fields fields);
  explicit OutputError(const std::string& message);  // Transitional

  OutputErrorKind kind() const { return kind_; }
  const Fields& fields() const { return fields_; }

 private:
  OutputErrorKind kind_;
  Fields fields_;
};

}  // namespace geoframe
