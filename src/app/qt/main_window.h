#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/main_logic.h"
#include "app/toolkit.h"

class QCloseEvent;
class QCoreApplication;
class QTreeWidget;

namespace geoframe {

class PreviewSurface;

// Loads Qt's own Simplified Chinese texts (message-box buttons, file dialog), so
// that the program speaks Chinese whatever the system's language. False when
// the translation file is not installed.
bool InstallChineseTranslations(QCoreApplication& app);

// Every case form of the patterns ("*.jpg" gives "*.jpg", "*.jpG", ... "*.JPG"):
// file name patterns are case-sensitive on Linux, and photos end in ".jpg" in
// any letter case.
QStringList AnyCasePatterns(const std::vector<std::string>& patterns);

// The files the open dialog chose, as the bytes of their names: those typed
// with another folder than the first file's are dropped, and those the dialog
// shows with U+FFFD are unrepresentable.
ChosenFiles ChosenFilesOf(const QStringList& paths);

// The main window "坐标 --> 照片": every control of the control table at its
// place, each wired to its handler on the window's MainLogic; the window is
// also the toolkit through which that logic speaks to the controls.
class MainWindow : public QWidget, public Toolkit {
 public:
  MainWindow();
  ~MainWindow() override;

  MainLogic& logic() { return logic_; }
  // Adds photos as 加入... does (the photos the program was started with).
  void AddPhotos(const std::vector<std::string>& paths);
  QWidget* control(ControlId id) const;

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
  Interruption KeepAlive() override;
  void CloseWindow() override;
  bool ShowsPictures() const override { return true; }
  void ClearPreview() override;
  void DrawPreview(const RgbImage& picture, int left, int top, int width, int height) override;
  void DrawPreviewText(const std::string& text) override;

 private:
  void CreateControls();
  void SetUpListViews();
  void ConnectHandlers();
  void CentreOnScreen();
  // Runs a handler; a failure it did not expect is shown, not fatal.
  void RunGuarded(const std::function<void()>& handler);
  bool eventFilter(QObject* watched, QEvent* event) override;
  // During a long operation a close request is noted, and the window stays.
  void closeEvent(QCloseEvent* event) override;
  // During a long operation: true for the user's input to this window, which
  // is ignored (Escape is noted first).
  bool SwallowWhileBusy(QObject* watched, QEvent* event);
  void Note(Interruption interruption);
  QTreeWidget* list(ListId id) const;

  MainLogic logic_;
  std::array<QWidget*, kControlCount> controls_{};
  PreviewSurface* preview_ = nullptr;
  QString lastFolder_;  // where the open dialog starts: the folder last chosen
  bool busy_ = false;            // between BeginBusy and EndBusy
  Interruption asked_ = Interruption::None;  // since the last KeepAlive
};

}  // namespace geoframe
