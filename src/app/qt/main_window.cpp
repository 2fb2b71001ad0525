#include "app/qt/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QAbstractButton>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStringList>
#include <QTranslator>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <exception>
#include <functional>
#include <stdexcept>
#include <utility>  // move

#include "app/control_table.h"
#include "app/output_texts.h"
#include "app/qt/icons.h"
#include "app/qt/preview_surface.h"

namespace geoframe {

namespace {

constexpr int kClientWidth = kClientWidthTwips / kTwipsPerPixel;    // 898
constexpr int kClientHeight = kClientHeightTwips / kTwipsPerPixel;  // 554

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
int Pixels(int twips) { return twips / kTwipsPerPixel; }

// The old platform's 宋体 where installed, else the CJK serif that Debian ships.
QFont WindowFont(int pixelSize, bool bold = false) {
  QFont font;
  font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC")});
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

// For the two unit labels of the clock and tolerance inputs, which place their
// characters beside the fields with runs of blanks measured in 宋体, where a
// blank is half a character wide. Without 宋体, the monospaced CJK face has the
// same measure.
QFont UnitLabelFont(int pixelSize) {
  QFont font;
  font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Sans Mono CJK SC")});
  font.setPixelSize(pixelSize);
  return font;
}

// Room for the caption of a check box, an option button or a label.
int CaptionRoom(QWidget* w) {
  QStyle* style = w->style();
  if (qobject_cast<QCheckBox*>(w)) {
    return w->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) -
           style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w) - 2;
  }
  if (qobject_cast<QRadioButton*>(w)) {
    return w->width() - style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) -
           style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w) - 2;
  }
  return w->width();
}

// A face wider than 宋体 would cut the end off some captions (Latin letters are
// half as wide in 宋体): such a caption is condensed just enough to fit.
void CondenseToFit(QWidget* w, const QString& caption) {
  const int room = CaptionRoom(w);
  const qreal needed = QFontMetricsF(w->font()).horizontalAdvance(caption);
  if (caption.isEmpty() || room <= 0 || needed <= room) return;
  QFont font = w->font();
  font.setStretch(std::max(70, static_cast<int>(100.0 * room / needed)));
  w->setFont(font);
}

// A step button held down steps again and again, at the pace of the style's
// spin box arrows.
void RepeatWhileHeld(QAbstractButton& button) {
  const QStyle* style = button.style();
  button.setAutoRepeat(true);
  button.setAutoRepeatDelay(style->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatThreshold, nullptr, &button));
  button.setAutoRepeatInterval(style->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatRate, nullptr, &button));
}

// A grey decoration line; its widget is the line's bounding box.
class DecorationLine : public QWidget {
 public:
  DecorationLine(QPoint from, QPoint to, QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const QRect box = QRect(from, to).normalized();
    setGeometry(box);
    from_ = from - box.topLeft();
    to_ = to - box.topLeft();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(QColor(128, 128, 128));
    painter.drawLine(from_, to_);
  }

 private:
  QPoint from_, to_;
};

QWidget* FilledBox(QWidget* parent, QColor colour) {
  auto* box = new QWidget(parent);
  box->setBackgroundRole(QPalette::Window);  // not the strip's own, which it would inherit
  QPalette palette = box->palette();
  palette.setColor(QPalette::Window, colour);
  box->setPalette(palette);
  box->setAutoFillBackground(true);
  return box;
}

// A captioned frame drawn the classic way: the caption sits in the top border
// line, and the frame's own coordinates start at its outer corner.
QGroupBox* FrameBox(const QString& caption, QWidget* parent) {
  auto* box = new QGroupBox(caption, parent);
  box->setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid palette(mid); margin-top: 7px; }"
      "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; padding: 0 2px; }"));
  return box;
}

QFrame* Panel(QWidget* parent, ControlId id) {
  auto* panel = new QFrame(parent);
  // The preview's frame and the coordinate buttons' panel carry a sunken border;
  // the clock and tolerance inputs sit on borderless panels.
  if (id == ControlId::Picture1 || id == ControlId::Picture3) panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  return panel;
}

// The progress strip's frame: a box in the window colour. Its border is a
// separate overlay (see AddStripBorder), because the bar starts at the box's
// own corner and would otherwise paint over it.
QWidget* StripFrame(QWidget* parent) {
  auto* strip = new QWidget(parent);
  strip->setBackgroundRole(QPalette::Base);
  strip->setAutoFillBackground(true);
  return strip;
}

void AddStripBorder(QWidget* strip) {
  auto* border = new QFrame(strip);
  border->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  border->setAttribute(Qt::WA_TransparentForMouseEvents);
  border->setGeometry(strip->rect());
  border->raise();
}

