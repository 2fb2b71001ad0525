#include <optional>
#include <string>

#include "app/main_logic.h"
#include "app/track_load.h"

namespace geoframe {
namespace {

// The path the user chose in the track dialog, or nothing on Cancel. NMEA logs
// come first and selected, as they always have; GPX files are recognised by
// their content, whatever the filter.
std::optional<std::string> ChooseTrackFile(Toolkit& ui) {
  OpenFileRequest request{"打开轨迹路径文件...",
                          {{"NAME文件(*.txt)", {"*.txt", "*.name"}}, {"GPX文件(*.gpx)", {"*.gpx"}}, {"所有文件(*)", {"*"}}},
                          false};
  std::optional<ChosenFiles> chosen = ui.ShowOpenFile(request);
  if (!chosen || chosen->names.empty() || chosen->names.front().empty()) return std::nullopt;
  return chosen->folder + chosen->names.front();
}

}  // namespace

void MainLogic::cmd_addname_Click() {
  if (toolkit_.RowCount(ListId::Track) > 0) {
    Answer answer = toolkit_.ShowMessage("路径文件不为空,是否重新加载路径文件?", MessageButtons::YesNo,
                                         MessageIcon::Information);
    if (answer == Answer::No) return;
  }
  // The loaded track goes only once another file is chosen: Cancel changes nothing.
  std::optional<std::string> path = ChooseTrackFile(toolkit_);
  if (!path) return;
  ClearTrack(*this);
  ShowTrackLoadReport(toolkit_, LoadTrack(*this, *path));
}

void MainLogic::cmd_clearname_Click() {
  if (toolkit_.RowCount(ListId::Track) == 0) return;
  if (toolkit_.ShowMessage("确定移除路径文件?", MessageButtons::YesNo, MessageIcon::Information) == Answer::No) {
    return;
  }
  ClearTrack(*this);
}

}  // namespace geoframe
