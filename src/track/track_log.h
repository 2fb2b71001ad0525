#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "track/line_splitter.h"
#include "track/track_point.h"

namespace geoframe {

// The usable points of a track log in file order, each with its seconds since
// the first point.
struct TrackLog {
  std::vector<TrackPoint> points;
  // True when a further usable point came after the last point kept: the log
  // holds more points than the track list can take.
  bool truncated = false;
};

// Appends the point with its seconds since the log's first point. A point so
// far from the first one that the seconds between them do not fit 32 bits is
// left out. A usable point beyond maxPoints marks the log truncated instead.
// False once the log is truncated: reading further would change nothing.
bool AddTrackPoint(TrackLog& log, TrackPoint point, std::size_t maxPoints);

// The longest line read as a possible sentence. NMEA sentences are at most 82
// characters; logs carry comment lines and vendor sentences somewhat longer.
inline constexpr std::size_t kMaxLogLineLength = 4096;

// Builds the track of an NMEA log that arrives in pieces of any size, at most
// maxPoints points. Lines longer than kMaxLogLineLength give no point and are
// never held whole, so memory stays small for any log.
class NmeaTrackReader {
 public:
  explicit NmeaTrackReader(std::size_t maxPoints = kMaxTrackPoints);
  NmeaTrackReader(const NmeaTrackReader&) = delete;  // the line splitter calls back into this object
  NmeaTrackReader& operator=(const NmeaTrackReader&) = delete;

  // Takes the next bytes of the log. False once the log is truncated: the rest
  // of the file need not be read.
  bool Feed(std::string_view bytes);
  // The track, after the last piece (a last line without terminator counts).
  TrackLog Finish();

 private:
  bool TakeLine(std::string_view line);

  std::size_t maxPoints_;
  TrackLog log_;
  LineSplitter lines_;
};

// The points of a whole log text (bytes as read from the file).
TrackLog ParseTrackLog(std::string_view text, std::size_t maxPoints = kMaxTrackPoints);

}  // namespace geoframe
