#include "app/memory_toolkit.h"

#include <stdexcept>
#include <utility>  // std::as_const

#include "app/control_table.h"

namespace geoframe {

MemoryToolkit::MemoryToolkit(bool showsPictures) : showsPictures_(showsPictures) {
  for (const ControlSpec& spec : ControlTable()) {
    ControlState& s = state(spec.id);
    s.text = spec.caption;
    s.checked = spec.checked;
    s.enabled = spec.enabled;
    s.visible = spec.visible;
    s.widthTwips = spec.width;
  }
}

const MemoryToolkit::ControlState& MemoryToolkit::control(ControlId id) const {
  return controls_.at(static_cast<std::size_t>(id));
}

MemoryToolkit::ControlState& MemoryToolkit::state(ControlId id) {
  return controls_.at(static_cast<std::size_t>(id));
}

void MemoryToolkit::clearRecords() {
  messages_.clear();
  dialogs_.clear();
  previewDraws_.clear();
  previewClears_ = 0;
  progressFrames_.clear();
}

MemoryToolkit::Row& MemoryToolkit::row(ListId list, int r) {
  return const_cast<Row&>(std::as_const(*this).row(list, r));
}

const MemoryToolkit::Row& MemoryToolkit::row(ListId list, int r) const {
  const std::vector<Row>& rows = lists_.at(list);
  if (r < 1 || r > static_cast<int>(rows.size())) {
    throw std::out_of_range("no row " + std::to_string(r));
  }
  return rows[static_cast<std::size_t>(r - 1)];
}

int MemoryToolkit::RowCount(ListId list) const { return static_cast<int>(lists_.at(list).size()); }

void MemoryToolkit::AppendRow(ListId list, const std::string& text, int icon) {
  lists_.at(list).push_back(Row{text, icon, {}, {}, {}});
}

std::string MemoryToolkit::RowText(ListId list, int r) const { return row(list, r).text; }

void MemoryToolkit::SetRowText(ListId list, int r, const std::string& text) { row(list, r).text = text; }

std::string MemoryToolkit::SubItem(ListId list, int r, Column column) const {
  const Row& x = row(list, r);
  return column == Column::Time ? x.time : x.coordinate;
}

void MemoryToolkit::SetSubItem(ListId list, int r, Column column, const std::string& text) {
  Row& x = row(list, r);
  (column == Column::Time ? x.time : x.coordinate) = text;
}

int MemoryToolkit::SelectedRow(ListId list) const {
  int r = selected_.at(list);
  return r <= RowCount(list) ? r : 0;
}

void MemoryToolkit::SelectRow(ListId list, int r) { selected_.at(list) = r; }

void MemoryToolkit::RemoveRow(ListId list, int r) {
  row(list, r);  // checks the index
  auto& rows = lists_.at(list);
  rows.erase(rows.begin() + (r - 1));
  // Like a real list view, the selection does not move to another photo.
  int& selected = selected_.at(list);
  if (selected == r) selected = 0;
  else if (selected > r) --selected;
}

void MemoryToolkit::ClearRows(ListId list) {
  lists_.at(list).clear();
  selected_.at(list) = 0;
}

void MemoryToolkit::SetRowToolTip(ListId list, int r, const std::string& text) { row(list, r).toolTip = text; }

Answer MemoryToolkit::ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon) {
  messages_.push_back(Message{text, buttons, icon});
  if (buttons == MessageButtons::Ok || answers_.empty()) return Answer::Yes;
  Answer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<ChosenFiles> MemoryToolkit::ShowOpenFile(const OpenFileRequest& request) {
  dialogs_.push_back(request);
  if (openFiles_.empty()) return std::nullopt;
  std::optional<ChosenFiles> files = std::move(openFiles_.front());
  openFiles_.pop_front();
  return files;
}

std::string MemoryToolkit::Text(ControlId c) const { return control(c).text; }
void MemoryToolkit::SetText(ControlId c, const std::string& text) {
  if (HasText(Spec(c).kind)) state(c).text = text;
}

bool MemoryToolkit::Checked(ControlId c) const { return control(c).checked; }

void MemoryToolkit::SetChecked(ControlId c, bool checked) {
  // Option buttons of one container form a group: selecting one deselects the others.
  const ControlSpec& spec = Spec(c);
  if (checked && spec.kind == ControlKind::OptionButton) {
    for (const ControlSpec& other : ControlTable()) {
      if (other.kind == ControlKind::OptionButton && other.container == spec.container) {
        state(other.id).checked = false;
      }
    }
  }
  state(c).checked = checked;
}

bool MemoryToolkit::Enabled(ControlId c) const { return control(c).enabled; }
void MemoryToolkit::SetEnabled(ControlId c, bool enabled) { state(c).enabled = enabled; }
bool MemoryToolkit::Visible(ControlId c) const { return control(c).visible; }
void MemoryToolkit::SetVisible(ControlId c, bool visible) { state(c).visible = visible; }
int MemoryToolkit::WidthTwips(ControlId c) const { return control(c).widthTwips; }
void MemoryToolkit::SetWidthTwips(ControlId c, int twips) { state(c).widthTwips = twips; }

void MemoryToolkit::RepaintNow(ControlId c) {
  if (c == ControlId::pic_info) {
    progressFrames_.push_back(control(ControlId::txt_info).text + "|" +
                              std::to_string(control(ControlId::sp_info).widthTwips) + "|" +
                              (control(ControlId::pic_info).visible ? "shown" : "hidden"));
  }
}

void MemoryToolkit::BeginBusy() { busy_ = true; }
void MemoryToolkit::EndBusy() { busy_ = false; }
bool MemoryToolkit::KeepAlive() { return ++keepAliveCalls_ == escapeAt_; }

void MemoryToolkit::ClearPreview() { ++previewClears_; }

void MemoryToolkit::DrawPreview(const RgbImage& picture, int left, int top, int width, int height) {
  previewDraws_.push_back(PreviewDraw{picture.width, picture.height, left, top, width, height});
}

void MemoryToolkit::DrawPreviewText(const std::string& text) { previewTexts_.push_back(text); }

}  // namespace geoframe
