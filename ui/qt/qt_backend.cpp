// The desktop backend: window hosting, text metrics, standard actions,
// popups and the scheduling of procedure threads from the event loop: a
// pump after every user action, and a ticker while windows have timers or
// threads are paused between two tries of a wait.

#include "ui/qt/qt_backend.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFontMetrics>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <cstdio>

#include "platform/clock.h"
#include "ui/key_codes.h"
#include "ui/message_box.h"
#include "ui/qt/desktop_fonts.h"
#include "ui/qt/display_text.h"
#include "ui/qt/file_dialogs.h"
#include "ui/qt/frame_window.h"
#include "ui/qt/message_dialog.h"
#include "ui/qt/qt_printer.h"
#include "ui/qt/window_host.h"
#include "ui/qt/window_view.h"

namespace linkar::ui::qt {
namespace {

// Height of the rectangle text is wrapped into when measuring: no text the
// engine measures comes near it.
constexpr int kMeasureHeight = 100000;
// The standard icons are drawn this many pixels square.
constexpr int kIconPixels = 32;

}  // namespace

QtBackend::QtBackend() {
  m_ticker.setInterval(kTimerMilliseconds);
  connect(&m_ticker, &QTimer::timeout, this, [this] {
    if (!m_engine || m_engine->programEnded()) return;
    // A window's timer event, or a thread whose pause between two tries is over.
    bool timers = m_engine->postTimers() > 0;
    if (timers || pauseOver()) pump();
  });
  // Reports print on the printer the print set-up dialog configures.
  installQtPrinter([this]() -> QPrinter& { return printer(); });
}

QtBackend::~QtBackend() {
  m_ticker.stop();
  uninstallQtPrinter();
  // The engine may be gone already: closing the children must not reach it.
  if (m_frame) m_frame->mdiArea()->blockSignals(true);
  for (auto& [id, host] : m_hosts) host->view()->detach();
  if (m_popup) m_popup->deleteLater();
  m_boxes.clear();
  m_hosts.clear();
  m_frame.reset();
}

void QtBackend::requestPump() {
  if (m_pumpQueued) return;
  m_pumpQueued = true;
  QTimer::singleShot(0, this, [this] {
    m_pumpQueued = false;
    pump();
  });
}

void QtBackend::pump() {
  if (!m_engine || m_pumping) return;
  m_pumping = true;
  m_engine->runReady();
  refreshAll();
  showPopups();
  showFileDialogs();
  updateTicker();
  m_pumping = false;
  if (m_engine->programEnded() && !m_finishedSent) {
    m_finishedSent = true;
    m_ended = true;
    m_exitCode = m_engine->exitCode();
    emit programFinished(m_exitCode);
  }
}

void QtBackend::refreshAll() {
  for (Window* w : m_engine->registry().windows()) refreshWindow(*w);
}

void QtBackend::refreshWindow(const Window& w) {
  if (w.kind() == WindowKind::Application) {
    if (!m_frame || m_frame->windowId() != w.id()) return;
    const Window* active = nullptr;
    int activeId = m_engine->registry().activeWindow();
    if (activeId != w.id()) active = m_engine->window(activeId);
    m_frame->refresh(w, active);
    return;
  }
  auto it = m_hosts.find(w.id());
  if (it != m_hosts.end()) it->second->refresh(w);
}

void QtBackend::showPopups() {
  if (m_popup) return;
  for (int thread = 1; thread <= ProcedureThreads::kSlots; ++thread) {
    const PopupMenu* menu = m_engine->dialogs().popupMenu(thread);
    if (!menu || menu->result >= 0) continue;
    m_popup = new QMenu(m_frame.get());
    // Set once an item is chosen: the thread cannot put up another popup
    // before it has this one's answer, so a hide without a choice is a dismissal.
    auto chosen = std::make_shared<bool>(false);
    int number = 0;
    for (size_t i = 0; i < menu->items.size(); ++i) {
      if (menu->items[i] == "-") {
        m_popup->addSeparator();
        continue;
      }
      int item = ++number;
      QAction* a = m_popup->addAction(toDisplay(menu->items[i]));
      a->setEnabled(menu->enabled[i]);
      connect(a, &QAction::triggered, this, [this, item, thread, chosen] {
        if (*chosen) return;
        *chosen = true;
        m_engine->input().choosePopup(thread, item);
        requestPump();
      });
    }
    connect(m_popup, &QMenu::aboutToHide, this, [this, thread, chosen] {
      QMenu* closing = m_popup;
      m_popup = nullptr;
      // The chosen action is triggered after the menu hides.
      QTimer::singleShot(0, this, [this, closing, thread, chosen] {
        if (!*chosen) {
          *chosen = true;
          m_engine->input().choosePopup(thread, 0);
        }
        if (closing) closing->deleteLater();
        requestPump();
      });
    });
    m_popup->popup(QCursor::pos());
    return;
  }
}

void QtBackend::showFileDialogs() {
  for (int thread = 1; thread <= ProcedureThreads::kSlots; ++thread) {
    const FileDialog* request = m_engine->dialogs().openFileDialog(thread);
    if (!request || request->result >= 0 || m_fileDialogs.count(thread)) continue;
    QFileDialog* dialog = makeFileDialog(request->request, m_frame.get());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_fileDialogs[thread] = dialog;
    connect(dialog, &QFileDialog::finished, this, [this, thread, dialog](int result) {
      m_fileDialogs.erase(thread);
      std::optional<std::string> chosen;
      if (result == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        chosen = fromDisplay(dialog->selectedFiles().first());
      // A name the engine refuses (not an existing file where one is
      // needed) counts as cancelled: the procedure must not wait forever.
      if (!m_engine->input().answerFileDialog(thread, chosen) && chosen)
        m_engine->input().answerFileDialog(thread, std::nullopt);
      requestPump();
    });
    dialog->open();
  }
}

bool QtBackend::pauseOver() const {
  auto wakeUp = m_engine->scheduler().nextWakeUp();
  return wakeUp && *wakeUp <= platform::monotonicMilliseconds();
}

void QtBackend::updateTicker() {
  // The ticker runs while a window has a timer or a thread is paused.
  bool any = m_engine->scheduler().nextWakeUp().has_value();
  for (Window* w : m_engine->registry().windows())
    if (w->timer() > 0) any = true;
  if (any && !m_ticker.isActive()) m_ticker.start();
  if (!any && m_ticker.isActive()) m_ticker.stop();
}

WindowView* QtBackend::view(int windowId) const {
  auto it = m_hosts.find(windowId);
  return it == m_hosts.end() ? nullptr : it->second->view();
}

QWidget* QtBackend::outer(int windowId) const {
  if (m_frame && m_frame->windowId() == windowId) return m_frame.get();
  auto it = m_hosts.find(windowId);
  if (it != m_hosts.end()) return it->second->outer();
  auto box = m_boxes.find(windowId);
  return box == m_boxes.end() ? nullptr : box->second.get();
}

QWidget* QtBackend::fileDialog(int threadNumber) const {
  auto it = m_fileDialogs.find(threadNumber);
  return it == m_fileDialogs.end() ? nullptr : it->second;
}

MessageDialog* QtBackend::messageDialog(int windowId) const {
  auto it = m_boxes.find(windowId);
  return it == m_boxes.end() ? nullptr : it->second.get();
}

int QtBackend::textWidth(const FontDescription& font, std::string_view text) {
  return QFontMetrics(desktopFont(font)).horizontalAdvance(toDisplay(text));
}

int QtBackend::textHeight(const FontDescription& font) { return QFontMetrics(desktopFont(font)).height(); }

TextExtent QtBackend::measureWrapped(const FontDescription& font, std::string_view text, int maxWidth) {
  QString shown = toDisplay(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QRect r = QFontMetrics(desktopFont(font)).boundingRect(QRect(0, 0, maxWidth, kMeasureHeight),
                                                          Qt::TextWordWrap | Qt::AlignLeft, shown);
  return TextExtent{r.width(), r.height()};
}

int QtBackend::iconSize() { return kIconPixels; }

void QtBackend::windowOpened(Window& w) {
  auto after = [this] { requestPump(); };
  switch (w.kind()) {
    case WindowKind::Application: {
      m_frame = std::make_unique<FrameWindow>(*m_engine, w, after);
      m_frame->show();
      break;
    }
    case WindowKind::MessageBox: {
      QWidget* owner = m_frame.get();
      auto box = std::make_unique<MessageDialog>(w, owner);
      int id = w.id();
      connect(box.get(), &MessageDialog::buttonPressed, this, [this, id](int field) {
        m_engine->input().press(id, field);
        requestPump();
      });
      connect(box.get(), &MessageDialog::escapePressed, this, [this, id] {
        m_engine->input().key(id, 0, Key::kEscKey, 0);
        requestPump();
      });
      if (owner) {
        QRect area = owner->geometry();
        box->move(area.center() - QPoint(box->width() / 2, box->height() / 2));
      }
      box->show();
      box->raise();
      box->activateWindow();
      if (QPushButton* b = box->button(w.focus())) b->setFocus(Qt::OtherFocusReason);
      m_boxes[id] = std::move(box);
      break;
    }
    case WindowKind::Window: {
      QMdiArea* area = m_frame ? m_frame->mdiArea() : nullptr;
      auto host = std::make_unique<WindowHost>(*m_engine, w, area, m_frame.get(), after);
      if (host->subWindow() && area) area->setActiveSubWindow(host->subWindow());
      m_hosts[w.id()] = std::move(host);
      break;
    }
    case WindowKind::Report:
      break;  // a report is printed through its pages, never shown as a window
  }
}

void QtBackend::windowChanged(Window& w) { refreshWindow(w); }

void QtBackend::windowClosed(Window& w) {
  if (m_frame && m_frame->windowId() == w.id()) {
    m_hosts.clear();
    m_frame->hide();
    m_frame.release()->deleteLater();
    return;
  }
  if (auto box = m_boxes.find(w.id()); box != m_boxes.end()) {
    MessageDialog* dialog = box->second.release();
    m_boxes.erase(box);
    dialog->hide();
    dialog->deleteLater();
    return;
  }
  m_hosts.erase(w.id());
}

void QtBackend::standardAction(std::string_view action) {
  if (action == "printsetup") {
    // The page set-up dialog works only with a system printer; with none
    // (printing to a PDF file) the printer dialog chooses printer and paper.
    QDialog* dialog = nullptr;
    if (printer().outputFormat() == QPrinter::NativeFormat) {
      dialog = new QPageSetupDialog(&printer(), m_frame.get());
    } else {
      auto* choose = new QPrintDialog(&printer(), m_frame.get());
      choose->setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
      dialog = choose;
    }
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Print Setup"));
    dialog->open();
    return;
  }
  if (!m_frame) return;
  if (action == "tile") m_frame->mdiArea()->tileSubWindows();
  else if (action == "cascade") m_frame->mdiArea()->cascadeSubWindows();
  else if (action == "arrange") m_frame->arrangeIcons();
}

QPrinter& QtBackend::printer() {
  if (!m_printer) m_printer = makeSystemPrinter();
  return *m_printer;
}

void QtBackend::beep() { QApplication::beep(); }

void QtBackend::showFatal(std::string_view caption, std::string_view message) {
  Backend::showFatal(caption, message);
  // No procedure thread can wait for it: shown on its own, closed by OK.
  MessageRequest r;
  r.text = prepareMessageText(message);
  r.title = std::string(caption);
  r.icon = Icon::kHand;
  r.buttons = Button::kOk;
  MessageLayout layout = layoutMessage(*this, messageFont(true), r.text, true, 1);
  Window model(0, 0, buildMessageStructure(r, layout), WindowKind::MessageBox);
  auto* dialog = new MessageDialog(model, m_frame.get());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &MessageDialog::buttonPressed, dialog, &QWidget::deleteLater);
  connect(dialog, &MessageDialog::escapePressed, dialog, &QWidget::deleteLater);
  dialog->show();
}

void QtBackend::programEnded(int code) {
  m_ended = true;
  m_exitCode = code;
  requestPump();
}

}  // namespace linkar::ui::qt
