#include "app/match_commands.h"

#include <algorithm>  // std::min
#include <optional>

#include "timematch/date_time.h"

namespace geoframe {
namespace {

std::vector<std::int32_t> ElapsedValues(const MainLogic& logic, int points) {
  std::vector<std::int32_t> elapsed;
  elapsed.reserve(static_cast<std::size_t>(points));
  for (int n = 1; n <= points; ++n) elapsed.push_back(logic.TrackPoints(n).ElapsedSeconds);
  return elapsed;
}

// Where a matched photo is: the chosen point's coordinate and position.
struct Placement {
  std::string coordinate;
  std::optional<GeoPosition> position;
};

// The place between the two points around the photo, when it lies between two
// points within the tolerance that both carry their positions as numbers.
std::optional<Placement> PlaceBetween(const MainLogic& logic, int row, std::span<const std::int32_t> elapsed,
                                      std::int32_t tolerance) {
  const std::optional<std::int32_t> seconds = SecondsBetween(logic.TrackPoints(1).PointTime, logic.ShownTime(row));
  if (!seconds) return std::nullopt;
  const std::optional<TrackSpan> span = SpanAround(*seconds, elapsed, tolerance);
  if (!span) return std::nullopt;
  const std::optional<GeoPosition>& from = logic.TrackPoints(static_cast<int>(span->earlier) + 1).Position;
  const std::optional<GeoPosition>& to = logic.TrackPoints(static_cast<int>(span->later) + 1).Position;
  if (!from || !to) return std::nullopt;
  const GeoPosition position = Interpolate(*from, *to, span->fraction);
  return Placement{CoordinateText(position), position};
}

}  // namespace

MatchResult MatchPhotosToTrack(MainLogic& logic, std::int32_t tolerance, bool interpolate) {
  MatchResult result;
  const int rows = std::min(logic.toolkit().RowCount(ListId::Photos), kMaxPhotos);
  const int points = std::min(logic.toolkit().RowCount(ListId::Track), kMaxTrackPoints);
  if (rows == 0 || points == 0) return result;
  const std::vector<std::int32_t> elapsed = ElapsedValues(logic, points);
  for (int n = 1; n <= rows; ++n) {
    if (!logic.Photos(n).HasExifTime) continue;
    const TrackMatch match = MatchShownTime(logic.ShownTime(n), logic.TrackPoints(1).PointTime, elapsed, tolerance);
    ++result.needed;
    if (match.outcome != MatchOutcome::Matched) {
      result.photos.push_back({n, match.outcome, std::nullopt});
      logic.SetCoordinate(n, "");
      continue;
    }
    ++result.matched;
    const TrackPoint& nearest = logic.TrackPoints(static_cast<int>(match.point) + 1);
    const std::optional<Placement> between = interpolate ? PlaceBetween(logic, n, elapsed, tolerance) : std::nullopt;
    const Placement placement = between.value_or(Placement{nearest.Coordinate, nearest.Position});
    result.photos.push_back({n, match.outcome, placement.position});
    logic.SetCoordinate(n, placement.coordinate);
  }
  return result;
}

std::string MatchSummaryText(const MatchResult& result) {
  return "需要添加坐标 " + std::to_string(result.needed) + "个;\r\n自动匹配并添加坐标 " +
         std::to_string(result.matched) + "个;\r\n失败(超周期或误差) " +
         std::to_string(result.needed - result.matched) + "个!";
}

void MainLogic::wcc_Click(int index) {
  if (index < 0 || index > 3) return;
  int value = ReadWholeNumber16(toolkit_.Text(ControlId::wct)).value_or(0);
  toolkit_.SetText(ControlId::wct, std::to_string(StepTolerance(value, index)));
}

void MainLogic::cmd_plgoto_Click() {
  if (toolkit_.RowCount(ListId::Photos) == 0 || toolkit_.RowCount(ListId::Track) == 0) return;
  // The tolerance box only ever holds what its step buttons put there; should
  // it hold no number, nothing lies within it and every photo fails.
  const std::int32_t tolerance = ReadWholeNumber32(toolkit_.Text(ControlId::wct)).value_or(-1);
  const MatchResult result = MatchPhotosToTrack(*this, tolerance);
  toolkit_.ShowMessage(MatchSummaryText(result), MessageButtons::Ok, MessageIcon::Information);
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
