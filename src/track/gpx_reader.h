#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "track/track_log.h"

namespace geoframe {

// The track of a GPX document.
struct GpxTrack {
  TrackLog log;
  // The document broke off (cut short or not well-formed) after the points of
  // log; the rest of the file was not read.
  bool damaged = false;
};

// Builds the track of a GPX document that arrives in pieces of any size: every
// trkpt with a time becomes a point as an NMEA sentence with the same values
// would (see GpxTrackPoint), in document order, at most maxPoints of them;
// routes and waypoints are not read. Damage ends the reading and keeps the
// points before it: a document that is not well-formed or cut short, bytes
// that are no UTF-8 in a UTF-8 document, and, so that neither entities expand
// nor memory grows, a reference to an entity its document type declares,
// elements nested deeper than any GPX file needs, or a single tag or text of
// more than a megabyte. UTF-16 documents are read by their byte order mark.
// The XML reader fetches nothing.
class GpxTrackReader {
 public:
  explicit GpxTrackReader(std::size_t maxPoints = kMaxTrackPoints);
  ~GpxTrackReader();
  GpxTrackReader(const GpxTrackReader&) = delete;
  GpxTrackReader& operator=(const GpxTrackReader&) = delete;

  // Takes the next bytes of the document. False once nothing more is needed:
  // the document ended, broke off or the track is truncated.
  bool Feed(std::string_view bytes);
  // The track, after the last piece; a document that has not ended by then is
  // damaged.
  GpxTrack Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace geoframe
