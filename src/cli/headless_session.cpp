#include "cli/headless_session.h"

#include <filesystem>

#include "timematch/clock_correction.h"

namespace geoframe::cli {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One or two digits within 0..maximum.
std::optional<int> ReadField(std::string_view text, int maximum) {
  if (text.empty() || text.size() > 2 || !IsDigit(text[0]) || (text.size() == 2 && !IsDigit(text[1]))) {
    return std::nullopt;
  }
  int value = text[0] - '0';
  if (text.size() == 2) value = value * 10 + (text[1] - '0');
  if (value > maximum) return std::nullopt;
  return value;
}

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

std::optional<ClockOffset> ParseClockOffset(std::string_view text) {
  if (text.empty() || (text[0] != '+' && text[0] != '-')) return std::nullopt;
  ClockOffset offset;
  offset.subtract = text[0] == '-';
  text.remove_prefix(1);
  std::size_t first = text.find(':');
  std::size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  std::optional<int> h = ReadField(text.substr(0, first), 23);
  std::optional<int> m = ReadField(text.substr(first + 1, second - first - 1), 59);
  std::optional<int> s = ReadField(text.substr(second + 1), 59);
  if (!h || !m || !s) return std::nullopt;
  offset.hours = *h;
  offset.minutes = *m;
  offset.seconds = *s;
  return offset;
}

std::optional<int> ParseTolerance(std::string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > 600) return std::nullopt;
  return value;
}

HeadlessSession::HeadlessSession(FileSystem& fileSystem) : logic_(ui_, fileSystem) {}

int HeadlessSession::AddPhotos(const std::vector<std::string>& paths) {
  int before = ui_.RowCount(ListId::Photos);
  std::size_t i = 0;
  while (i < paths.size()) {
    ChosenFiles chosen;
    chosen.folder = FolderAndName(paths[i]).first;
    for (; i < paths.size(); ++i) {
      auto [folder, name] = FolderAndName(paths[i]);
      if (folder != chosen.folder) break;
      chosen.names.push_back(name);
    }
    ui_.QueueOpenFile(std::move(chosen));
    logic_.cmd_add_Click();
  }
  return ui_.RowCount(ListId::Photos) - before;
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

void HeadlessSession::SetClockOffset(const ClockOffset& offset) {
  ui_.SetChecked(ControlId::tz_f, offset.subtract);
  logic_.tz_f_Click();
  ui_.SetText(ControlId::tzt_0, ClockFieldText(offset.hours));
  ui_.SetText(ControlId::tzt_1, ClockFieldText(offset.minutes));
  ui_.SetText(ControlId::tzt_2, ClockFieldText(offset.seconds));
}

void HeadlessSession::SetTolerance(int seconds) { ui_.SetText(ControlId::wct, std::to_string(seconds)); }

void HeadlessSession::CorrectClock() { logic_.cmd_tedit_Click(); }

void HeadlessSession::MatchPhotos() { logic_.cmd_plgoto_Click(); }

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

}  // namespace geoframe::cli
