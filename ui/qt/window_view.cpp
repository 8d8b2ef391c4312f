// Building and refreshing a window's controls. Controls sit at absolute
// positions as declared; a sheet is a tab bar over a panel, and the
// controls of its tabs are shown only while their tab is chosen.

#include "ui/qt/window_view.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

#include "ui/event_codes.h"
#include "ui/key_codes.h"
#include "ui/qt/display_text.h"
#include "ui/qt/list_control.h"
#include "ui/qt/page_image.h"

namespace linkar::ui::qt {
namespace {

// An edit box that reports leaving it, so that a changed value is accepted
// when the focus moves on, as with Enter.
template <typename Base>
class EditBox : public Base {
 public:
  using Base::Base;
  std::function<void()> onLeave;
  std::function<void()> onEnter;

 protected:
  void focusInEvent(QFocusEvent* e) override {
    Base::focusInEvent(e);
    if (onEnter) onEnter();
  }
  void focusOutEvent(QFocusEvent* e) override {
    Base::focusOutEvent(e);
    if (onLeave) onLeave();
  }
};

// A transparent area that reports clicks.
class ClickRegion : public QWidget {
 public:
  using QWidget::QWidget;
  std::function<void()> onClick;

 protected:
  void mouseReleaseEvent(QMouseEvent*) override {
    if (onClick) onClick();
  }
};

// Height in dialog units of a one-line entry.
constexpr int kEntryHeight = 10;

// An image declared over the whole window (a zoomed page).
bool fillsWindow(const ControlDecl& c, const Structure& s) {
  return c.at && c.at->x == 0 && c.at->y == 0 && c.at->width >= s.at.width && c.at->height >= s.at.height;
}

// A window of images that may be sized: its controls grow and shrink with
// it, so that its pages do.
bool scalesWithWindow(const Structure& s) {
  if (!s.resizable) return false;
  bool images = false;
  for (const ControlDecl& c : s.controls) {
    if (c.type == ControlType::List) return false;
    images |= c.type == ControlType::Image;
  }
  return images;
}

bool takesFocus(ControlType t) {
  return t == ControlType::Button || t == ControlType::Entry || t == ControlType::Spin ||
         t == ControlType::Text || t == ControlType::List;
}

}  // namespace

WindowView::WindowView(Engine& engine, const Window& w, std::function<void()> afterInput, QWidget* parent)
    : QWidget(parent), m_engine(engine), m_id(w.id()), m_afterInput(std::move(afterInput)), m_layout(w.decl()),
      m_scales(scalesWithWindow(w.decl())) {
  QFont font = desktopFont(w.decl());
  setFont(font);
  m_units = dialogUnits(font);
  setAutoFillBackground(true);
  build(w);
  refresh(w);
  syncRowsQuietly();
}

void WindowView::after() {
  if (m_afterInput) m_afterInput();
}

void WindowView::userFocus(int field) {
  if (m_applying) return;
  Window* w = m_engine.window(m_id);
  if (!w || w->focus() == field) return;
  m_appliedFocus = field;
  m_engine.input().focus(m_id, field);
  after();
}

void WindowView::build(const Window& w) {
  const Structure& s = w.decl();
  bool hasMenu = false;
  for (const ControlDecl& c : s.controls)
    if (c.type == ControlType::Menu || c.type == ControlType::Item) hasMenu = true;
  if (hasMenu) {
    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);
    m_menus = buildMenus(m_menuBar, s, [this](int field) {
      if (m_applying) return;
      m_engine.input().press(m_id, field);
      after();
    });
    m_menuHeight = m_menuBar->sizeHint().height();
    m_menuBar->setGeometry(0, 0, m_units.toPixelsX(s.at.width), m_menuHeight);
  }
  m_designed = QSize(m_units.toPixelsX(s.at.width), m_units.toPixelsY(s.at.height) + m_menuHeight);
  resize(m_designed);

