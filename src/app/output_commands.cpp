#include "app/output_commands.h"

#include <algorithm>  // count_if
#include <string>

#include "app/output_texts.h"
#include "output/batch.h"

namespace geoframe {

namespace {

constexpr const char* kBatchCaption = "批量编辑 ";

OutputOptions ReadOptions(const Toolkit& ui) {
  OutputOptions options;
  options.backup = ui.Checked(ControlId::Ck_backup);
  options.rename = ui.Checked(ControlId::Ck_reanme);
  options.renameByTime = ui.Checked(ControlId::Op_time);
  options.prefix = ui.Text(ControlId::incre_txt);
  options.frame = ui.Checked(ControlId::Ck_frame);
  options.comment = ui.Text(ControlId::frame_txt);
  options.withCoordinate = ui.Checked(ControlId::Ck_gps);
  options.withTime = ui.Checked(ControlId::Ck_time);
  return options;
}

PhotoInput ReadPhoto(MainLogic& logic, int row, const ExifRequest& exif = {}) {
  const PhotoRecord& record = logic.Photos(row);
  const auto position = exif.positions.find(row);
  return {row,
          record.FolderPath,
          record.FileName,
          record.HasExifTime,
          logic.ShownTime(row),
          logic.Coordinate(row),
          position == exif.positions.end() ? std::nullopt : std::optional<GeoPosition>(position->second)};
}

// Only the name changes: the record's other fields and the row's time,
// coordinate and icon stay.
void ApplyOutcome(MainLogic& logic, int row, const PhotoOutcome& outcome) {
  PhotoRecord& record = logic.Photos(row);
  if (outcome.fileName == record.FileName) return;
  record.FileName = outcome.fileName;
  logic.toolkit().SetRowText(ListId::Photos, row, outcome.fileName);
}

void Report(Toolkit& ui, const std::string& text) {
  ui.ShowMessage(text, MessageButtons::Ok, MessageIcon::Information);
}

// Shows why the options cannot be used; true when they can.
bool OptionsUsable(Toolkit& ui, const OutputOptions& options) {
  std::optional<NameProblem> problem = OptionsProblem(options);
  if (problem) Report(ui, PrefixProblemText(options.prefix, *problem) + "\r\n没有处理任何照片。");
  return !problem;
}

// The failed photos the completion message names, at most; "……等 N 个" with
// the number of all failed photos follows when there are more.
constexpr std::size_t kListedFailures = 10;

// One line a failed photo: its name and why.
std::string FailureLines(const std::vector<PhotoOutcome>& outcomes, int failed) {
  std::string lines;
  std::size_t listed = 0;
  for (const PhotoOutcome& outcome : outcomes) {
    if (outcome.ok() || listed == kListedFailures) continue;
    lines += "\r\n" + outcome.fileName + ": " + PhotoFailureBrief(*outcome.failure);
    ++listed;
  }
  if (static_cast<std::size_t>(failed) > listed) lines += "\r\n……等 " + std::to_string(failed) + " 个";
  return lines;
}

std::string CompletionMessage(int rows, const BatchResult& result) {
  const int done = static_cast<int>(result.outcomes.size());
  std::string text = result.stopped ? "批处理已停止。\r\n共处理 " + std::to_string(done) + " 个照片，其余 " +
                                          std::to_string(rows - done) + " 个照片未改动。"
                                    : "批处理完成!\r\n共处理 " + std::to_string(rows) + " 个照片。";
  const auto failed = static_cast<int>(
      std::count_if(result.outcomes.begin(), result.outcomes.end(), [](const PhotoOutcome& o) { return !o.ok(); }));
  if (failed == 0) return text;
  return text + "\r\n其中 " + std::to_string(failed) + " 个照片处理失败，已保持原样。" +
         FailureLines(result.outcomes, failed);
}

// The window busy for the batch: painting, its controls ignoring the user,
// until End or the end of the scope (also when the batch throws).
class BusyWindow {
 public:
  explicit BusyWindow(Toolkit& ui) : ui_(&ui) { ui.BeginBusy(); }
  ~BusyWindow() { End(); }
  BusyWindow(const BusyWindow&) = delete;
  BusyWindow& operator=(const BusyWindow&) = delete;
  void End() {
    if (ui_ != nullptr) ui_->EndBusy();
    ui_ = nullptr;
  }

