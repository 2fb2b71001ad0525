#include <algorithm>  // std::min
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/main_logic.h"
#include "timematch/date_time.h"
#include "timematch/matching.h"

namespace geoframe {
namespace {

std::vector<std::int32_t> ElapsedValues(const MainLogic& logic, int points) {
  std::vector<std::int32_t> elapsed;
  elapsed.reserve(static_cast<std::size_t>(points));
  for (int n = 1; n <= points; ++n) elapsed.push_back(logic.TrackPoints(n).ElapsedSeconds);
  return elapsed;
}

// The coordinate row n gets, or the empty text when the photo failed.
std::string CoordinateFor(MainLogic& logic, int n, const std::vector<std::int32_t>& elapsed) {
  Toolkit& ui = logic.toolkit();
  // Read again for every photo, as the window does.
  std::optional<std::int32_t> tolerance = ReadWholeNumber32(ui.Text(ControlId::wct));
  if (!tolerance) return {};
  TrackMatch match =
      MatchShownTime(logic.ShownTime(n), logic.TrackPoints(1).PointTime, elapsed, *tolerance);
  if (match.outcome != MatchOutcome::Matched) return {};
  return logic.TrackPoints(static_cast<int>(match.point) + 1).Coordinate;
}

}  // namespace

void MainLogic::wcc_Click(int index) {
  if (index < 0 || index > 3) return;
  int value = ReadWholeNumber16(toolkit_.Text(ControlId::wct)).value_or(0);
  toolkit_.SetText(ControlId::wct, std::to_string(StepTolerance(value, index)));
}

void MainLogic::cmd_plgoto_Click() {
  int rows = std::min(toolkit_.RowCount(ListId::Photos), kMaxPhotos);
  int points = std::min(toolkit_.RowCount(ListId::Track), kMaxTrackPoints);
  if (rows == 0 || points == 0) return;
  std::vector<std::int32_t> elapsed = ElapsedValues(*this, points);
  int needed = 0;
  int matched = 0;
  for (int n = 1; n <= rows; ++n) {
    if (!Photos(n).HasExifTime) continue;
    ++needed;
    // A failed photo loses any coordinate it had, also one given by hand.
    std::string coordinate = CoordinateFor(*this, n, elapsed);
    if (!coordinate.empty()) ++matched;
    SetCoordinate(n, coordinate);
  }
  toolkit_.ShowMessage(MatchSummaryMessage(needed, matched), MessageButtons::Ok, MessageIcon::Information);
}

void MainLogic::cmd_hdaddpl_Click() {
  if (toolkit_.RowCount(ListId::Photos) == 0 || toolkit_.RowCount(ListId::Track) == 0) return;
  int point = toolkit_.SelectedRow(ListId::Track);
  int photo = toolkit_.SelectedRow(ListId::Photos);
  if (point == 0 || photo == 0 || photo > kMaxPhotos) return;
  if (!Photos(photo).HasExifTime) return;
  SetCoordinate(photo, toolkit_.SubItem(ListId::Track, point, Column::Coordinate));
}

void MainLogic::cmd_clrnowpl_Click() {
  if (toolkit_.RowCount(ListId::Photos) == 0) return;
  int photo = toolkit_.SelectedRow(ListId::Photos);
  if (photo == 0 || Coordinate(photo).empty()) return;
  SetCoordinate(photo, "");
}

void MainLogic::cmd_plclr_Click() {
  int rows = toolkit_.RowCount(ListId::Photos);
  for (int n = 1; n <= rows; ++n) {
    if (!Coordinate(n).empty()) SetCoordinate(n, "");
  }
}

}  // namespace geoframe
