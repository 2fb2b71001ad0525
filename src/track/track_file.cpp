#include "track/track_file.h"

#include <cstdint>
#include <optional>
#include <span>
#include <utility>  // std::move
#include <vector>

#include "io/read_file.h"
#include "track/gpx_reader.h"
#include "track/xml_bytes.h"

namespace geoframe {

namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;  // also how much of the start is looked at for GPX

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The text after a "<?...?>" or "<!--...-->" at its start, or nothing when the
// text does not start with a whole one.
std::optional<std::string_view> AfterCommentOrInstruction(std::string_view text) {
  std::string_view end;
  if (text.starts_with("<?")) end = "?>";
  else if (text.starts_with("<!--")) end = "-->";
  else return std::nullopt;
  const std::size_t at = text.find(end, 2);
  if (at == std::string_view::npos) return std::nullopt;
  return text.substr(at + end.size());
}

// The text after a "<!DOCTYPE ...>" at its start, or nothing when the text does
// not start with a whole one. Its end is the first ">" outside quotes and
// outside the internal subset's brackets; comments and processing
// instructions in the subset are passed over whole, as they may hold anything.
std::optional<std::string_view> AfterDocumentType(std::string_view text) {
  constexpr std::string_view kStart = "<!DOCTYPE";
  if (!text.starts_with(kStart)) return std::nullopt;
  bool inSubset = false;
  for (std::size_t at = kStart.size(); at < text.size();) {
    const std::string_view rest = text.substr(at);
    const char c = rest.front();
    if (c == '"' || c == '\'') {
      const std::size_t close = rest.find(c, 1);
      if (close == std::string_view::npos) return std::nullopt;
      at += close + 1;
    } else if (inSubset && (rest.starts_with("<!--") || rest.starts_with("<?"))) {
      const std::optional<std::string_view> after = AfterCommentOrInstruction(rest);
      if (!after) return std::nullopt;
      at = text.size() - after->size();
    } else if (c == '>' && !inSubset) {
      return rest.substr(1);
    } else {
      if (c == '[') inSubset = true;
      if (c == ']') inSubset = false;
      ++at;
    }
  }
  return std::nullopt;
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

// "<gpx" or "<prefix:gpx" followed by the end of the name.
bool IsGpxStartTag(std::string_view text) {
  if (!text.starts_with('<')) return false;
  std::size_t nameEnd = 1;
  while (nameEnd < text.size() && (IsNameChar(text[nameEnd]) || text[nameEnd] == ':')) ++nameEnd;
  std::string_view name = text.substr(1, nameEnd - 1);
  if (const std::size_t colon = name.rfind(':'); colon != std::string_view::npos) name.remove_prefix(colon + 1);
  if (name != "gpx" || nameEnd == text.size()) return false;
  const char next = text[nameEnd];
  return IsBlank(next) || next == '>' || next == '/';
}

// Reads until the buffer is full or the file ends; the number of bytes read.
std::size_t Fill(const OpenFile& file, std::span<std::uint8_t> buffer) {
  std::size_t filled = 0;
  while (filled < buffer.size()) {
    const std::size_t got = ReadSome(file, buffer.subspan(filled));
    if (got == 0) break;
    filled += got;
  }
  return filled;
}

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Feeds the reader the bytes already read and then the rest of the file, piece
// by piece, until the reader needs no more.
template <typename Reader>
void Stream(const OpenFile& file, std::vector<std::uint8_t>& buffer, std::size_t first, Reader& reader) {
  bool more = reader.Feed(AsText(std::span(buffer).first(first)));
  while (more) {
    const std::size_t got = ReadSome(file, buffer);
    if (got == 0) break;
    more = reader.Feed(AsText(std::span(buffer).first(got)));
  }
}

}  // namespace

bool LooksLikeGpx(std::string_view head) {
  const std::string markup = MarkupText(head);
  std::string_view text = markup;
  for (;;) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    std::optional<std::string_view> rest = AfterCommentOrInstruction(text);
    if (!rest) rest = AfterDocumentType(text);
    if (!rest) return IsGpxStartTag(text);
    text = *rest;
  }
}

TrackFileContents ReadTrackFile(const std::string& path, std::size_t maxPoints) {
  const OpenFile file = OpenRegularFile(path);
  std::vector<std::uint8_t> buffer(kChunkBytes);
  const std::size_t first = Fill(file, buffer);
  if (LooksLikeGpx(AsText(std::span(buffer).first(first)))) {
    GpxTrackReader reader(maxPoints);
    Stream(file, buffer, first, reader);
    GpxTrack track = reader.Finish();
    return {std::move(track.log), track.damaged};
  }
  NmeaTrackReader reader(maxPoints);
  Stream(file, buffer, first, reader);
  return {reader.Finish(), false};
}

}  // namespace geoframe
