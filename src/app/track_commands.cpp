#include <optional>
#include <string>

#include "app/main_logic.h"
#include "app/track_load.h"

namespace geoframe {
namespace {

// What the user chose in the track dialog, nothing on Cancel. NMEA logs come
// first and selected, as they always have; GPX files are recognised by their
// content, whatever the filter.
std::optional<ChosenFiles> ChooseTrackFile(Toolkit& ui) {
  OpenFileRequest request{"打开轨迹路径文件...",
                          {{"NAME文件(*.txt)", {"*.txt", "*.name"}}, {"GPX文件(*.gpx)", {"*.gpx"}}, {"所有文件(*)", {"*"}}},
                          false};
  return ui.ShowOpenFile(request);
}

}  // namespace

void MainLogic::cmd_addname_Click() {
  if (toolkit_.RowCount(ListId::Track) > 0) {
    Answer answer = toolkit_.ShowMessage("路径文件不为空,是否重新加载路径文件?", MessageButtons::YesNo,
                                         MessageIcon::Information);
    if (answer == Answer::No) return;
  }
  // The loaded track goes only once another file is chosen: Cancel changes nothing.
  const std::optional<ChosenFiles> chosen = ChooseTrackFile(toolkit_);
  if (!chosen) return;
  const bool named = !chosen->names.empty() && !chosen->names.front().empty();
  if (!named && chosen->unrepresentable.empty()) return;
  ClearTrack(*this);
  if (!chosen->unrepresentable.empty()) {
    TrackLoadOutcome outcome;
    outcome.result = TrackLoadResult::Unrepresentable;
    outcome.path = chosen->unrepresentable.front();
    ShowTrackLoadReport(toolkit_, outcome);
    return;
  }
  ShowTrackLoadReport(toolkit_, LoadTrack(*this, chosen->folder + chosen->names.front()));
}

void MainLogic::cmd_clearname_Click() {
  if (toolkit_.RowCount(ListId::Track) == 0) return;
  if (toolkit_.ShowMessage("确定移除路径文件?", MessageButtons::YesNo, MessageIcon::Information) == Answer::No) {
    return;
  }
  ClearTrack(*this);
}

}  // namespace geoframe
