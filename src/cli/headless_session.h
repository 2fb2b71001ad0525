#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_logic.h"
#include "app/memory_toolkit.h"
#include "app/track_load.h"
#include "output/file_system.h"

namespace geoframe::cli {

// A signed clock correction as the window's fields hold it.
struct ClockOffset {
  bool subtract = false;  // the sign toggle: true subtracts the offset from the EXIF times
  int hours = 0;          // 0..23
  int minutes = 0;        // 0..59
  int seconds = 0;        // 0..59
};

// "+HH:MM:SS" or "-HH:MM:SS" (one or two digits per field) within the ranges the
// window's step buttons allow; nothing otherwise.
std::optional<ClockOffset> ParseClockOffset(std::string_view text);
// A tolerance in whole seconds, 0..600 as the window allows; nothing otherwise.
std::optional<int> ParseTolerance(std::string_view text);

// The window's logic on an in-memory toolkit, driven the way a user drives the
// window: every step goes through the same command handler, with the dialogs
// answered from the arguments and every question answered Yes.
class HeadlessSession {
 public:
  struct PhotoRow {
    std::string name;        // the row text: the file name
    std::string shownTime;   // sub-item 1
    std::string coordinate;  // sub-item 2
  };
  struct TrackRow {
    std::string text;  // 记录0001
    std::string pointTime;
    std::string coordinate;
    std::int32_t elapsedSeconds = 0;
  };

  explicit HeadlessSession(FileSystem& fileSystem = RealFileSystem());

  // Adds photos through the photo dialog (one dialog per run of paths in the same
  // folder, in the given order). Returns how many rows were added.
  int AddPhotos(const std::vector<std::string>& paths);
  // Loads a track file (NMEA or GPX) as the track dialog does, replacing a
  // loaded one, with the window's report among the messages.
  TrackLoadOutcome LoadTrack(const std::string& path);
  // Puts the correction into the sign toggle and the three fields.
  void SetClockOffset(const ClockOffset& offset);
  void SetTolerance(int seconds);
  void CorrectClock();  // the "修正时间" button
  void MatchPhotos();   // the "自动匹配坐标" button

  std::vector<PhotoRow> PhotoRows() const;
  std::vector<TrackRow> TrackRows() const;
  // The texts of the message boxes shown since the last call, lines ending in
  // "\n" instead of the window's CR LF.
  std::vector<std::string> TakeMessages();

  MemoryToolkit& toolkit() { return ui_; }
  MainLogic& logic() { return logic_; }

 private:
  MemoryToolkit ui_;
  MainLogic logic_;
  std::size_t messagesTaken_ = 0;
};

}  // namespace geoframe::cli
