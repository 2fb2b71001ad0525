#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "io/file_error.h"

namespace geoframe {

class MainLogic;
class Toolkit;

// What became of a track file the user chose.
enum class TrackLoadResult {
  Missing,     // no such file, or a hidden one: the window says nothing
  Unreadable,  // it could not be opened or read: error says why
  Unrepresentable,  // the dialog could not give its name (not UTF-8): nothing read
  Loaded,      // read (a GPX document possibly only up to damage)
};

struct TrackLoadOutcome {
  TrackLoadResult result = TrackLoadResult::Missing;
  std::string path;
  std::size_t count = 0;   // points now in the track table and list
  bool truncated = false;  // usable points followed the last one the table holds
  bool damaged = false;    // a GPX document broke off after these points
  std::optional<FileError> error;  // set for Unreadable
};

// Empties the track table entries in use, the track list and its caption.
void ClearTrack(MainLogic& logic);

// Reads the track file at path (NMEA or GPX) into the track table, the track
// list and its caption, which are expected empty, and says what happened.
// Nothing is shown; ShowTrackLoadReport does that.
TrackLoadOutcome LoadTrack(MainLogic& logic, const std::string& path);

// The message box the window shows after a load; none for a missing file.
void ShowTrackLoadReport(Toolkit& ui, const TrackLoadOutcome& outcome);

}  // namespace geoframe