  std::vector<QWidget*> sheets;
  for (size_t i = 0; i < s.controls.size(); ++i) {
    const ControlDecl& c = s.controls[i];
    if (c.type == ControlType::Tab) {
      int number = 0;
      for (size_t j = 0; j <= i; ++j)
        if (s.controls[j].type == ControlType::Tab && s.controls[j].parent == c.parent) ++number;
      m_tabNumber[c.field] = number;
      int sheetField = c.parent >= 0 ? s.controls[static_cast<size_t>(c.parent)].field : 0;
      auto it = m_controls.find(sheetField);
      if (it != m_controls.end()) {
        auto* bar = it->second.widget->findChild<QTabBar*>();
        if (bar) bar->addTab(toDisplay(c.text));
      }
      continue;
    }
    QWidget* widget = makeControl(c, w);
    if (!widget) continue;
    if (c.at) {
      QRect at = m_units.toPixels(*c.at).translated(0, m_menuHeight);
      // A control declared without a size takes the size its content needs.
      if (c.at->width == 0 || c.at->height == 0) {
        widget->adjustSize();
        if (c.at->width == 0) at.setWidth(widget->width());
        // As high as an entry, so a prompt lines up with the entry beside it.
        if (c.at->height == 0) at.setHeight(std::max(widget->height(), m_units.toPixelsY(kEntryHeight)));
      }
      widget->setGeometry(at);
    }
    m_controls[c.field] = Control{c.type, widget, i, widget->geometry()};
    if (c.type == ControlType::Sheet) sheets.push_back(widget);
  }
  // Sheets lie under the controls drawn on them, whatever the declaration order.
  for (QWidget* sheet : sheets) sheet->lower();

  // A prompt's mnemonic moves the focus to the control declared after it.
  for (size_t i = 0; i < s.controls.size(); ++i) {
    if (s.controls[i].type != ControlType::Prompt) continue;
    auto* label = qobject_cast<QLabel*>(widget(s.controls[i].field));
    for (size_t j = i + 1; label && j < s.controls.size(); ++j) {
      if (!takesFocus(s.controls[j].type)) continue;
      label->setBuddy(widget(s.controls[j].field));
      break;
    }
  }
}

QWidget* WindowView::makeControl(const ControlDecl& c, const Window& w) {
  int field = c.field;
  switch (c.type) {
    case ControlType::Button: {
      auto* b = new QPushButton(toDisplay(c.text), this);
      b->setAutoDefault(false);
      b->setDefault(c.isDefault);
      connect(b, &QPushButton::clicked, this, [this, field] {
        if (m_applying) return;
        m_engine.input().press(m_id, field);
        after();
      });
      return b;
    }
    case ControlType::Prompt: {
      auto* l = new QLabel(toDisplay(c.text), this);
      l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      return l;
    }
    case ControlType::String: {
      // Its declared text from the start, so that a string declared without
      // a size is measured by what it says.
      auto* l = new QLabel(toDisplay(c.text), this);
      l->setTextFormat(Qt::PlainText);
      l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      return l;
    }
    case ControlType::Entry:
    case ControlType::Spin: {
      auto* e = new EditBox<QLineEdit>(this);
      if (c.length > 0) e->setMaxLength(c.length);
      auto accept = [this, e, field] {
        if (m_applying) return;
        Window* model = m_engine.window(m_id);
        if (!model || !model->hasField(field)) return;
        std::string typed = fromDisplay(e->text());
        if (typed == model->text(field) && !e->isModified()) return;
        e->setModified(false);
        m_engine.input().type(m_id, field, typed);
        after();
      };
      e->onLeave = accept;
      e->onEnter = [this, field] { userFocus(field); };
      connect(e, &QLineEdit::returnPressed, this, accept);
      return e;
    }
    case ControlType::Text: {
      auto* t = new EditBox<QPlainTextEdit>(this);
      t->onLeave = [this, t, field] {
        if (m_applying) return;
        Window* model = m_engine.window(m_id);
        if (!model || !model->hasField(field)) return;
        std::string typed = fromDisplay(t->toPlainText());
        if (typed == model->text(field)) return;
        m_engine.input().type(m_id, field, typed);
        after();
      };
      t->onEnter = [this, field] { userFocus(field); };
      return t;
    }
    case ControlType::List: {
      auto* l = new ListControl(c, m_units, this);
      connect(l, &ListControl::rowClicked, this, [this, field](int row, int key) {
        m_engine.input().selectRow(m_id, field, row, key);
        after();
      });
      connect(l, &ListControl::keyPressed, this, [this, field](int key, int character) {
        m_engine.input().key(m_id, field, key, character);
        after();
      });
      connect(l, &ListControl::scrollRequested, this, [this, field](int event) {
        if (m_engine.input().scroll(m_id, field, event)) after();
      });
      connect(l, &ListControl::thumbDragged, this, [this, field](int thumb) {
        m_engine.input().thumb(m_id, field, thumb);
        after();
      });
      connect(l, &ListControl::focusEntered, this, [this, field] { userFocus(field); });
      return l;
    }
    case ControlType::Sheet: {
      auto* panel = new QFrame(this);
      panel->setFrameShape(QFrame::NoFrame);
      auto* body = new QFrame(panel);
      body->setFrameShape(QFrame::StyledPanel);
      body->setObjectName(QStringLiteral("sheetBody"));
      auto* bar = new QTabBar(panel);
      bar->setDrawBase(false);
      bar->setExpanding(false);
      connect(bar, &QTabBar::currentChanged, this, [this, field](int index) {
        if (m_applying || index < 0) return;
        m_engine.input().chooseTab(m_id, field, index + 1);
        after();
      });
      return panel;
    }
    case ControlType::Progress: {
      auto* p = new QProgressBar(this);
      p->setRange(0, 100);
      p->setTextVisible(false);
      return p;
    }
    case ControlType::Image:
      return new PageImage(fillsWindow(c, w.decl()), this);
    case ControlType::Box: {
      auto* f = new QFrame(this);
      f->setFrameShape(QFrame::Box);
      return f;
    }
    case ControlType::Region: {
      auto* r = new ClickRegion(this);
      r->onClick = [this, field] {
        m_engine.input().press(m_id, field);
        after();
      };
      return r;
    }
    default:
      (void)w;
      return nullptr;  // menus are in the menu bar; tabs in their sheet
  }
}

