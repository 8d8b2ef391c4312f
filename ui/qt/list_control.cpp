// The list control's drawing and input. Rows are drawn from the model only;
// every scrolling gesture becomes a scroll event for the procedure.

#include "ui/qt/list_control.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <algorithm>

#include "ui/event_codes.h"
#include "ui/key_codes.h"
#include "ui/qt/display_text.h"

namespace linkar::ui::qt {
namespace {

// One notch of a mouse wheel, in eighths of a degree.
constexpr int kWheelNotch = 120;
// Rows one notch of the wheel scrolls, as on the rest of the desktop.
constexpr int kRowsPerNotch = 3;
// Narrowest the list gets when its window shrinks, in dialog units.
constexpr int kMinListWidthUnits = 40;
// Pixels either side of a column edge that grab it for resizing.
constexpr int kResizeGrip = 3;
// Narrowest a column can be dragged to, in pixels.
constexpr int kMinColumnPixels = 8;
// Pixels between a cell's edge and its text when the format gives no indent.
constexpr int kCellPadding = 2;

Qt::Alignment alignmentOf(Justify j) {
  switch (j) {
    case Justify::Right: case Justify::Decimal: return Qt::AlignRight | Qt::AlignVCenter;
    case Justify::Center: return Qt::AlignHCenter | Qt::AlignVCenter;
    case Justify::Left: break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

int keyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers) {
  int code = 0;
  switch (qtKey) {
    case Qt::Key_Backspace: code = Key::kBackspace; break;
    case Qt::Key_Tab: code = Key::kTab; break;
    case Qt::Key_Return: case Qt::Key_Enter: code = Key::kEnterKey; break;
    case Qt::Key_Escape: code = Key::kEscKey; break;
    case Qt::Key_Space: code = Key::kSpaceKey; break;
    case Qt::Key_PageUp: code = Key::kPgUpKey; break;
    case Qt::Key_PageDown: code = Key::kPgDnKey; break;
    case Qt::Key_End: code = Key::kEndKey; break;
    case Qt::Key_Home: code = Key::kHomeKey; break;
    case Qt::Key_Left: code = Key::kLeftKey; break;
    case Qt::Key_Up: code = Key::kUpKey; break;
    case Qt::Key_Right: code = Key::kRightKey; break;
    case Qt::Key_Down: code = Key::kDownKey; break;
    case Qt::Key_Insert: code = Key::kInsertKey; break;
    case Qt::Key_Delete: code = Key::kDeleteKey; break;
    default:
      if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) code = Key::kF1Key + (qtKey - Qt::Key_F1);
      else if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        code = qtKey;  // the capital's code, as the program expects
      break;
  }
  if (code == 0) return 0;
  if (modifiers & Qt::ShiftModifier) code |= Key::kShift;
  if (modifiers & Qt::ControlModifier) code |= Key::kCtrl;
  if (modifiers & Qt::AltModifier) code |= Key::kAlt;
  return code;
}

ListControl::ListControl(const ControlDecl& decl, DialogUnits units, QWidget* parent)
    : QWidget(parent), m_units(units) {
  if (decl.format) m_format = *decl.format;
  for (const ListColumn& c : m_format.columns) {
    m_widths.push_back(units.toPixelsX(c.width));
    if (!c.header.empty()) m_hasHeader = true;
  }
  if (m_widths.empty()) m_widths.push_back(0);  // one column filling the list
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  m_bar = new QScrollBar(Qt::Vertical, this);
  m_bar->setRange(0, 100);
  m_bar->setPageStep(10);
  m_bar->setFocusPolicy(Qt::NoFocus);
  connect(m_bar, &QScrollBar::actionTriggered, this, &ListControl::onScrollAction);
  connect(m_bar, &QScrollBar::sliderPressed, this, [this] { m_pressedThumb = m_bar->sliderPosition(); });
  connect(m_bar, &QScrollBar::sliderReleased, this, [this] {
    // A thumb taken and let go where it was has not been dragged.
    if (m_bar->sliderPosition() != m_pressedThumb) emit thumbDragged(m_bar->sliderPosition());
  });
}

int ListControl::rowHeight() const { return fontMetrics().height() + 2; }
int ListControl::headerHeight() const { return m_hasHeader ? rowHeight() + 2 : 0; }

int ListControl::bodyWidth() const { return width() - (m_bar->isHidden() ? 0 : m_bar->width()); }

int ListControl::wholeRows() const { return std::max(1, (height() - 2 - headerHeight()) / rowHeight()); }

QSize ListControl::minimumListSize() const {
  return QSize(m_units.toPixelsX(kMinListWidthUnits), headerHeight() + rowHeight() + 2);
}

QString ListControl::cellText(int row, int column) const {
  if (row < 1 || row > shownRows() || column < 1) return QString();
  const auto& cells = m_rows[static_cast<size_t>(row) - 1];
  return static_cast<size_t>(column) <= cells.size() ? cells[static_cast<size_t>(column) - 1] : QString();
}

void ListControl::refresh(const ControlState& state) {
  m_rows.clear();
  for (const auto& row : state.rows) {
    std::vector<QString> cells;
    for (const auto& cell : row) cells.push_back(toDisplay(cell));
    m_rows.push_back(std::move(cells));
  }
  m_selection = state.selection;
  m_thumb = state.thumb;
  m_bar->setVisible(state.scrollBar);
  if (!m_bar->isSliderDown()) m_bar->setSliderPosition(m_thumb);
  setEnabled(state.enabled);
  update();
}

void ListControl::resizeEvent(QResizeEvent*) {
  int w = m_bar->sizeHint().width();
  m_bar->setGeometry(width() - w - 1, 1, w, height() - 2);
}

int ListControl::rowAt(QPoint at) const {
  int y = at.y() - 1 - headerHeight();
  if (y < 0 || at.x() >= bodyWidth()) return 0;
  int row = y / rowHeight() + 1;
  return row <= static_cast<int>(m_rows.size()) ? row : 0;
}

int ListControl::borderAt(int x) const {
  int right = 1;
  for (size_t i = 0; i < m_format.columns.size(); ++i) {
    right += m_widths[i];
    if (m_format.columns[i].resizable && std::abs(x - right) <= kResizeGrip) return static_cast<int>(i);
  }
  return -1;
}

void ListControl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPalette& pal = palette();
  p.fillRect(rect(), pal.base());
  int body = bodyWidth();
  int rowH = rowHeight();
  int headH = headerHeight();
  size_t columns = std::max<size_t>(1, m_format.columns.size());
  auto columnWidth = [&](size_t i, int x) {
    // The last column runs to the edge.
    return i + 1 == columns ? std::max(m_widths[i], body - x) : m_widths[i];
  };

