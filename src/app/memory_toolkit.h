#pragma once

#include <array>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/toolkit.h"

namespace geoframe {

// A toolkit without a screen: controls, lists and the preview live in memory,
// message boxes and dialogs are answered from scripts, and everything shown is
// recorded. The command-line front end runs the window's logic on it, and tests
// drive and inspect every handler through it.
class MemoryToolkit : public Toolkit {
 public:
  struct Row {
    std::string text;
    int icon = 0;
    std::string time;
    std::string coordinate;
    std::string toolTip;
  };
  struct Message {
    std::string text;
    MessageButtons buttons;
    MessageIcon icon;
  };
  struct PreviewDraw {
    int pictureWidth, pictureHeight;  // the picture handed over
    int left, top, width, height;     // where it was drawn
  };
  struct ControlState {
    std::string text;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    int widthTwips = 0;
  };

  // Every control starts as the window's control table has it. Without
  // pictures (a front end with no screen), previews are never decoded.
  explicit MemoryToolkit(bool showsPictures = true);

  // Scripts: answers to the next questions (Yes when none is queued) and results
  // of the next open-file dialogs (Cancel when none is queued).
  void QueueAnswer(Answer answer) { answers_.push_back(answer); }
  void QueueOpenFile(std::optional<ChosenFiles> files) { openFiles_.push_back(std::move(files)); }

  // Escape pressed during the nth call of KeepAlive (counted from 1).
  void PressEscapeAt(int keepAliveCall) { escapeAt_ = keepAliveCall; }
  int keepAliveCalls() const { return keepAliveCalls_; }
  bool busy() const { return busy_; }

  // What was shown.
  const std::vector<Message>& messages() const { return messages_; }
  const std::vector<OpenFileRequest>& dialogs() const { return dialogs_; }
  const std::vector<PreviewDraw>& previewDraws() const { return previewDraws_; }
  const std::vector<std::string>& previewTexts() const { return previewTexts_; }
  int previewClears() const { return previewClears_; }
  // Each repaint of the progress strip, as "text|bar width in twips|visible".
  const std::vector<std::string>& progressFrames() const { return progressFrames_; }
  const std::vector<Row>& rows(ListId list) const { return lists_.at(list); }
  const ControlState& control(ControlId id) const;
  void clearRecords();

  // Toolkit
  int RowCount(ListId list) const override;
  void AppendRow(ListId list, const std::string& text, int icon) override;
  std::string RowText(ListId list, int row) const override;
  void SetRowText(ListId list, int row, const std::string& text) override;
  std::string SubItem(ListId list, int row, Column column) const override;
  void SetSubItem(ListId list, int row, Column column, const std::string& text) override;
  int SelectedRow(ListId list) const override;
  void SelectRow(ListId list, int row) override;
  void RemoveRow(ListId list, int row) override;
  void ClearRows(ListId list) override;
  void SetRowToolTip(ListId list, int row, const std::string& text) override;
  Answer ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon) override;
  std::optional<ChosenFiles> ShowOpenFile(const OpenFileRequest& request) override;
  std::string Text(ControlId control) const override;
  void SetText(ControlId control, const std::string& text) override;
  bool Checked(ControlId control) const override;
  void SetChecked(ControlId control, bool checked) override;
  bool Enabled(ControlId control) const override;
  void SetEnabled(ControlId control, bool enabled) override;
  bool Visible(ControlId control) const override;
  void SetVisible(ControlId control, bool visible) override;
  int WidthTwips(ControlId control) const override;
  void SetWidthTwips(ControlId control, int twips) override;
  void RepaintNow(ControlId control) override;
  void BeginBusy() override;
  void EndBusy() override;
  bool KeepAlive() override;
  bool ShowsPictures() const override { return showsPictures_; }
  void ClearPreview() override;
  void DrawPreview(const RgbImage& picture, int left, int top, int width, int height) override;
  void DrawPreviewText(const std::string& text) override;

 private:
  ControlState& state(ControlId id);
  Row& row(ListId list, int row);
  const Row& row(ListId list, int row) const;

  std::array<ControlState, kControlCount> controls_;
  std::map<ListId, std::vector<Row>> lists_{{ListId::Photos, {}}, {ListId::Track, {}}};
  std::map<ListId, int> selected_{{ListId::Photos, 0}, {ListId::Track, 0}};
  std::deque<Answer> answers_;
  std::deque<std::optional<ChosenFiles>> openFiles_;
  std::vector<Message> messages_;
  std::vector<OpenFileRequest> dialogs_;
  bool showsPictures_;
  std::vector<PreviewDraw> previewDraws_;
  std::vector<std::string> previewTexts_;
  int previewClears_ = 0;
  bool busy_ = false;
  int keepAliveCalls_ = 0;
  int escapeAt_ = 0;
  std::vector<std::string> progressFrames_;
};

}  // namespace geoframe