bool WindowView::shown(const Window& w, size_t index) const {
  const Structure& s = w.decl();
  while (index < s.controls.size()) {
    const ControlDecl& c = s.controls[index];
    if (w.state(c.field).hidden) return false;
    if (c.type == ControlType::Tab && c.parent >= 0) {
      int sheet = s.controls[static_cast<size_t>(c.parent)].field;
      auto it = m_tabNumber.find(c.field);
      if (it != m_tabNumber.end() && w.state(sheet).selection != it->second) return false;
    }
    if (c.parent < 0) return true;
    index = static_cast<size_t>(c.parent);
  }
  return false;
}

void WindowView::refresh(const Window& w) {
  m_applying = true;
  const Structure& s = w.decl();
  for (size_t i = 0; i < s.controls.size(); ++i) {
    const ControlDecl& c = s.controls[i];
    auto it = m_controls.find(c.field);
    if (it == m_controls.end()) continue;
    QWidget* widget = it->second.widget;
    const ControlState& st = w.state(c.field);
    widget->setVisible(shown(w, i));
    widget->setEnabled(st.enabled);
    if (!st.status.empty()) widget->setStatusTip(toDisplay(st.status));
    QString text = toDisplay(st.text);
    switch (c.type) {
      case ControlType::Button:
        if (auto* b = static_cast<QPushButton*>(widget); b->text() != text) b->setText(text);
        break;
      case ControlType::Prompt:
      case ControlType::String:
        if (auto* l = static_cast<QLabel*>(widget); l->text() != text) l->setText(text);
        break;
      case ControlType::Entry:
      case ControlType::Spin:
        if (auto* e = static_cast<QLineEdit*>(widget); !e->hasFocus() || !e->isModified()) {
          if (e->text() != text) {
            e->setText(text);
            // Show the value's beginning, not the blanks its picture pads it with.
            e->setCursorPosition(0);
          }
        }
        break;
      case ControlType::Text:
        if (auto* t = static_cast<QPlainTextEdit*>(widget); !t->hasFocus() && t->toPlainText() != text)
          t->setPlainText(text);
        break;
      case ControlType::List:
        static_cast<ListControl*>(widget)->refresh(st);
        break;
      case ControlType::Sheet: {
        layoutSheet(widget);
        auto* bar = widget->findChild<QTabBar*>();
        if (bar && st.selection >= 1 && st.selection <= bar->count()) bar->setCurrentIndex(st.selection - 1);
        break;
      }
      case ControlType::Progress:
        static_cast<QProgressBar*>(widget)->setValue(st.progress);
        break;
      case ControlType::Image:
        static_cast<PageImage*>(widget)->setSource(text);
        break;
      case ControlType::Region:
        // A closed region lets clicks through to what lies under it.
        widget->setAttribute(Qt::WA_TransparentForMouseEvents, !st.enabled);
        break;
      default:
        break;
    }
  }
  refreshMenus(m_menus, w);
  if (w.focus() != m_appliedFocus) {
    m_appliedFocus = w.focus();
    if (QWidget* target = widget(w.focus())) target->setFocus(Qt::OtherFocusReason);
  }
  m_applying = m_detached;
}