  if (m_hasHeader) {
    int x = 1;
    for (size_t i = 0; i < columns; ++i) {
      int w = columnWidth(i, x);
      QStyleOptionHeader opt;
      opt.initFrom(this);
      opt.rect = QRect(x, 1, w, headH);
      opt.section = static_cast<int>(i);
      style()->drawControl(QStyle::CE_HeaderSection, &opt, &p, this);
      if (i < m_format.columns.size()) {
        const ListColumn& c = m_format.columns[i];
        int indent = c.headerIndent ? m_units.toPixelsX(*c.headerIndent) : 0;
        QRect text = opt.rect.adjusted(indent + kCellPadding, 0, -kCellPadding, 0);
        // The header may carry a mnemonic; it is shown underlined.
        p.setPen(pal.color(QPalette::ButtonText));
        p.drawText(text, static_cast<int>(alignmentOf(c.headerJustify)) | Qt::TextShowMnemonic,
                   toDisplay(c.header));
      }
      x += w;
      if (x >= body) break;
    }
  }

  p.setClipRect(QRect(1, 1 + headH, body - 1, height() - headH - 2));
  bool focused = hasFocus();
  for (size_t r = 0; r < m_rows.size(); ++r) {
    QRect line(1, 1 + headH + static_cast<int>(r) * rowH, body - 1, rowH);
    if (line.top() > height()) break;
    bool selected = static_cast<int>(r) + 1 == m_selection;
    QColor textColor = pal.color(QPalette::Text);
    if (selected) {
      QPalette::ColorGroup group = focused ? QPalette::Active : QPalette::Inactive;
      p.fillRect(line, pal.brush(group, QPalette::Highlight));
      textColor = pal.color(group, QPalette::HighlightedText);
    }
    int x = 1;
    for (size_t i = 0; i < columns && i < m_rows[r].size(); ++i) {
      int w = columnWidth(i, x);
      int indent = kCellPadding;
      Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
      bool border = false;
      if (i < m_format.columns.size()) {
        const ListColumn& c = m_format.columns[i];
        if (c.indent) indent = m_units.toPixelsX(*c.indent) + kCellPadding;
        align = alignmentOf(c.justify);
        border = c.rightBorder;
      }
      p.setPen(textColor);
      p.drawText(QRect(x + indent, line.top(), w - indent - kCellPadding, rowH), static_cast<int>(align),
                 m_rows[r][i]);
      if (border) {
        p.setPen(pal.color(QPalette::Mid));
        p.drawLine(x + w - 1, line.top(), x + w - 1, line.bottom());
      }
      x += w;
    }
    if (selected && focused) {
      p.setPen(QPen(textColor, 1, Qt::DotLine));
      p.drawRect(line.adjusted(0, 0, -1, -1));
    }
  }
  p.setClipping(false);
  p.setPen(pal.color(QPalette::Dark));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ListControl::keyPressEvent(QKeyEvent* e) {
  int code = keyCodeOf(e->key(), e->modifiers());
  // Tab moves on and Esc belongs to the window: both go to the parent.
  if (code == 0 || (code & ~Key::kShift) == Key::kTab || code == Key::kEscKey) {
    QWidget::keyPressEvent(e);
    return;
  }
  int character = 0;
  if (!e->text().isEmpty() && e->text().at(0).unicode() < 0x100) character = e->text().at(0).unicode();
  emit keyPressed(code, character);
}

void ListControl::wheelEvent(QWheelEvent* e) {
  // Fine-grained wheels send parts of a notch: they add up to whole ones.
  m_wheelRest += e->angleDelta().y();
  int notches = m_wheelRest / kWheelNotch;
  m_wheelRest -= notches * kWheelNotch;
  int event = notches > 0 ? Event::ScrollUp : Event::ScrollDown;
  for (int row = 0; row < std::abs(notches) * kRowsPerNotch; ++row) emit scrollRequested(event);
  e->accept();
}

void ListControl::onScrollAction(int action) {
  int event = 0;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: event = Event::ScrollDown; break;
    case QAbstractSlider::SliderSingleStepSub: event = Event::ScrollUp; break;
    case QAbstractSlider::SliderPageStepAdd: event = Event::PageDown; break;
    case QAbstractSlider::SliderPageStepSub: event = Event::PageUp; break;
    case QAbstractSlider::SliderToMinimum: event = Event::ScrollTop; break;
    case QAbstractSlider::SliderToMaximum: event = Event::ScrollBottom; break;
    default: return;  // a drag: reported when the thumb is let go
  }
  // The procedure decides where the list stands; the thumb stays put.
  m_bar->setSliderPosition(m_thumb);
  emit scrollRequested(event);
}

void ListControl::mousePressEvent(QMouseEvent* e) {
  setFocus(Qt::MouseFocusReason);
  QPoint at = e->position().toPoint();
  if (m_hasHeader && at.y() <= headerHeight()) {
    m_dragColumn = borderAt(at.x());
    m_dragOrigin = at.x();
    return;
  }
  int row = rowAt(at);
  if (row == 0) return;
  int key = e->button() == Qt::RightButton ? Key::kMouseRight
            : e->button() == Qt::MiddleButton ? Key::kMouseCenter : Key::kMouseLeft;
  emit rowClicked(row, key);
}

void ListControl::mouseDoubleClickEvent(QMouseEvent* e) {
  int row = rowAt(e->position().toPoint());
  if (row != 0 && e->button() == Qt::LeftButton) emit rowClicked(row, Key::kMouseLeft2);
}

void ListControl::mouseMoveEvent(QMouseEvent* e) {
  QPoint at = e->position().toPoint();
  if (m_dragColumn >= 0) {
    auto i = static_cast<size_t>(m_dragColumn);
    m_widths[i] = std::max(kMinColumnPixels, m_widths[i] + at.x() - m_dragOrigin);
    m_dragOrigin = at.x();
    update();
    return;
  }
  bool onBorder = m_hasHeader && at.y() <= headerHeight() && borderAt(at.x()) >= 0;
  setCursor(onBorder ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void ListControl::mouseReleaseEvent(QMouseEvent*) { m_dragColumn = -1; }

void ListControl::focusInEvent(QFocusEvent*) {
  update();
  emit focusEntered();
}

void ListControl::focusOutEvent(QFocusEvent*) { update(); }

}  // namespace linkar::ui::qt
