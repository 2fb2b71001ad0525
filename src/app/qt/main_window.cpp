#include "app/qt/main_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QMimeData>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QTranslator>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>  // max
#include <exception>
#include <functional>
#include <utility>  // move

#include "app/control_table.h"
#include "app/output_texts.h"
#include "app/qt/control_widgets.h"
#include "app/qt/icons.h"
#include "app/qt/preview_surface.h"

namespace geoframe {

namespace {

constexpr int kClientWidth = kClientWidthTwips / kTwipsPerPixel;    // 898
constexpr int kClientHeight = kClientHeightTwips / kTwipsPerPixel;  // 554

// A step button held down steps again and again, at the pace of the style's
// spin box arrows.
void RepeatWhileHeld(QAbstractButton& button) {
  const QStyle* style = button.style();
  button.setAutoRepeat(true);
  button.setAutoRepeatDelay(style->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatThreshold, nullptr, &button));
  button.setAutoRepeatInterval(style->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatRate, nullptr, &button));
}

// The bytes a local file URL names, as QUrl::toLocalFile spells the path. A
// file manager percent-encodes every byte of a name that is not UTF-8, and
// toLocalFile would turn those bytes into U+FFFD, the name of another file.
std::string LocalPathBytes(const QUrl& url) {
  const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
  const std::string host = url.host(QUrl::FullyEncoded).toStdString();
  return (host.empty() ? std::string() : "//" + host) + path.toStdString();
}

// The local files among dragged URLs (a file manager drags file:// URLs).
std::vector<std::string> LocalFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths.push_back(LocalPathBytes(url));
  }
  return paths;
}

}  // namespace

