#include "app/output_commands.h"

#include <string>

#include "app/output_texts.h"

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

PhotoInput ReadPhoto(MainLogic& logic, int row) {
  const PhotoRecord& record = logic.Photos(row);
  return {row, record.FolderPath, record.FileName, record.HasExifTime, logic.ShownTime(row), logic.Coordinate(row)};
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
  std::optional<std::string> problem = OptionsProblem(options);
  if (problem) Report(ui, *problem + "\r\n没有处理任何照片。");
  return !problem;
}

std::string CompletionMessage(int rows, int failed) {
  std::string text = "批处理完成!\r\n共处理 " + std::to_string(rows) + " 个照片。";
  if (failed > 0) text += "\r\n其中 " + std::to_string(failed) + " 个照片处理失败，已保持原样。";
  return text;
}

}  // namespace

std::optional<std::vector<PhotoOutcome>> EditAllPhotos(MainLogic& logic, const PhotoDoneFn& onPhoto) {
  Toolkit& ui = logic.toolkit();
  const int rows = ui.RowCount(ListId::Photos);
  if (rows == 0) return std::nullopt;
  const OutputOptions options = ReadOptions(ui);
  if (!OptionsUsable(ui, options)) return std::nullopt;
  logic.ShowProgress(kBatchCaption, 0, rows);
  std::vector<PhotoInput> photos;
  for (int row = 1; row <= rows; ++row) photos.push_back(ReadPhoto(logic, row));
  std::vector<PhotoPlan> plans = PlanPhotos(photos, options, logic.fileSystem());
  std::vector<PhotoOutcome> outcomes;
  int failed = 0;
  for (int row = 1; row <= rows; ++row) {
    const PhotoPlan& plan = plans[static_cast<std::size_t>(row - 1)];
    outcomes.push_back(CommitPhoto(plan, RenderPhoto(plan, logic.fileSystem()), logic.fileSystem()));
    ApplyOutcome(logic, row, outcomes.back());
    failed += outcomes.back().ok ? 0 : 1;
    logic.ShowProgress(kBatchCaption, row, ui.RowCount(ListId::Photos));
    if (onPhoto) onPhoto(row, rows, outcomes.back());
  }
  logic.ShowProgress("", 0, 0);
  logic.ListView_ItemClick(1);
  Report(ui, CompletionMessage(rows, failed));
  return outcomes;
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
  if (!outcome.ok) Report(toolkit_, "照片 " + outcome.fileName + " 处理失败，已保持原样：\r\n" + (outcome.failure ? OutputErrorText(*outcome.failure) : outcome.error));
}

void MainLogic::cmd_allmake_Click() { EditAllPhotos(*this); }

}  // namespace geoframe
