// The browse: a scrolling list over one file in one of its orders, paged
// through a view (browse_pager.h), with its window's events: tabs choosing
// the order, scroll events and the dragged thumb, new selections and the
// popup menu, alerted keys and the one-letter locator, and the buttons
// that call an update form or a lookup and bring the page up to date
// afterwards. Written once; each browse of the program is a BrowseConfig.
//
// A procedure that is nothing but a browse runs runBrowse(config). A window
// that holds a browse among other controls keeps a Browse and hands it
// each round of its accept loop:
//
//   Browse browse(config, frame);       // inside the procedure's frame
//   frame.openWindow(...);
//   browse.attach(frame.window());
//   while (ui::acceptEvent()) {
//     if (frame.handleCommonEvent([&] { browse.initialise(); }, [&] { browse.refreshWindow(); })) continue;
//     if (browse.handleEvent()) continue;
//     ...the window's own controls...
//   }
#pragma once

#include <functional>

#include "app/browse_config.h"
#include "app/browse_pager.h"
#include "app/procedure_frame.h"

namespace linkar::app {

class Browse {
 public:
  // `config` and `frame` must outlive the browse. Binds the range value
  // under its name in the current binding scope.
  Browse(const BrowseConfig& config, ProcedureFrame& frame);
  Browse(const Browse&) = delete;
  Browse& operator=(const Browse&) = delete;

  // Takes the browse's controls in the opened window: the list shows the
  // page queue and reports the alerted keys.
  void attach(int window);
  // The open-window event: refresh the window, focus on the list.
  void initialise();
  // Chooses the order (reading the page again when the order, the range or
  // a forced refresh asks for it), shows the thumb and redisplays.
  void refreshWindow();
  // Handles the current event of the accept loop if it is the browse's.
  bool handleEvent();
  // Closes the view (before the procedure releases its files).
  void finish() { m_pager.closeView(); }

  // ---- for the actions of the buttons ----
  ProcedureFrame& frame() { return m_frame; }
  BrowsePager& pager() { return m_pager; }
  const BrowseConfig& config() const { return m_config; }
  bool empty() const { return m_pager.queue().empty(); }
  // Re-reads the highlighted record into the record buffer (WATCH, REGET).
  void reloadHighlighted();
  // Calls an update form on this thread with `request` and brings the page
  // up to date with its outcome.
  void callForm(const std::function<void()>& form, int request);
  // Calls a lookup with the select request; what it leaves in the range's
  // source becomes the range.
  void callLookup(const std::function<void()>& lookup);
  // Calls another procedure on this thread with `request` (the view is
  // closed meanwhile), then reads the page again: the called procedure may
  // have changed anything the list shows.
  void callProcedure(const std::function<void()>& procedure, int request);
  // Ends the browse with `response`.
  void close(int response);

 private:
  int listRow() const;
  void syncList();
  void postNewSelection();
  void chooseSortOrder();
  void onNewSelection();
  void onScroll(int event);
  void onThumbDrag();
  void onAlertKey();
  void showPopup();
  bool allowed(const BrowseAction& action) const;
  void press(const BrowseAction& action);
  bool onAccepted(int field);
  void readError();

  const BrowseConfig& m_config;
  ProcedureFrame& m_frame;
  BrowsePager m_pager;
  int m_window = 0;
  int m_list = 0;
  int m_sheet = 0;
  int m_thumb = 0;
};

// A procedure that is one browse: the common prologue, the files opened
// through their counters and bound, the window, the accept loop, the
// epilogue. Runs inside a procedure thread.
void runBrowse(const BrowseConfig& config);

}  // namespace linkar::app