bool InstallChineseTranslations(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

QStringList AnyCasePatterns(const std::vector<std::string>& patterns) {
  QStringList result;
  for (const std::string& pattern : patterns) {
    QStringList forms{QString()};
    for (QChar c : QString::fromStdString(pattern)) {
      QStringList next;
      for (const QString& form : forms) {
        next.append(form + c.toLower());
        if (c.toUpper() != c.toLower()) next.append(form + c.toUpper());
      }
      forms = next;
    }
    result.append(forms);
  }
  return result;
}

MainWindow::MainWindow() : logic_(*this), lastFolder_(QDir::currentPath()) {
  setObjectName(QStringLiteral("main"));
  setWindowTitle(QStringLiteral("坐标 --> 照片"));
  setWindowIcon(QIcon(DrawPhotoIcon(32, true)));
  setFont(WindowFont(12));
  setFixedSize(kClientWidth, kClientHeight);
  CreateControls();
  SetUpListViews();
  ConnectHandlers();
  CentreOnScreen();
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::control(ControlId id) const { return controls_.at(static_cast<std::size_t>(id)); }

void MainWindow::CreateControls() {
  controls_ = MakeControls(*this);
  preview_ = static_cast<PreviewSurface*>(control(ControlId::Pictemp));
}

void MainWindow::SetUpListViews() {
  SetUpList(list(ListId::Photos), {"照片名", "拍摄时间", "坐标"}, {2610, 2250, 3420});
  SetUpList(list(ListId::Track), {"记录号", "记录时间", "坐标"}, {1050, 2250, 3450});
}

void MainWindow::RunGuarded(const std::function<void()>& handler) {
  // A handler's failure must not end the program with the user's list in it:
  // it is shown, and the window goes on.
  try {
    handler();
  } catch (const std::exception&) {
    ShowMessage(UnexpectedFailureText(std::current_exception()), MessageButtons::Ok, MessageIcon::Information);
  }
}

void MainWindow::AddPhotos(const std::vector<std::string>& paths) {
  RunGuarded([this, &paths] { logic_.AddPhotos(paths); });
}

void MainWindow::ConnectHandlers() {
  auto guarded = [this](std::function<void()> handler) {
    return [this, handler = std::move(handler)] { RunGuarded(handler); };
  };
  auto onClick = [&](ControlId id, void (MainLogic::*handler)()) {
    auto* button = static_cast<QAbstractButton*>(control(id));
    connect(button, &QAbstractButton::clicked, this, guarded([this, handler] { (logic_.*handler)(); }));
  };
  onClick(ControlId::cmd_add, &MainLogic::cmd_add_Click);
  onClick(ControlId::cmd_del, &MainLogic::cmd_del_Click);
  onClick(ControlId::cmd_clear, &MainLogic::cmd_clear_Click);
  onClick(ControlId::cmd_addname, &MainLogic::cmd_addname_Click);
  onClick(ControlId::cmd_clearname, &MainLogic::cmd_clearname_Click);
  onClick(ControlId::tz_f, &MainLogic::tz_f_Click);  // clicked comes after the toggle
  onClick(ControlId::cmd_tedit, &MainLogic::cmd_tedit_Click);
  onClick(ControlId::cmd_plgoto, &MainLogic::cmd_plgoto_Click);
  onClick(ControlId::cmd_hdaddpl, &MainLogic::cmd_hdaddpl_Click);
  onClick(ControlId::cmd_clrnowpl, &MainLogic::cmd_clrnowpl_Click);
  onClick(ControlId::cmd_plclr, &MainLogic::cmd_plclr_Click);
  onClick(ControlId::Ck_reanme, &MainLogic::Ck_reanme_Click);
  onClick(ControlId::Ck_frame, &MainLogic::Ck_frame_Click);
  onClick(ControlId::cmd_make, &MainLogic::cmd_make_Click);
  onClick(ControlId::cmd_allmake, &MainLogic::cmd_allmake_Click);
  auto onStep = [&](ControlId id, std::function<void()> step) {
    auto* button = static_cast<QAbstractButton*>(control(id));
    RepeatWhileHeld(*button);
    connect(button, &QAbstractButton::clicked, this, guarded(std::move(step)));
  };
  for (int i = 0; i <= 5; ++i) onStep(TzStep(i), [this, i] { logic_.tzc_Click(i); });
  for (int i = 0; i <= 3; ++i) onStep(ToleranceStep(i), [this, i] { logic_.wcc_Click(i); });
  // The preview follows the selection however it moves: a click, the arrow
  // keys, Home/End, a removal.
  connect(list(ListId::Photos), &QTreeWidget::itemSelectionChanged, this,
          guarded([this] { logic_.ListView_SelectionChanged(); }));
  // Delete in the photo list, files dropped on it and Enter on a focused
  // button: eventFilter.
  list(ListId::Photos)->installEventFilter(this);
  list(ListId::Photos)->viewport()->setAcceptDrops(true);
  list(ListId::Photos)->viewport()->installEventFilter(this);
  for (const ControlSpec& spec : ControlTable()) {
    if (spec.kind == ControlKind::Button || spec.kind == ControlKind::ToggleButton) control(spec.id)->installEventFilter(this);
  }
}

bool MainWindow::SwallowWhileBusy(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::Drop: {
      // Only this window's own input: a question asked meanwhile gets its
      // answers, and the Escape that answers it 否 asks nothing.
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget == nullptr || widget->window() != this) return false;
      if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Note(Interruption::Escape);
      }
      return true;
    }
    default: return false;
  }
}

void MainWindow::Note(Interruption interruption) { asked_ = std::max(asked_, interruption); }

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!busy_) return QWidget::closeEvent(event);
  Note(Interruption::Close);
  event->ignore();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (busy_ && SwallowWhileBusy(watched, event)) return true;
  const int key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event)->key() : 0;
  // Delete in the photo list does what 移除... does, question included.
  if (watched == list(ListId::Photos) && key == Qt::Key_Delete) {
    RunGuarded([this] { logic_.cmd_del_Click(); });
    return true;
  }
  if (watched == list(ListId::Photos)->viewport()) {
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* drag = static_cast<QDropEvent*>(event);
      if (!LocalFiles(drag->mimeData()).empty()) drag->acceptProposedAction();
      return true;
    }
    if (event->type() == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      const std::vector<std::string> paths = LocalFiles(drop->mimeData());
      if (paths.empty()) return true;
      drop->acceptProposedAction();
      AddPhotos(paths);
      return true;
    }
    return false;
  }
  // Enter or Return on a focused button presses it, as Space does.
  auto* button = qobject_cast<QAbstractButton*>(watched);
  if (button != nullptr && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
    button->click();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::CentreOnScreen() {
  if (QScreen* s = screen()) {
    const QRect area = s->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
  }
}

QTreeWidget* MainWindow::list(ListId id) const {
  return static_cast<QTreeWidget*>(control(id == ListId::Photos ? ControlId::ListView : ControlId::ListGps));
}

}  // namespace geoframe
