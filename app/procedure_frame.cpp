// The common prologue and epilogue of the procedures.

#include "app/procedure_frame.h"

#include "app/shared_variables.h"
#include "app/window_place.h"
#include "runtime/expr_symbols.h"
#include "ui/statements.h"

namespace linkar::app {

ProcedureFrame::ProcedureFrame(std::string_view procedure)
    : m_name(procedure), m_response(kResponseCancelled) {
  runtime::pushScope();
  m_request = SharedRequest;
  m_originalRequest = SharedRequest;
  SharedRequest = 0;
  SharedResponse = 0;
  // The click that opened a popup menu elsewhere is not for this window.
  if (ui::keyCode() == ui::Key::kMouseRight) ui::setKeyCode(0);
}

ProcedureFrame::~ProcedureFrame() {
  // Reached without finish() only when a suspended procedure is unwound at
  // program end: the windows are gone with the engine, only the scope is
  // left to close.
  if (m_finished) return;
  m_finished = true;
  if (runtime::scopeDepth() > 0) runtime::popScope();
}

int ProcedureFrame::openWindow(std::string_view label) {
  int window = ui::openWindow(label);
  windowOpened(window);
  return window;
}

void ProcedureFrame::windowOpened(int window) {
  m_window = window;
  m_windowOpen = true;
  RestoreWindowPlace(m_name, kSettingsFileName, ui::engine().window(window));
}

bool ProcedureFrame::handleCommonEvent(const std::function<void()>& initialise,
                                       const std::function<void()>& refresh) {
  switch (ui::event()) {
    case ui::Event::OpenWindow:
      if (!m_initialised) {
        m_initialised = true;
        if (initialise) initialise();
      }
      return true;
    case ui::Event::GainFocus:
      if (!m_initialised) {
        m_initialised = true;
        if (initialise) initialise();
      } else {
        m_forceRefresh = true;
        if (refresh) refresh();
      }
      return true;
    case ui::Event::Rejected: {
      int field = ui::field();
      ui::beep();
      ui::display(field);
      ui::selectControl(field);
      return true;
    }
    default:
      return false;
  }
}

void ProcedureFrame::finish() {
  if (m_finished) return;
  m_finished = true;
  if (m_windowOpen) {
    if (ui::Window* w = ui::engine().window(m_window)) {
      SaveWindowPlace(m_name, kSettingsFileName, w);
      ui::closeWindow(m_window);
    }
    m_windowOpen = false;
  }
  SharedResponse = m_response;
  runtime::popScope();
}

}  // namespace linkar::app
