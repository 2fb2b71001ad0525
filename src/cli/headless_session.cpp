#include "cli/headless_session.h"

#include <filesystem>

#include "track/track_log.h"

namespace geoframe::cli {
namespace {

// The folder (with its trailing "/") and the name of a path, made absolute so
// that the records name the file wherever the program runs.
std::pair<std::string, std::string> FolderAndName(const std::string& path) {
  std::filesystem::path absolute = std::filesystem::absolute(path).lexically_normal();
  return {absolute.parent_path().string() + "/", absolute.filename().string()};
}

std::string WithUnixLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

}  // namespace

HeadlessSession::HeadlessSession(FileSystem& fileSystem) : ui_(false), logic_(ui_, fileSystem) {}

std::vector<HeadlessSession::NotAdded> HeadlessSession::AddPhotos(const std::vector<std::string>& paths) {
  const IntakeResult result = AddPhotoPaths(logic_, paths);
  ui_.ShowMessage(IntakeSummary(result, ui_.RowCount(ListId::Photos)), MessageButtons::Ok, MessageIcon::Information);
  std::vector<NotAdded> notAdded;
  for (const LeftOutFile& file : result.leftOut) notAdded.push_back({paths[file.index], file.reason});
  return notAdded;
}

TrackLoadOutcome HeadlessSession::LoadTrack(const std::string& path) {
  // The steps of the track button after Yes to its reload question and the
  // dialog's answer, with the outcome kept.
  auto [folder, name] = FolderAndName(path);
  if (ui_.RowCount(ListId::Track) > 0) ClearTrack(logic_);
  TrackLoadOutcome outcome = geoframe::LoadTrack(logic_, folder + name);
  ShowTrackLoadReport(ui_, outcome);
  return outcome;
}

ClockCorrectionResult HeadlessSession::CorrectClock(const ClockOffset& offset) {
  const ClockCorrectionResult result = CorrectPhotoTimes(logic_, offset);
  if (ui_.RowCount(ListId::Photos) > 0 && !result.restored) {
    ui_.ShowMessage(ClockCorrectionText(result), MessageButtons::Ok, MessageIcon::Information);
  }
  return result;
}

MatchResult HeadlessSession::MatchPhotos(int tolerance, bool interpolate) {
  const MatchResult result = MatchPhotosToTrack(logic_, tolerance, interpolate);
  if (ui_.RowCount(ListId::Photos) > 0 && ui_.RowCount(ListId::Track) > 0) {
    ui_.ShowMessage(MatchSummaryText(result), MessageButtons::Ok, MessageIcon::Information);
  }
  return result;
}

std::vector<HeadlessSession::PhotoRow> HeadlessSession::PhotoRows() const {
  std::vector<PhotoRow> rows;
  for (int n = 1; n <= ui_.RowCount(ListId::Photos); ++n) {
    rows.push_back(PhotoRow{ui_.RowText(ListId::Photos, n), logic_.ShownTime(n),
                            logic_.Coordinate(n)});
  }
  return rows;
}

std::vector<HeadlessSession::TrackRow> HeadlessSession::TrackRows() const {
  std::vector<TrackRow> rows;
  for (int n = 1; n <= ui_.RowCount(ListId::Track); ++n) {
    rows.push_back(TrackRow{ui_.RowText(ListId::Track, n), ui_.SubItem(ListId::Track, n, Column::Time),
                            ui_.SubItem(ListId::Track, n, Column::Coordinate), logic_.TrackPoints(n).ElapsedSeconds});
  }
  return rows;
}

std::vector<std::string> HeadlessSession::TakeMessages() {
  std::vector<std::string> texts;
  const auto& shown = ui_.messages();
  for (; messagesTaken_ < shown.size(); ++messagesTaken_) texts.push_back(WithUnixLineEnds(shown[messagesTaken_].text));
  return texts;
}

std::optional<std::string> TrackFailure(const TrackLoadOutcome& outcome) {
  if (outcome.result != TrackLoadResult::Loaded) return "no such file or not readable";
  if (outcome.count == 0) return "no track point in it";
  return std::nullopt;
}

}  // namespace geoframe::cli