QLabel* Label(const QString& caption, QWidget* parent) {
  auto* label = new QLabel(caption, parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

template <typename Button>
Button* CheckableButton(const ControlSpec& spec, QWidget* parent) {
  auto* button = new Button(Q(spec.caption), parent);
  button->setCheckable(true);
  button->setChecked(spec.checked);
  return button;
}

QWidget* MakeControl(const ControlSpec& spec, QWidget* parent) {
  using K = ControlKind;
  switch (spec.kind) {
    case K::Frame: return FrameBox(Q(spec.caption), parent);
    case K::Panel: return Panel(parent, spec.id);
    case K::ListView: return new QTreeWidget(parent);
    case K::Button: return new QPushButton(Q(spec.caption), parent);
    case K::ToggleButton: return CheckableButton<QPushButton>(spec, parent);
    case K::CheckBox: return CheckableButton<QCheckBox>(spec, parent);
    case K::OptionButton: return CheckableButton<QRadioButton>(spec, parent);
    case K::TextBox: return new QLineEdit(Q(spec.caption), parent);
    case K::Label: return Label(Q(spec.caption), parent);
    case K::PictureBox:
      if (spec.id == ControlId::Pictemp) return new PreviewSurface(parent);
      return StripFrame(parent);
    case K::Rectangle: return FilledBox(parent, QColor(192, 192, 192));
    case K::Line:
      return new DecorationLine(QPoint(Pixels(spec.left), Pixels(spec.top)),
                                QPoint(Pixels(spec.width), Pixels(spec.height)), parent);
  }
  throw std::logic_error("unknown control kind");
}

void SetUpList(QTreeWidget* tree, const std::array<const char*, 3>& headers, const std::array<int, 3>& twips) {
  tree->setColumnCount(3);
  tree->setHeaderLabels({QString::fromUtf8(headers[0]), QString::fromUtf8(headers[1]), QString::fromUtf8(headers[2])});
  for (int i = 0; i < 3; ++i) tree->setColumnWidth(i, Pixels(twips[static_cast<std::size_t>(i)]));
  // The last column takes the room the others leave (a little less than its
  // nominal width once a vertical scroll bar shows), so that the list scrolls
  // sideways only when the first two columns do not fit.
  tree->header()->setStretchLastSection(false);
  tree->header()->setSectionResizeMode(2, QHeaderView::Stretch);
  tree->setRootIsDecorated(false);
  tree->setSortingEnabled(false);  // rows stand one to one beside their records
  tree->setUniformRowHeights(true);
  tree->setSelectionMode(QAbstractItemView::SingleSelection);
  tree->setSelectionBehavior(QAbstractItemView::SelectRows);
  tree->setAllColumnsShowFocus(true);
  tree->setIconSize(QSize(16, 16));
  tree->setFont(WindowFont(14));
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
    for (QChar c : Q(pattern)) {
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
  for (const ControlSpec& spec : ControlTable()) {
    QWidget* parent = spec.container == ControlId::Window ? this : control(spec.container);
    QWidget* widget = MakeControl(spec, parent);
    widget->setObjectName(Q(spec.name));
    // Set on each control: a frame's style sheet would otherwise hand its
    // contents the application's font instead of the window's.
    widget->setFont(font());
    if (spec.kind != ControlKind::Line) {
      widget->setGeometry(Pixels(spec.left), Pixels(spec.top), Pixels(spec.width), Pixels(spec.height));
    }
    // Lines and labels lie on their container's surface, under its controls; the
    // progress strip's label stays over its bar.
    if (spec.kind == ControlKind::Line || (spec.kind == ControlKind::Label && spec.container != ControlId::pic_info)) {
      widget->lower();
    }
    widget->setEnabled(spec.enabled);
    if (!spec.visible) widget->hide();
    controls_.at(static_cast<std::size_t>(spec.id)) = widget;
  }
  preview_ = static_cast<PreviewSurface*>(control(ControlId::Pictemp));
  AddStripBorder(control(ControlId::pic_info));
  auto* progressText = static_cast<QLabel*>(control(ControlId::txt_info));
  progressText->setAlignment(Qt::AlignCenter);
  progressText->setFont(WindowFont(16, true));
  // The clock units at 10.5 pt put 时, 分 and 秒 each right after its field's buttons.
  control(ControlId::Label4)->setFont(UnitLabelFont(14));
  control(ControlId::Label1)->setFont(UnitLabelFont(12));
  for (const ControlSpec& spec : ControlTable()) {
    if (spec.kind == ControlKind::CheckBox || spec.kind == ControlKind::OptionButton ||
        spec.kind == ControlKind::Label) {
      CondenseToFit(control(spec.id), Q(spec.caption));
    }
  }
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
