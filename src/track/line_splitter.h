#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace geoframe {

// Cuts text that arrives in pieces of any size into lines. CR LF, a lone CR and
// a lone LF each end a line (logs written on Linux and macOS end lines in LF
// alone); the last line counts without a terminator; bytes are passed on
// unchanged. A line longer than maxLength bytes is skipped: its bytes are
// dropped as they come, so no more than maxLength bytes are ever held.
class LineSplitter {
 public:
  // Called with each line; returns false to stop.
  using OnLine = std::function<bool(std::string_view line)>;

  LineSplitter(std::size_t maxLength, OnLine onLine);

  // Passes on every line that ends within the bytes. False once onLine asked to
  // stop; later calls then do nothing.
  bool Feed(std::string_view bytes);
  // Passes on the last line when the text did not end with a terminator.
  void Finish();

 private:
  void Keep(std::string_view piece);
  bool EndLine(std::string_view piece);

  std::size_t maxLength_;
  OnLine onLine_;
  std::string partial_;    // the start of a line that began in an earlier piece
  bool overlong_ = false;  // the current line passed maxLength: it is dropped
  bool afterCr_ = false;   // the last piece ended in CR: an LF next belongs to it
  bool stopped_ = false;
};

}  // namespace geoframe
