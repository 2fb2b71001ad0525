#include "track/line_splitter.h"

#include <utility>  // std::move

namespace geoframe {

namespace {

// The first CR or LF at or after `from`, or the size of the text.
std::size_t LineEnd(std::string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') return i;
  }
  return text.size();
}

}  // namespace

LineSplitter::LineSplitter(std::size_t maxLength, OnLine onLine)
    : maxLength_(maxLength), onLine_(std::move(onLine)) {}

bool LineSplitter::Feed(std::string_view bytes) {
  if (stopped_) return false;
  std::size_t pos = 0;
  if (afterCr_ && !bytes.empty()) {
    if (bytes[0] == '\n') pos = 1;
    afterCr_ = false;
  }
  while (pos < bytes.size()) {
    const std::size_t end = LineEnd(bytes, pos);
    if (end == bytes.size()) {
      Keep(bytes.substr(pos));
      return true;
    }
    const bool go = EndLine(bytes.substr(pos, end - pos));
    pos = end + 1;
    if (bytes[end] == '\r') {
      if (pos == bytes.size()) afterCr_ = true;
      else if (bytes[pos] == '\n') ++pos;
    }
    if (!go) {
      stopped_ = true;
      return false;
    }
  }
  return true;
}

void LineSplitter::Finish() {
  if (stopped_) return;
  if (!overlong_ && !partial_.empty()) stopped_ = !onLine_(partial_);
  partial_.clear();
  overlong_ = false;
}

void LineSplitter::Keep(std::string_view piece) {
  if (overlong_) return;
  if (piece.size() > maxLength_ - partial_.size()) {
    overlong_ = true;
    partial_.clear();
    return;
  }
  partial_.append(piece);
}

bool LineSplitter::EndLine(std::string_view piece) {
  if (overlong_ || piece.size() > maxLength_ - partial_.size()) {
    overlong_ = false;
    partial_.clear();
    return true;
  }
  if (partial_.empty()) return onLine_(piece);
  partial_.append(piece);
  const bool go = onLine_(partial_);
  partial_.clear();
  return go;
}

}  // namespace geoframe