void WindowView::layoutSheet(QWidget* sheet) {
  auto* bar = sheet->findChild<QTabBar*>();
  auto* body = sheet->findChild<QFrame*>(QStringLiteral("sheetBody"));
  if (!bar || !body) return;
  int barHeight = bar->sizeHint().height();
  bar->setGeometry(0, 0, sheet->width(), barHeight);
  body->setGeometry(0, barHeight - 1, sheet->width(), sheet->height() - barHeight + 1);
}

void WindowView::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (m_scales) scaleControls();
  if (!m_layout.follows()) return;
  layoutControls();
  reportRowsLater();
}

void WindowView::layoutControls() {
  QSize grown = size() - m_designed;
  for (const auto& [field, c] : m_controls) {
    if (static_cast<int>(c.index) != m_layout.stretchedList()) continue;
    // The list keeps its header and one row, however small the window gets.
    QSize least = static_cast<ListControl*>(c.widget)->minimumListSize();
    grown = grown.expandedTo(least - c.designed.size());
  }
  for (const auto& [field, c] : m_controls) {
    c.widget->setGeometry(m_layout.place(c.index, c.designed, grown));
    if (c.type == ControlType::Sheet) layoutSheet(c.widget);
  }
  if (m_menuBar) m_menuBar->setGeometry(0, 0, width(), m_menuHeight);
}

void WindowView::scaleControls() {
  const int designedBody = m_designed.height() - m_menuHeight;
  if (m_designed.width() <= 0 || designedBody <= 0) return;
  const double sx = static_cast<double>(width()) / m_designed.width();
  const double sy = static_cast<double>(height() - m_menuHeight) / designedBody;
  for (const auto& [field, c] : m_controls) {
    const QRect d = c.designed.translated(0, -m_menuHeight);
    c.widget->setGeometry(QRect(QPoint(qRound(d.x() * sx), qRound(d.y() * sy) + m_menuHeight),
                                QPoint(qRound((d.right() + 1) * sx) - 1, qRound((d.bottom() + 1) * sy) + m_menuHeight - 1)));
  }
  if (m_menuBar) m_menuBar->setGeometry(0, 0, width(), m_menuHeight);
}

void WindowView::syncRowsQuietly() {
  Window* model = m_engine.window(m_id);
  if (!model) return;
  for (const auto& [field, c] : m_controls)
    if (c.type == ControlType::List) model->setVisibleRows(field, static_cast<ListControl*>(c.widget)->wholeRows());
}

void WindowView::reportRowsLater() {
  if (m_rowsQueued || m_detached) return;
  m_rowsQueued = true;
  QTimer::singleShot(0, this, [this] {
    m_rowsQueued = false;
    if (m_detached) return;
    bool changed = false;
    for (const auto& [field, c] : m_controls)
      if (c.type == ControlType::List)
        changed |= m_engine.input().listRows(m_id, field, static_cast<ListControl*>(c.widget)->wholeRows());
    if (changed) after();
  });
}

QWidget* WindowView::widget(int field) const {
  auto it = m_controls.find(field);
  return it == m_controls.end() ? nullptr : it->second.widget;
}

ListControl* WindowView::list(int field) const {
  auto it = m_controls.find(field);
  if (it == m_controls.end() || it->second.type != ControlType::List) return nullptr;
  return static_cast<ListControl*>(it->second.widget);
}

void WindowView::keyPressEvent(QKeyEvent* e) {
  int code = keyCodeOf(e->key(), e->modifiers());
  if (code == Key::kEnterKey || code == Key::kEscKey) {
    Window* model = m_engine.window(m_id);
    if (model) {
      if (code == Key::kEscKey) m_engine.input().close(m_id);
      else m_engine.input().key(m_id, 0, code, 0);
      after();
      return;
    }
  }
  QWidget::keyPressEvent(e);
}

}  // namespace linkar::ui::qt
