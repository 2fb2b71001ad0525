#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "track/track_point.h"

namespace geoframe {

// The usable points of a track log in file order, each with its seconds since
// the first point.
struct TrackLog {
  std::vector<TrackPoint> points;
  // True when a further usable line came after the last point kept: the log
  // holds more points than the track list can take.
  bool truncated = false;
};

// Calls onLine for every line of the text. CR LF, a lone CR and a lone LF all end
// a line (logs written on Linux and macOS end lines in LF alone); the last line
// counts without a terminator. Bytes are passed on unchanged.
template <typename OnLine>
void ForEachLine(std::string_view text, OnLine onLine) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      onLine(text.substr(start));
      return;
    }
    onLine(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
}

// The points of a whole log text (bytes as read from the file), at most
// maxPoints of them. A line whose time is so far from the first point's that the
// seconds between them do not fit 32 bits gives no point.
TrackLog ParseTrackLog(std::string_view text, std::size_t maxPoints = kMaxTrackPoints);

// The bytes of the file, or nothing when it cannot be opened or read to its end.
std::optional<std::string> ReadTrackFile(const std::string& path);

// Texts of the track list and its messages.
std::string TrackRowText(int row);  // "记录0001"
std::string TrackBoxCaption(const std::vector<TrackPoint>& points);
std::string TrackLoadedMessage(std::size_t count, bool truncated);
// How the report of every load that read its file begins.
inline constexpr std::string_view kTrackLoadedLead = "共成功加载路径轨迹点 ";
std::string TrackUnreadableMessage(const std::string& path);

}  // namespace geoframe
