// MainWindow as the Toolkit: what the window's logic does to the controls.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QTreeView>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <stdexcept>
#include <utility>  // exchange

#include "app/qt/icons.h"
#include "app/qt/main_window.h"
#include "app/qt/preview_surface.h"

namespace geoframe {

namespace {

constexpr int kTwips = 15;  // twips per pixel

QString Q(const std::string& text) { return QString::fromStdString(text); }

QTreeWidgetItem* Item(QTreeWidget* tree, int row) {
  QTreeWidgetItem* item = row >= 1 ? tree->topLevelItem(row - 1) : nullptr;
  if (item == nullptr) throw std::out_of_range("no row " + std::to_string(row));
  return item;
}

const QIcon& PhotoIcon(int icon) {
  static const QIcon withExif(DrawPhotoIcon(16, true));
  static const QIcon withoutExif(DrawPhotoIcon(16, false));
  return icon == 1 ? withExif : withoutExif;
}

QString DialogFilter(const FileFilter& filter) {
  // The patterns in the last brackets are the ones matched; the dialog shows
  // only the description before them.
  return Q(filter.description) + " (" + AnyCasePatterns(filter.patterns).join(' ') + ")";
}

QStringList DialogFilters(const OpenFileRequest& request) {
  QStringList filters;
  for (const FileFilter& filter : request.filters) filters.append(DialogFilter(filter));
  return filters;
}

// Qt's dialog opens at 600 x 415 with columns sized for short Latin texts,
// cutting sizes, Chinese types and dates: it opens about as large as the
// window, in detail view, with the size, type and date as wide as their
// texts and the name taking the rest.
void ShowColumnsWhole(QFileDialog& dialog) {
  constexpr int kDialogWidth = 900, kDialogHeight = 560;
  dialog.setViewMode(QFileDialog::Detail);
  dialog.resize(kDialogWidth, kDialogHeight);
  auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (view == nullptr) return;
  QHeaderView* header = view->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int column = 1; column < header->count(); ++column) {
    header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  }
}

}  // namespace

ChosenFiles ChosenFilesOf(const QStringList& paths) {
  const QString folder = QFileInfo(paths.front()).absolutePath();
  // Qt shows bytes that are not UTF-8 as U+FFFD: such a text gives no bytes back.
  const auto shownOnly = [](const QString& text) { return text.contains(QChar::ReplacementCharacter); };
  ChosenFiles chosen{QFile::encodeName(folder.endsWith('/') ? folder : folder + '/').toStdString(), {}};
  for (const QString& path : paths) {
    const QFileInfo info(path);
    // A name typed with another folder cannot share the list's one folder.
    if (info.absolutePath() != folder) continue;
    if (shownOnly(folder) || shownOnly(info.fileName())) {
      chosen.unrepresentable.push_back(info.fileName().toStdString());
    } else {
      chosen.names.push_back(QFile::encodeName(info.fileName()).toStdString());
    }
  }
  return chosen;
}

int MainWindow::RowCount(ListId id) const { return list(id)->topLevelItemCount(); }

void MainWindow::AppendRow(ListId id, const std::string& text, int icon) {
  auto* item = new QTreeWidgetItem(QStringList{Q(text)});
  if (id == ListId::Photos && (icon == 1 || icon == 2)) item->setIcon(0, PhotoIcon(icon));
  list(id)->addTopLevelItem(item);
}

std::string MainWindow::RowText(ListId id, int row) const { return Item(list(id), row)->text(0).toStdString(); }

void MainWindow::SetRowText(ListId id, int row, const std::string& text) { Item(list(id), row)->setText(0, Q(text)); }

std::string MainWindow::SubItem(ListId id, int row, Column column) const {
  return Item(list(id), row)->text(static_cast<int>(column)).toStdString();
}

void MainWindow::SetSubItem(ListId id, int row, Column column, const std::string& text) {
  Item(list(id), row)->setText(static_cast<int>(column), Q(text));
}

int MainWindow::SelectedRow(ListId id) const {
  const QList<QTreeWidgetItem*> selected = list(id)->selectedItems();
  return selected.isEmpty() ? 0 : list(id)->indexOfTopLevelItem(selected.front()) + 1;
}

// Like RemoveRow, reports no selection change: the logic that selects decides
// what the preview shows.
void MainWindow::SelectRow(ListId id, int row) {
  QTreeWidget* tree = list(id);
  const QSignalBlocker quiet(tree);
  if (row == 0) {
    tree->clearSelection();
    tree->setCurrentItem(nullptr);
    return;
  }
  tree->setCurrentItem(Item(tree, row));
}

