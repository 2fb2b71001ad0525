#include <optional>
#include <string>

#include "app/main_logic.h"
#include "app/mini_picture.h"
#include "app/photo_intake.h"

namespace geoframe {

namespace {

constexpr const char* kPreviewCaption = "照片预览";

// The list's caption and the summary after a load.
void ReportIntake(Toolkit& ui, const IntakeResult& result, bool nameLeftOut) {
  const int rows = ui.RowCount(ListId::Photos);
  ui.SetText(ControlId::pic_box, PhotoListCaption(rows));
  ui.ShowMessage(IntakeSummary(result, rows, nameLeftOut), MessageButtons::Ok, MessageIcon::Information);
}

OpenFileRequest PhotoDialogRequest() {
  OpenFileRequest request;
  request.title = "选择照片...";
  request.filters = {{"照片文件(*.JPG)", {"*.jpg", "*.jpeg", "*.jpe"}}};
  request.multiSelect = true;
  return request;
}

}  // namespace

void MainLogic::cmd_add_Click() {
  std::optional<ChosenFiles> chosen = toolkit_.ShowOpenFile(PhotoDialogRequest());
  if (!chosen) return;  // Cancel: nothing chosen, no message
  if (chosen->names.empty() && chosen->unrepresentable.empty()) return;
  ReportIntake(toolkit_, AddChosenFiles(*this, *chosen), false);
}

void MainLogic::AddPhotos(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  ReportIntake(toolkit_, AddPhotoPaths(*this, paths), true);
}

void MainLogic::cmd_del_Click() {
  const int n = toolkit_.RowCount(ListId::Photos);
  const int k = toolkit_.SelectedRow(ListId::Photos);
  if (n == 0 || k < 1 || k > n) return;  // nothing selected: nothing to remove
  const std::string question = "确定移除 " + toolkit_.RowText(ListId::Photos, k) + " ?";
  if (toolkit_.ShowMessage(question, MessageButtons::YesNo, MessageIcon::Information) == Answer::No) {
    return;
  }
  for (int i = k; i < n; ++i) Photos(i) = Photos(i + 1);
  Photos(n) = PhotoRecord{};
  toolkit_.RemoveRow(ListId::Photos, k);
  toolkit_.SetText(ControlId::pic_box, PhotoListCaption(toolkit_.RowCount(ListId::Photos)));
  ListView_SelectionChanged();
}

void MainLogic::cmd_clear_Click() {
  const int n = toolkit_.RowCount(ListId::Photos);
  if (n == 0) return;
  const std::string question = "确定移除所有(共" + std::to_string(n) + "张)照片?";
  if (toolkit_.ShowMessage(question, MessageButtons::YesNo, MessageIcon::Question) == Answer::No) {
    return;
  }
  for (int i = 1; i <= n; ++i) Photos(i) = PhotoRecord{};
  toolkit_.ClearRows(ListId::Photos);
  toolkit_.SetText(ControlId::pic_box, "照片列表");
  ListView_SelectionChanged();
}

void MainLogic::ListView_SelectionChanged() {
  const int row = toolkit_.SelectedRow(ListId::Photos);
  if (row >= 1) {
    ListView_ItemClick(row);
    return;
  }
  toolkit_.ClearPreview();
  toolkit_.SetText(ControlId::picture_review, kPreviewCaption);
}

void MainLogic::ListView_ItemClick(int row) {
  if (row < 1 || row > toolkit_.RowCount(ListId::Photos)) return;
  const std::string path = Photos(row).FullPath();
  toolkit_.SetRowToolTip(ListId::Photos, row, path);
  toolkit_.ClearPreview();
  const std::string sizeText = DrawMiniPicture(toolkit_, path);
  toolkit_.SetText(ControlId::picture_review, std::string(kPreviewCaption) + " (" + sizeText + ")");
}

}  // namespace geoframe
