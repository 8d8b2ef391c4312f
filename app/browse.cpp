// The browse's events and the follow-ups of its forms and lookups.
#include "app/browse.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/file_use.h"
#include "app/record_bindings.h"
#include "app/shared_variables.h"
#include "app/standard_warning.h"
#include "runtime/expr_symbols.h"
#include "ui/statements.h"

namespace linkar::app {
namespace {

constexpr int kMsgRecordRetrievalError = 35;

// Keys the one-letter locator listens to: letters and digits, typed with
// or without Shift (letters report their capital's code).
std::vector<int> locatorKeys() {
  std::vector<int> keys;
  auto add = [&](int from, int to) {
    for (int k = from; k <= to; ++k) {
      keys.push_back(k);
      keys.push_back(k | ui::Key::kShift);
    }
  };
  add('0', '9');
  add('A', 'Z');
  return keys;
}

bool isSheetChange(int event) {
  return event == ui::Event::Accepted || event == ui::Event::NewSelection || event == ui::Event::TabChanging ||
         event == ui::Event::Selected;
}

bool isScroll(int event) { return event >= ui::Event::ScrollUp && event <= ui::Event::ScrollBottom; }

}  // namespace

Browse::Browse(const BrowseConfig& config, ProcedureFrame& frame)
    : m_config(config), m_frame(frame), m_pager(config, [this] { readError(); }) {
  if (!config.range.name.empty())
    runtime::bindName(config.range.name, runtime::VariableRef{m_pager.rangeData(), runtime::kVarString,
                                                              static_cast<uint32_t>(m_pager.rangeSize())});
}

void Browse::attach(int window) {
  m_window = window;
  ui::Window& w = *ui::engine().window(window);
  m_list = w.fieldOf(m_config.list);
  m_sheet = m_config.sheet.empty() ? 0 : w.fieldOf(m_config.sheet);
  m_pager.setRows(w.visibleRows(m_list));
  ui::ControlState& list = w.state(m_list);
  list.alertKeys = locatorKeys();
  for (const BrowseAction& action : m_config.actions)
    list.alertKeys.insert(list.alertKeys.end(), action.keys.begin(), action.keys.end());
  const BrowsePager& pager = m_pager;
  const std::vector<FieldRef>& columns = m_config.columns;
  list.source.count = [&pager] { return static_cast<size_t>(pager.queue().size()); };
  list.source.cell = [&pager, &columns](size_t row, size_t column) {
    if (column >= columns.size()) return std::string();
    const std::string& bytes = pager.queue().entry(static_cast<int>(row) + 1).columns[column];
    return columns[column].displayText(bytes);
  };
}

void Browse::readError() {
  StandardWarning(kMsgRecordRetrievalError, m_config.fileLabel);
  ui::post(ui::Event::CloseWindow);
}

int Browse::listRow() const { return ui::engine().window(m_window)->state(m_list).selection; }

void Browse::syncList() {
  ui::Window& w = *ui::engine().window(m_window);
  w.state(m_list).selection = m_pager.choice();
  // A page that is not full has nothing to scroll to.
  w.state(m_list).scrollBar = m_pager.full();
  for (const BrowseAction& action : m_config.actions) {
    int field = w.fieldOf(action.button);
    if (field != 0 && action.needsEntries) w.setEnabled(field, !empty());
  }
}

void Browse::postNewSelection() {
  ui::Window* w = ui::engine().window(m_window);
  if (w && !w->hasPending(ui::Event::NewSelection, m_list)) w->post(ui::Event::NewSelection, m_list);
}

void Browse::initialise() {
  refreshWindow();
  ui::selectControl(m_list);
}

void Browse::refreshWindow() {
  chooseSortOrder();
  syncList();
  ui::engine().window(m_window)->state(m_list).thumb = m_thumb;
  ui::display();
  m_frame.setForceRefresh(false);
}

void Browse::reloadHighlighted() { m_pager.reloadHighlighted(listRow()); }

void Browse::chooseSortOrder() {
  int tab = m_sheet ? ui::engine().window(m_window)->state(m_sheet).selection : 1;
  tab = std::clamp(tab, 1, static_cast<int>(m_config.orders.size()));
  const int previous = m_pager.orderNumber();
  const bool ranged = m_config.orders[static_cast<size_t>(tab - 1)].ranged;
  const bool rangeChanged = tab == previous && ranged && m_pager.rangeChanged();
  if (tab == previous && !rangeChanged && !m_frame.forceRefresh()) {
    if (!empty()) m_pager.copyToBuffer(m_pager.choice());
    return;
  }
  m_pager.setOrder(tab);
  if (ranged) m_pager.takeRange();
  reloadHighlighted();
  m_pager.resetView();
  if (previous == 0) {
    if (m_frame.request() == kRequestSelect)
      m_pager.locateValue();
    else
      m_pager.refresh(RefreshMode::kFromTop);
  } else if (rangeChanged) {
    m_pager.refresh(RefreshMode::kFromTop);
  } else {
    m_pager.locateRecord();
  }
  if (empty()) return;
  m_pager.rebuildGuide();
  // The guide's reads went through the record buffer.
  m_pager.copyToBuffer(m_pager.choice());
}

bool Browse::handleEvent() {
  const int event = ui::event();
  const int field = ui::field();
  if (event == ui::Event::Sized) {
    // The list may show another number of rows now.
    m_pager.setRows(ui::engine().window(m_window)->visibleRows(m_list));
    m_frame.setForceRefresh(true);
    refreshWindow();
    return true;
  }
  if (m_sheet != 0 && field == m_sheet && isSheetChange(event)) {
    refreshWindow();
    return true;
  }
  if (event == ui::Event::Accepted) return onAccepted(field);
  if (field != m_list || m_list == 0) return false;
  if (isScroll(event)) {
    onScroll(event);
  } else if (event == ui::Event::NewSelection) {
    onNewSelection();
  } else if (event == ui::Event::ScrollDrag) {
    onThumbDrag();
  } else if (event == ui::Event::AlertKey) {
    onAlertKey();
  } else {
    return false;
  }
  return true;
}

void Browse::onScroll(int event) {
  if (empty()) return;
  m_pager.scroll(event);
  syncList();
  postNewSelection();
  if (!m_pager.order().guide) m_thumb = m_pager.thumbAfterScroll(event);
  ui::engine().window(m_window)->state(m_list).thumb = m_thumb;
  ui::display(m_list);
}

void Browse::onNewSelection() {
  if (ui::keyCode() == ui::Key::kMouseRight) {
    // The click is answered by the popup; the next new selection is not its.
    ui::setKeyCode(0);
    showPopup();
    return;
  }
  if (empty()) return;
  m_pager.setChoice(listRow());
  m_pager.copyToBuffer(m_pager.choice());
  if (m_pager.full())
    if (auto thumb = m_pager.thumbForBuffer()) m_thumb = *thumb;
  refreshWindow();
}

void Browse::onThumbDrag() {
  const int thumb = ui::engine().window(m_window)->state(m_list).thumb;
  if (thumb <= 1) {
    ui::post(ui::Event::ScrollTop, m_list);
  } else if (thumb >= ThumbGuide::kThumbEnd) {
    ui::post(ui::Event::ScrollBottom, m_list);
  } else if (m_pager.order().guide) {
    m_pager.seekGuide(thumb);
    syncList();
    postNewSelection();
    ui::display(m_list);
  }
}

bool Browse::allowed(const BrowseAction& action) const {
  if (action.needsEntries && empty()) return false;
  return !action.needsSelectRequest || m_frame.request() == kRequestSelect;
}

void Browse::press(const BrowseAction& action) {
  if (int field = ui::engine().window(m_window)->fieldOf(action.button)) ui::post(ui::Event::Accepted, field);
}

void Browse::onAlertKey() {
  const int key = ui::keyCode();
  const int character = ui::keyChar();
  auto reaches = [key](const BrowseAction& a) { return std::find(a.keys.begin(), a.keys.end(), key) != a.keys.end(); };
  auto action = std::find_if(m_config.actions.begin(), m_config.actions.end(), reaches);
  if (action != m_config.actions.end()) {
    if (allowed(*action)) {
      if (key == ui::Key::kMouseLeft2) {
        m_pager.setChoice(listRow());
        m_pager.copyToBuffer(m_pager.choice());
      }
      press(*action);
    }
  } else if (!empty() && character != 0 && character != ' ') {
    m_pager.seekText(std::string(1, static_cast<char>(character)));
    syncList();
    ui::display(m_list);
  }
  postNewSelection();
}

void Browse::showPopup() {
  std::string items;
  std::vector<const BrowseAction*> offered;
  for (const BrowseAction& action : m_config.actions) {
    if (action.popupText.empty()) continue;
    if (!items.empty()) items += '|';
    if (!allowed(action)) items += '~';
    items += action.popupText;
    offered.push_back(&action);
  }
  if (offered.empty()) return;
  const int chosen = ui::popup(items);
  if (chosen >= 1 && chosen <= static_cast<int>(offered.size())) press(*offered[static_cast<size_t>(chosen - 1)]);
}

bool Browse::onAccepted(int field) {
  ui::Window& w = *ui::engine().window(m_window);
  if (field != 0 && field == w.fieldOf(m_config.closeButton)) {
    close(kResponseCancelled);
    return true;
  }
  for (const BrowseAction& action : m_config.actions) {
    if (field == 0 || field != w.fieldOf(action.button)) continue;
    if (allowed(action) && action.run) action.run(*this);
    return true;
  }
  return false;
}

void Browse::callForm(const std::function<void()>& form, int request) {
  m_pager.closeView();
  SharedRequest = request;
  form();
  const int response = SharedResponse;
  m_pager.resetView();
  const bool completed = response == kResponseCompleted;
  if (completed && (request == kRequestInsert || request == kRequestChange)) {
    // The form has just written the record in the buffer: it is the file's current one.
    m_pager.setBufferIsCurrent(true);
    m_pager.locateRecord();
  } else {
    if (completed && request == kRequestDelete) m_pager.removeHighlighted();
    m_pager.refresh(RefreshMode::kKeepPage);
  }
  m_pager.rebuildGuide();
  if (!empty()) m_pager.copyToBuffer(m_pager.choice());
  syncList();
  postNewSelection();
  ui::selectControl(m_list);
  m_frame.setRequest(m_frame.originalRequest());
  refreshWindow();
}

void Browse::callLookup(const std::function<void()>& lookup) {
  SharedRequest = kRequestSelect;
  lookup();
  m_frame.setRequest(m_frame.originalRequest());
  refreshWindow();
}

void Browse::callProcedure(const std::function<void()>& procedure, int request) {
  m_pager.closeView();
  SharedRequest = request;
  procedure();
  m_pager.resetView();
  m_frame.setRequest(m_frame.originalRequest());
  m_frame.setForceRefresh(true);
  refreshWindow();
  ui::selectControl(m_list);
}

void Browse::close(int response) {
  m_frame.setResponse(response);
  ui::post(ui::Event::CloseWindow);
}

void runBrowse(const BrowseConfig& config) {
  ProcedureFrame frame(config.procedure);
  std::vector<FileUse> files = useAndBind(config.files);
  Browse browse(config, frame);
  frame.openWindow(config.window);
  browse.attach(frame.window());
  while (ui::acceptEvent()) {
    if (frame.handleCommonEvent([&] { browse.initialise(); }, [&] { browse.refreshWindow(); })) continue;
    browse.handleEvent();
  }
  browse.finish();
  for (FileUse& f : files) f.release();
  frame.finish();
}

}  // namespace linkar::app
