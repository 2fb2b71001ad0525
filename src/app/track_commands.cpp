#include <algorithm>  // std::min
#include <optional>
#include <string>

#include "app/main_logic.h"
#include "track/track_log.h"

namespace geoframe {
namespace {

// Empties the track table entries in use, the track list and its caption.
void ClearTrack(MainLogic& logic) {
  Toolkit& ui = logic.toolkit();
  int rows = std::min(ui.RowCount(ListId::Track), kMaxTrackPoints);
  for (int n = 1; n <= rows; ++n) logic.TrackPoints(n) = TrackPoint{};
  ui.ClearRows(ListId::Track);
  ui.SetText(ControlId::Gps_box, TrackBoxCaption({}));
}

// The path the user chose in the track dialog, or nothing on Cancel.
std::optional<std::string> ChooseTrackFile(Toolkit& ui) {
  OpenFileRequest request{"打开轨迹路径文件...", "NAME文件(*.txt)", {"*.txt", "*.name"}, false};
  std::optional<ChosenFiles> chosen = ui.ShowOpenFile(request);
  if (!chosen || chosen->names.empty() || chosen->names.front().empty()) return std::nullopt;
  return chosen->folder + chosen->names.front();
}

void ShowTrack(MainLogic& logic, const TrackLog& log) {
  Toolkit& ui = logic.toolkit();
  for (const TrackPoint& point : log.points) {
    int n = ui.RowCount(ListId::Track) + 1;
    ui.AppendRow(ListId::Track, TrackRowText(n), 0);
    ui.SetSubItem(ListId::Track, n, Column::Time, point.PointTime);
    ui.SetSubItem(ListId::Track, n, Column::Coordinate, point.Coordinate);
    logic.TrackPoints(n) = point;
  }
  ui.SetText(ControlId::Gps_box, TrackBoxCaption(log.points));
}

}  // namespace

void MainLogic::cmd_addname_Click() {
  if (toolkit_.RowCount(ListId::Track) > 0) {
    Answer answer = toolkit_.ShowMessage("路径文件不为空,是否重新加载路径文件?", MessageButtons::YesNo,
                                         MessageIcon::Information);
    if (answer == Answer::No) return;
    ClearTrack(*this);
  }
  std::optional<std::string> path = ChooseTrackFile(toolkit_);
  if (!path || !fileSystem_.FileExists(*path)) return;
  std::optional<std::string> bytes = ReadTrackFile(*path);
  if (!bytes) {
    toolkit_.ShowMessage(TrackUnreadableMessage(*path), MessageButtons::Ok, MessageIcon::Information);
    return;
  }
  // The log is capped at the table's size, so rows and entries stay one to one.
  TrackLog log = ParseTrackLog(*bytes, kMaxTrackPoints);
  ShowTrack(*this, log);
  toolkit_.ShowMessage(TrackLoadedMessage(log.points.size(), log.truncated), MessageButtons::Ok,
                       MessageIcon::Information);
}

void MainLogic::cmd_clearname_Click() {
  if (toolkit_.RowCount(ListId::Track) == 0) return;
  if (toolkit_.ShowMessage("确定移除路径文件?", MessageButtons::YesNo, MessageIcon::Information) == Answer::No) {
    return;
  }
  ClearTrack(*this);
}

}  // namespace geoframe
