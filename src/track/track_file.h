#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "track/track_log.h"

namespace geoframe {

// True when the text begins a GPX document: after an optional byte order mark
// (UTF-8, or UTF-16 in either byte order), blanks, the XML declaration
// whatever encoding it names, processing instructions, comments and a document
// type declaration, the root element is gpx (with or without a namespace
// prefix).
bool LooksLikeGpx(std::string_view head);

// What a track file held.
struct TrackFileContents {
  TrackLog log;
  bool damaged = false;  // a GPX document broke off after the points of log
};

// The track of a file: a GPX document when its content is one (see
// LooksLikeGpx), whatever its name, otherwise an NMEA log. Read through the
// file layer in pieces, and only as far as needed; a folder, FIFO or device is
// refused without waiting on it. Throws FileError when the file cannot be
// opened or read.
TrackFileContents ReadTrackFile(const std::string& path, std::size_t maxPoints = kMaxTrackPoints);

}  // namespace geoframe
