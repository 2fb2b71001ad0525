#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/photo_record.h"
#include "app/toolkit.h"
#include "output/file_system.h"
#include "track/track_point.h"

namespace geoframe {

// The main window's working state and command handlers, written against the
// Toolkit so that every handler runs without a screen. The toolkit calls a
// handler after the control's own state has changed (a check box's new value is
// already set when its _Click handler runs).
class MainLogic {
 public:
  explicit MainLogic(Toolkit& toolkit, FileSystem& fileSystem = RealFileSystem());

  // Entries 1..999; entries above the row count are blank.
  PhotoRecord& Photos(int index) { return photos_.at(static_cast<std::size_t>(index)); }
  const PhotoRecord& Photos(int index) const { return photos_.at(static_cast<std::size_t>(index)); }
  // Entries 1..1999; entries above the track list's row count are empty.
  TrackPoint& TrackPoints(int index) { return trackPoints_.at(static_cast<std::size_t>(index)); }
  const TrackPoint& TrackPoints(int index) const { return trackPoints_.at(static_cast<std::size_t>(index)); }

  // A photo row's shown time (its EXIF time, corrected by the clock) and its
  // coordinate text (empty when it has none).
  std::string ShownTime(int row) const { return toolkit_.SubItem(ListId::Photos, row, Column::Time); }
  void SetShownTime(int row, const std::string& time) { toolkit_.SetSubItem(ListId::Photos, row, Column::Time, time); }
  std::string Coordinate(int row) const { return toolkit_.SubItem(ListId::Photos, row, Column::Coordinate); }
  void SetCoordinate(int row, const std::string& coordinate) {
    toolkit_.SetSubItem(ListId::Photos, row, Column::Coordinate, coordinate);
  }

  // The progress strip: caption, items done, items in all; an empty caption hides it.
  void ShowProgress(const std::string& caption, std::int32_t current, std::int32_t total);

  // Photo list.
  void cmd_add_Click();
  // Adds the photos at these paths exactly as 加入... adds chosen files (the
  // photos named on the command line, or dropped on the list).
  void AddPhotos(const std::vector<std::string>& paths);
  void cmd_del_Click();
  void cmd_clear_Click();
  void ListView_ItemClick(int row);
  // The photo list's selection changed, however it happened (a click, the
  // arrow keys, Home/End, a removal): the preview shows the selected photo,
  // the one 执行 acts on, or nothing when no photo is selected.
  void ListView_SelectionChanged();

  // Track.
  void cmd_addname_Click();
  void cmd_clearname_Click();

  // Camera clock correction.
  void tz_f_Click();
  void tzc_Click(int index);
  void cmd_tedit_Click();

  // Coordinates.
  void wcc_Click(int index);
  void cmd_plgoto_Click();
  void cmd_hdaddpl_Click();
  void cmd_clrnowpl_Click();
  void cmd_plclr_Click();

  // Output.
  void Ck_reanme_Click();
  void Ck_frame_Click();
  void cmd_make_Click();
  void cmd_allmake_Click();

  Toolkit& toolkit() { return toolkit_; }
  FileSystem& fileSystem() { return fileSystem_; }

 private:
  Toolkit& toolkit_;
  FileSystem& fileSystem_;
  std::array<PhotoRecord, kMaxPhotos + 1> photos_{};  // index 0 unused
  std::array<TrackPoint, kMaxTrackPoints + 1> trackPoints_{};  // index 0 unused
};

}  // namespace geoframe
