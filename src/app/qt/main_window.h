#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_logic.h"
#include "app/toolkit.h"

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

// The main window "坐标 --> 照片": every control of the control table at its
// place, each wired to its handler on the window's MainLogic; the window is
// also the toolkit through which that logic speaks to the controls.
class MainWindow : public QWidget, public Toolkit {
 public:
  MainWindow();
  ~MainWindow() override;

  MainLogic& logic() { return logic_; }
  // The control of that object name; throws std::out_of_range for an unknown name.
  QWidget* control(std::string_view name) const;

  // Toolkit
  int RowCount(ListId list) const override;
  void AppendRow(ListId list, const std::string& text, int icon) override;
  std::string RowText(ListId list, int row) const override;
  void SetRowText(ListId list, int row, const std::string& text) override;
  std::string SubItem(ListId list, int row, int subItem) const override;
  void SetSubItem(ListId list, int row, int subItem, const std::string& text) override;
  int SelectedRow(ListId list) const override;
  void RemoveRow(ListId list, int row) override;
  void ClearRows(ListId list) override;
  void SetRowToolTip(ListId list, int row, const std::string& text) override;
  Answer ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon) override;
  std::optional<ChosenFiles> ShowOpenFile(const OpenFileRequest& request) override;
  std::string Text(std::string_view control) const override;
  void SetText(std::string_view control, const std::string& text) override;
  bool Checked(std::string_view control) const override;
  void SetChecked(std::string_view control, bool checked) override;
  bool Enabled(std::string_view control) const override;
  void SetEnabled(std::string_view control, bool enabled) override;
  bool Visible(std::string_view control) const override;
  void SetVisible(std::string_view control, bool visible) override;
  int WidthTwips(std::string_view control) const override;
  void SetWidthTwips(std::string_view control, int twips) override;
  void RepaintNow(std::string_view control) override;
  void ClearPreview() override;
  void DrawPreview(const RgbImage& picture, int left, int top, int width, int height) override;

 private:
  void CreateControls();
  void SetUpListViews();
  void ConnectHandlers();
  void CentreOnScreen();
  QTreeWidget* list(ListId id) const;

  MainLogic logic_;
  std::map<std::string, QWidget*, std::less<>> controls_;
  PreviewSurface* preview_ = nullptr;
  QString lastFolder_;  // where the open dialog starts: the folder last chosen
};

}  // namespace geoframe
