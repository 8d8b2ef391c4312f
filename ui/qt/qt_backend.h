// The desktop backend of the window engine. It renders the engine's window
// models with Qt Widgets, measures text in the mapped desktop fonts, and
// drives the procedure threads from Qt's event loop: after every user
// action (and every tick of its timer, which runs while a window has a
// timer or a thread is paused between two tries of a wait) it resumes the
// threads that can go on, so no procedure ever runs a nested event loop.
//
// Usage: construct the backend, then the Engine over it, then setEngine();
// start the main procedure and run QApplication::exec(). programFinished is
// emitted once when the program has ended.
#pragma once

#include <QObject>
#include <QPrinter>
#include <QTimer>
#include <map>
#include <memory>

#include "ui/backend.h"
#include "ui/engine.h"

class QMenu;

namespace linkar::ui::qt {

class FrameWindow;
class MessageDialog;
class WindowHost;
class WindowView;

class QtBackend : public QObject, public Backend {
  Q_OBJECT

 public:
  // The timer ticks this often at most (the engine counts in hundredths).
  static constexpr int kTimerMilliseconds = 10;

  QtBackend();
  ~QtBackend() override;

  void setEngine(Engine* engine) { m_engine = engine; }
  Engine* engine() const { return m_engine; }

  // Home context: resumes every thread that can go on, then brings the
  // desktop up to date with the models and shows pending popup menus.
  void pump();
  // Runs pump() from the event loop as soon as possible.
  void requestPump();

  bool ended() const { return m_ended; }
  // Whether the ticker runs: while a window has a timer or a thread is paused.
  bool ticking() const { return m_ticker.isActive(); }
  int exitCode() const { return m_exitCode; }

  // The desktop widgets of open windows (for tests and screenshots).
  FrameWindow* frame() const { return m_frame.get(); }
  WindowView* view(int windowId) const;
  QWidget* outer(int windowId) const;
  MessageDialog* messageDialog(int windowId) const;
  QMenu* openPopup() const { return m_popup; }
  // The file dialog a thread waits for, or null.
  QWidget* fileDialog(int threadNumber) const;

  // The printer the print set-up dialog configures and reports print to.
  QPrinter& printer();

  // ---- Backend ----
  int textWidth(const FontDescription& font, std::string_view text) override;
  int textHeight(const FontDescription& font) override;
  TextExtent measureWrapped(const FontDescription& font, std::string_view text, int maxWidth) override;
  int iconSize() override;
  void windowOpened(Window& w) override;
  void windowChanged(Window& w) override;
  void windowClosed(Window& w) override;
  void standardAction(std::string_view action) override;
  void beep() override;
  void showFatal(std::string_view caption, std::string_view message) override;
  void programEnded(int code) override;

 signals:
  void programFinished(int exitCode);

 private:
  void refreshAll();
  void refreshWindow(const Window& w);
  void showPopups();
  void showFileDialogs();
  // Whether a paused thread's wake-up time has come.
  bool pauseOver() const;
  void updateTicker();

  Engine* m_engine = nullptr;
  std::unique_ptr<FrameWindow> m_frame;
  std::map<int, std::unique_ptr<WindowHost>> m_hosts;
  std::map<int, std::unique_ptr<MessageDialog>> m_boxes;
  QMenu* m_popup = nullptr;             // deleted when closed
  std::map<int, QWidget*> m_fileDialogs;  // by thread number; each deletes itself on close
  QTimer m_ticker;
  std::unique_ptr<QPrinter> m_printer;  // made when first needed
  bool m_pumping = false;
  bool m_pumpQueued = false;
  bool m_ended = false;
  bool m_finishedSent = false;
  int m_exitCode = 0;
};

}  // namespace linkar::ui::qt
