#include "app/track_load.h"

#include <algorithm>  // std::min
#include <cerrno>

#include "app/main_logic.h"
#include "app/track_texts.h"
#include "io/read_file.h"
#include "track/track_file.h"

namespace geoframe {

namespace {

// Whether the path names nothing the user could mean: no file, or a regular
// file the file system does not count (a hidden one, which the dialog does not
// offer). A folder, FIFO or device by the name is not missing: reading refuses
// it with its reason. Throws FileError when the look fails (no right to a
// folder on the way, a loop of links), so that the reason is told.
bool IsMissing(const FileSystem& fileSystem, const std::string& path) {
  if (fileSystem.FileExists(path)) return false;
  const std::optional<FileStatus> status = fileSystem.Status(path);
  return !status || status->kind == FileKind::Regular;
}

void ShowPoints(MainLogic& logic, const TrackLog& log) {
  Toolkit& ui = logic.toolkit();
  for (const TrackPoint& point : log.points) {
    const int n = ui.RowCount(ListId::Track) + 1;
    ui.AppendRow(ListId::Track, TrackRowText(n), 0);
    ui.SetSubItem(ListId::Track, n, Column::Time, point.PointTime);
    ui.SetSubItem(ListId::Track, n, Column::Coordinate, point.Coordinate);
    logic.TrackPoints(n) = point;
  }
  ui.SetText(ControlId::Gps_box, TrackBoxCaption(log.points));
}

}  // namespace

void ClearTrack(MainLogic& logic) {
  Toolkit& ui = logic.toolkit();
  const int rows = std::min(ui.RowCount(ListId::Track), kMaxTrackPoints);
  for (int n = 1; n <= rows; ++n) logic.TrackPoints(n) = TrackPoint{};
  ui.ClearRows(ListId::Track);
  ui.SetText(ControlId::Gps_box, TrackBoxCaption({}));
}

TrackLoadOutcome LoadTrack(MainLogic& logic, const std::string& path) {
  TrackLoadOutcome outcome;
  outcome.path = path;
  try {
    if (IsMissing(logic.fileSystem(), path)) return outcome;
    // Capped at the table's size, so rows and entries stay one to one.
    const TrackFileContents contents = ReadTrackFile(path, kMaxTrackPoints);
    ShowPoints(logic, contents.log);
    outcome.result = TrackLoadResult::Loaded;
    outcome.count = contents.log.points.size();
    outcome.truncated = contents.log.truncated;
    outcome.damaged = contents.damaged;
  } catch (const FileError& error) {
    // Gone since the look above: as if it had never been there.
    if (error.kind() == FileErrorKind::System && error.errnum() == ENOENT) return outcome;
    outcome.result = TrackLoadResult::Unreadable;
    outcome.error = error;
  }
  return outcome;
}

void ShowTrackLoadReport(Toolkit& ui, const TrackLoadOutcome& outcome) {
  if (outcome.result == TrackLoadResult::Missing) return;
  ui.ShowMessage(TrackLoadText(outcome), MessageButtons::Ok, MessageIcon::Information);
}

}  // namespace geoframe
