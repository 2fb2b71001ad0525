#include "app/qt/control_widgets.h"

#include <QCheckBox>
#include <QColor>
#include <QFontMetricsF>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>  // max
#include <stdexcept>
#include <string_view>

#include "app/qt/preview_surface.h"

namespace geoframe {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
int Pixels(int twips) { return twips / kTwipsPerPixel; }

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

// One control of the table under its parent, in the window's font, with its
// name, place, state and visibility from the table.
QWidget* PlaceControl(const ControlSpec& spec, QWidget* parent, const QFont& windowFont) {
  QWidget* widget = MakeControl(spec, parent);
  widget->setObjectName(Q(spec.name));
  // Set on each control: a frame's style sheet would otherwise hand its
  // contents the application's font instead of the window's.
  widget->setFont(windowFont);
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
  return widget;
}

QWidget* ControlOf(const ControlWidgets& controls, ControlId id) { return controls.at(static_cast<std::size_t>(id)); }

// What the table does not say: the progress strip's border and centred bold
// text, the unit labels' fonts, and captions condensed to their room.
void FinishControls(const ControlWidgets& controls) {
  AddStripBorder(ControlOf(controls, ControlId::pic_info));
  auto* progressText = static_cast<QLabel*>(ControlOf(controls, ControlId::txt_info));
  progressText->setAlignment(Qt::AlignCenter);
  progressText->setFont(WindowFont(16, true));
  // The clock units at 10.5 pt put 时, 分 and 秒 each right after its field's buttons.
  ControlOf(controls, ControlId::Label4)->setFont(UnitLabelFont(14));
  ControlOf(controls, ControlId::Label1)->setFont(UnitLabelFont(12));
  for (const ControlSpec& spec : ControlTable()) {
    if (spec.kind == ControlKind::CheckBox || spec.kind == ControlKind::OptionButton ||
        spec.kind == ControlKind::Label) {
      CondenseToFit(ControlOf(controls, spec.id), Q(spec.caption));
    }
  }
}

}  // namespace

QFont WindowFont(int pixelSize, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC")});
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

ControlWidgets MakeControls(QWidget& window) {
  ControlWidgets controls{};
  for (const ControlSpec& spec : ControlTable()) {
    QWidget* parent = spec.container == ControlId::Window ? &window : ControlOf(controls, spec.container);
    controls.at(static_cast<std::size_t>(spec.id)) = PlaceControl(spec, parent, window.font());
  }
  FinishControls(controls);
  return controls;
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

}  // namespace geoframe
