// The shape every procedure that owns a window shares: the prologue (a new
// binding scope, the request taken from SharedRequest, a stale right click
// forgotten), the window's place restored when it opens, the common events
// (one-time initialisation, refresh on regaining focus, a rejected value),
// and the epilogue (place saved, window closed, response handed back,
// scope closed).
//
//   ProcedureFrame frame("BrowseLINKAR");
//   ...open the files (CheckOpen)...
//   frame.openWindow("BROWSELINKAR$QUICKWINDOW");
//   while (ui::accept()) {
//     if (frame.handleCommonEvent(init, refresh)) continue;
//     ...the procedure's own events...
//   }
//   ...release the files...
//   frame.finish();
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace linkar::app {

class ProcedureFrame {
 public:
  // The prologue. `procedure` names the section of the settings file.
  explicit ProcedureFrame(std::string_view procedure);
  // Closes the binding scope if finish() was not called (a procedure
  // unwound at program end); procedures call finish() themselves.
  ~ProcedureFrame();
  ProcedureFrame(const ProcedureFrame&) = delete;
  ProcedureFrame& operator=(const ProcedureFrame&) = delete;

  const std::string& name() const { return m_name; }
  // The request the procedure was called with, and the copy kept of it.
  int32_t request() const { return m_request; }
  void setRequest(int32_t request) { m_request = request; }
  int32_t originalRequest() const { return m_originalRequest; }
  // The response handed back in SharedResponse (2, cancelled, until set).
  int32_t response() const { return m_response; }
  void setResponse(int32_t response) { m_response = response; }

  // Opens the window by label, marks it open and restores its place.
  // Returns the window handle.
  int openWindow(std::string_view label);
  // For a window opened otherwise: marks it open and restores its place.
  void windowOpened(int window);
  int window() const { return m_window; }
  bool windowOpen() const { return m_windowOpen; }
  bool initialised() const { return m_initialised; }

  // The common events of the current round of the accept loop. On
  // EVENT:OpenWindow, or the first EVENT:GainFocus, runs `initialise` once;
  // on a later EVENT:GainFocus sets the forced-refresh flag and runs
  // `refresh`; on EVENT:Rejected beeps, redisplays the control and puts
  // the focus back on it. Returns true when the event was one of these.
  bool handleCommonEvent(const std::function<void()>& initialise, const std::function<void()>& refresh);
  bool forceRefresh() const { return m_forceRefresh; }
  void setForceRefresh(bool on) { m_forceRefresh = on; }

  // The epilogue (after the procedure released its files): saves the
  // window's place and closes it if it is open, copies the response into
  // SharedResponse and closes the binding scope. Runs once.
  void finish();

 private:
  std::string m_name;
  int32_t m_request = 0;
  int32_t m_originalRequest = 0;
  int32_t m_response;
  int m_window = 0;
  bool m_windowOpen = false;
  bool m_initialised = false;
  bool m_forceRefresh = false;
  bool m_finished = false;
};

}  // namespace linkar::app
