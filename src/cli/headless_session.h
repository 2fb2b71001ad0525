#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/clock_commands.h"
#include "app/main_logic.h"
#include "app/match_commands.h"
#include "app/memory_toolkit.h"
#include "app/photo_intake.h"
#include "app/track_load.h"
#include "output/file_system.h"

namespace geoframe::cli {

// The window's logic on an in-memory toolkit: each step calls the same function
// the window's command handler calls and gets its outcome, and the message the
// window would show is recorded (see TakeMessages).
class HeadlessSession {
 public:
  struct PhotoRow {
    std::string name;        // the row text: the file name
    std::string shownTime;   // sub-item 1
    std::string coordinate;  // sub-item 2
  };
  // A given photo that got no row.
  struct NotAdded {
    std::string path;  // as given
    LeftOutReason reason;
  };
  struct TrackRow {
    std::string text;  // the row text: the record number, four digits after its caption
    std::string pointTime;
    std::string coordinate;
    std::int32_t elapsedSeconds = 0;
  };

  explicit HeadlessSession(FileSystem& fileSystem = RealFileSystem());

  // Adds photos as the photo dialog would, in the given order. Returns the
  // given paths that got no row.
  std::vector<NotAdded> AddPhotos(const std::vector<std::string>& paths);
  // Loads a track file (NMEA or GPX) as the track dialog does, replacing a
  // loaded one, with the window's report among the messages.
  TrackLoadOutcome LoadTrack(const std::string& path);
  // The clock correction button (cmd_tedit) with that correction.
  ClockCorrectionResult CorrectClock(const ClockOffset& offset);
  // The matching button (cmd_plgoto) with that tolerance (0..600 seconds),
  // optionally interpolating between track points, which the window does not.
  MatchResult MatchPhotos(int tolerance, bool interpolate = false);

  std::vector<PhotoRow> PhotoRows() const;
  std::vector<TrackRow> TrackRows() const;
  // The texts of the message boxes shown since the last call, lines ending in
  // "\n" instead of the window's CR LF.
  std::vector<std::string> TakeMessages();

  MemoryToolkit& toolkit() { return ui_; }
  MainLogic& logic() { return logic_; }

 private:
  MemoryToolkit ui_;  // shows no pictures: nobody would see them
  MainLogic logic_;
  std::size_t messagesTaken_ = 0;
};

// Why a track loaded to give photos their positions can give none, for the
// command's error line: the file is missing or unreadable, or it holds no
// usable point (a photo given as the track, a log without a fix). Nothing when
// it gave points.
std::optional<std::string> TrackFailure(const TrackLoadOutcome& outcome);

}  // namespace geoframe::cli