 private:
  Toolkit* ui_;
};

}  // namespace

std::optional<std::vector<PhotoOutcome>> EditAllPhotos(MainLogic& logic, const BatchHooks& hooks) {
  Toolkit& ui = logic.toolkit();
  const int rows = ui.RowCount(ListId::Photos);
  if (rows == 0) return std::nullopt;
  OutputOptions options = ReadOptions(ui);
  options.writeGps = hooks.exif.writeGps;
  options.keepExif = hooks.exif.keepExif;
  if (!OptionsUsable(ui, options)) return std::nullopt;
  logic.ShowProgress(kBatchCaption, 0, rows);
  BusyWindow busy(ui);
  std::vector<PhotoInput> photos;
  for (int row = 1; row <= rows; ++row) photos.push_back(ReadPhoto(logic, row, hooks.exif));
  BatchObserver observer;
  observer.onPhoto = [&](std::size_t index, const PhotoOutcome& outcome) {
    const int row = static_cast<int>(index) + 1;
    ApplyOutcome(logic, row, outcome);
    logic.ShowProgress(kBatchCaption, row, ui.RowCount(ListId::Photos));
    if (hooks.onPhoto) hooks.onPhoto(row, rows, outcome);
  };
  observer.whileWaiting = hooks.whileWaiting;
  observer.stopRequested = hooks.stopRequested;
  BatchResult result = EditPhotos(photos, options, logic.fileSystem(), observer);
  busy.End();
  logic.ShowProgress("", 0, 0);
  // Row 1 is selected and shown, so the preview shows the photo 执行 acts on.
  ui.SelectRow(ListId::Photos, 1);
  logic.ListView_SelectionChanged();
  Report(ui, CompletionMessage(rows, result));
  return std::move(result.outcomes);
}

std::optional<std::vector<PhotoOutcome>> EditAllPhotos(MainLogic& logic, const PhotoDoneFn& onPhoto) {
  return EditAllPhotos(logic, BatchHooks{onPhoto, {}, {}, {}});
}

void MainLogic::Ck_reanme_Click() {
  const bool on = toolkit_.Checked(ControlId::Ck_reanme);
  for (ControlId control : {ControlId::Op_time, ControlId::Op_incre, ControlId::incre_txt}) toolkit_.SetEnabled(control, on);
}

void MainLogic::Ck_frame_Click() {
  const bool on = toolkit_.Checked(ControlId::Ck_frame);
  for (ControlId control : {ControlId::Label2, ControlId::frame_txt, ControlId::Ck_time, ControlId::Ck_gps}) toolkit_.SetEnabled(control, on);
}

void MainLogic::cmd_make_Click() {
  if (toolkit_.RowCount(ListId::Photos) == 0) return;
  const int row = toolkit_.SelectedRow(ListId::Photos);
  if (row < 1) return;
  const OutputOptions options = ReadOptions(toolkit_);
  if (!OptionsUsable(toolkit_, options)) return;
  PhotoOutcome outcome = EditPhoto(ReadPhoto(*this, row), options, fileSystem_);
  ApplyOutcome(*this, row, outcome);
  ListView_ItemClick(row);
  if (!outcome.ok()) {
    Report(toolkit_, "照片 " + outcome.fileName + " 处理失败，已保持原样：\r\n" + PhotoFailureText(*outcome.failure));
  }
}

void MainLogic::cmd_allmake_Click() {
  // Escape during the batch asks whether to stop; 是 stops it after the photo
  // being committed, and the rest stay untouched.
  bool stop = false;
  const auto keepAlive = [this, &stop] {
    if (!stop && toolkit_.KeepAlive() &&
        toolkit_.ShowMessage("是否停止批处理?", MessageButtons::YesNo, MessageIcon::Question) == Answer::Yes) {
      stop = true;
    }
  };
  BatchHooks hooks;
  // Between commits too: when renders are ready in time the batch never waits.
  hooks.onPhoto = [&keepAlive](int, int, const PhotoOutcome&) { keepAlive(); };
  hooks.whileWaiting = keepAlive;
  hooks.stopRequested = [&stop] { return stop; };
  EditAllPhotos(*this, hooks);
}

}  // namespace geoframe