// The selection of a removed row does not move on to the next row, as Qt's
// current item would: the logic, which removes rows, decides what is shown
// next, so the removal itself reports no selection change.
void MainWindow::RemoveRow(ListId id, int row) {
  QTreeWidget* tree = list(id);
  const bool wasSelected = Item(tree, row)->isSelected();
  const QSignalBlocker quiet(tree);
  delete tree->takeTopLevelItem(row - 1);
  if (wasSelected) {
    tree->setCurrentItem(nullptr);
    tree->clearSelection();
  }
}

void MainWindow::ClearRows(ListId id) {
  const QSignalBlocker quiet(list(id));
  list(id)->clear();
}

void MainWindow::SetRowToolTip(ListId id, int row, const std::string& text) {
  QTreeWidgetItem* item = Item(list(id), row);
  for (int column = 0; column < 3; ++column) item->setToolTip(column, Q(text));
}

Answer MainWindow::ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon) {
  QString body = Q(text);
  body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(icon == MessageIcon::Question ? QMessageBox::Question : QMessageBox::Information,
                  QStringLiteral("系统"), body,
                  buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, this);
  if (buttons == MessageButtons::YesNo) box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::No ? Answer::No : Answer::Yes;
}

std::optional<ChosenFiles> MainWindow::ShowOpenFile(const OpenFileRequest& request) {
  // Qt's own dialog: it takes our case-free patterns and speaks the loaded Chinese.
  QFileDialog dialog(this, Q(request.title), lastFolder_);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  const QStringList filters = DialogFilters(request);
  dialog.setNameFilters(filters);
  if (!filters.isEmpty()) dialog.selectNameFilter(filters.front());
  dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  ShowColumnsWhole(dialog);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList paths = dialog.selectedFiles();
  if (paths.isEmpty()) return std::nullopt;
  ChosenFiles chosen = ChosenFilesOf(paths);
  lastFolder_ = QString::fromStdString(chosen.folder);
  return chosen;
}

std::string MainWindow::Text(ControlId name) const {
  QWidget* w = control(name);
  if (auto* box = qobject_cast<QGroupBox*>(w)) return box->title().toStdString();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text().toStdString();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text().toStdString();
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
  return {};
}

void MainWindow::SetText(ControlId name, const std::string& text) {
  QWidget* w = control(name);
  if (auto* box = qobject_cast<QGroupBox*>(w)) box->setTitle(Q(text));
  else if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(Q(text));
  else if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(Q(text));
  else if (auto* label = qobject_cast<QLabel*>(w)) label->setText(Q(text));
}

bool MainWindow::Checked(ControlId name) const {
  auto* button = qobject_cast<QAbstractButton*>(control(name));
  return button != nullptr && button->isChecked();
}

void MainWindow::SetChecked(ControlId name, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(control(name))) button->setChecked(checked);
}

// The control's own setting, whatever its container's.
bool MainWindow::Enabled(ControlId name) const {
  return !control(name)->testAttribute(Qt::WA_ForceDisabled);
}

void MainWindow::SetEnabled(ControlId name, bool enabled) { control(name)->setEnabled(enabled); }

bool MainWindow::Visible(ControlId name) const { return !control(name)->isHidden(); }

void MainWindow::SetVisible(ControlId name, bool visible) { control(name)->setVisible(visible); }

int MainWindow::WidthTwips(ControlId name) const { return control(name)->width() * kTwips; }

void MainWindow::SetWidthTwips(ControlId name, int twips) {
  QWidget* w = control(name);
  w->resize((twips + kTwips / 2) / kTwips, w->height());
}

void MainWindow::RepaintNow(ControlId name) { control(name)->repaint(); }

void MainWindow::BeginBusy() {
  busy_ = true;
  asked_ = Interruption::None;
  QCoreApplication::instance()->installEventFilter(this);
}

void MainWindow::EndBusy() {
  QCoreApplication::instance()->removeEventFilter(this);
  busy_ = false;
}

Interruption MainWindow::KeepAlive() {
  QCoreApplication::processEvents();
  return std::exchange(asked_, Interruption::None);
}

void MainWindow::CloseWindow() { close(); }

void MainWindow::ClearPreview() { preview_->Clear(); }

void MainWindow::DrawPreview(const RgbImage& picture, int left, int top, int width, int height) {
  preview_->Draw(picture, left, top, width, height);
}

void MainWindow::DrawPreviewText(const std::string& text) { preview_->Write(Q(text)); }

}  // namespace geoframe
