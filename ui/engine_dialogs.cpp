// Message boxes, popup menus and program stops. Each is modal to its
// procedure thread only: the thread gives up control while the dialog is up
// and the other threads go on; the dialog's owner stays blocked for input.

#include <algorithm>
#include <cassert>
#include <cstdlib>

#include "runtime/runtime_error.h"
#include "runtime/string_stack.h"
#include "ui/engine.h"

namespace linkar::ui {
namespace {

// Exit code when "&Abort" ends the program from a STOP box.
constexpr int kStopExitCode = 0;

}  // namespace

int Engine::message(MessageRequest request) {
  request.text = prepareMessageText(request.text);
  if (request.title.size() > kMessageTitleMax) request.title.resize(kMessageTitleMax);
  if (request.iconName.size() > kMessageIconNameMax) request.iconName.resize(kMessageIconNameMax);
  request.icon = messageIcon(request.iconName, request.icon);
  auto buttons = messageButtons(request.buttons);
  int focus = messageDefaultButton(request.buttons, request.defaultButton);

  int slot = currentSlot();
  if (slot < 0 || m_ended) {
    // No thread can wait for an answer: show it and take the default.
    m_backend.showFatal(request.title, request.text);
    return focus;
  }
  MessageLayout layout = layoutMessage(m_backend, messageFont(m_newLook), request.text,
                                       request.icon != Icon::kNone, buttons.size());
  int id = newId();
  auto box = std::make_unique<Window>(id, slot, buildMessageStructure(request, layout),
                                      WindowKind::MessageBox);
  for (int f : box->fields())
    if (box->control(f).isDefault) box->setFocus(f);
  Window& ref = *box;
  m_windows.emplace(id, std::move(box));
  m_order.push_back(id);
  ThreadState& t = stateOf(slot);
  int previousBox = t.box;
  bool previousModal = t.boxSystemModal;
  int previousOwner = t.boxOwner;
  Window* owner = topWindow(slot);
  t.boxOwner = owner ? owner->id() : frameId();
  t.box = id;
  t.boxResult = 0;
  t.boxSystemModal = request.systemModal;
  m_backend.windowOpened(ref);
  while (t.boxResult == 0) waitForUser(Wait::MessageBox);
  int result = t.boxResult;
  t.boxResult = 0;
  t.box = previousBox;
  t.boxSystemModal = previousModal;
  t.boxOwner = previousOwner;
  m_backend.windowClosed(*window(id));
  m_order.erase(std::remove(m_order.begin(), m_order.end(), id), m_order.end());
  m_windows.erase(id);
  return result;
}

int Engine::messageFromStack(int icon, int buttons, int defaultButton, bool systemModal) {
  runtime::StringStack& stack = runtime::stringStack();
  MessageRequest r;
  r.iconName = stack.pop();
  r.title = stack.pop();
  r.text = stack.pop();
  // Fixed-length variables arrive blank-padded.
  while (!r.iconName.empty() && r.iconName.back() == ' ') r.iconName.pop_back();
  r.icon = icon;
  r.buttons = buttons;
  r.defaultButton = defaultButton;
  r.systemModal = systemModal;
  return message(std::move(r));
}

int Engine::messageBoxOwner(int threadNumber) const {
  int slot = threadNumber - 1;
  if (slot < 0 || slot >= ProcedureThreads::kSlots) return 0;
  return m_state[static_cast<size_t>(slot)].boxOwner;
}

int Engine::holdingSlot() const {
  for (size_t i = 0; i < m_state.size(); ++i) {
    const ThreadState& t = m_state[i];
    if ((t.box != 0 && t.boxSystemModal) || t.fileDialog) return static_cast<int>(i);
  }
  return -1;
}

bool Engine::fileDialog(FileDialogRequest request, std::string* chosen) {
  int slot = currentSlot();
  if (slot < 0 || m_ended) return false;
  ThreadState& t = stateOf(slot);
  t.fileDialog = std::make_unique<FileDialog>();
  t.fileDialog->request = std::move(request);
  m_backend.fileDialogOpened(slot + 1);
  while (t.fileDialog->result < 0) waitForUser(Wait::FileDialog);
  bool ok = t.fileDialog->result == 1;
  if (ok && chosen) *chosen = t.fileDialog->chosen;
  t.fileDialog.reset();
  m_backend.fileDialogClosed(slot + 1);
  return ok;
}

const FileDialog* Engine::openFileDialog(int threadNumber) const {
  int slot = threadNumber - 1;
  if (slot < 0 || slot >= ProcedureThreads::kSlots) return nullptr;
  return m_state[static_cast<size_t>(slot)].fileDialog.get();
}

Window* Engine::messageBox(int threadNumber) {
  int slot = threadNumber - 1;
  if (slot < 0 || slot >= ProcedureThreads::kSlots) return nullptr;
  return window(stateOf(slot).box);
}

int Engine::messageButtonBit(const Window& box, int field) const {
  if (box.kind() != WindowKind::MessageBox || !box.hasField(field)) return 0;
  const ControlDecl& c = box.control(field);
  if (c.type != ControlType::Button) return 0;
  return messageBitForDialogId(std::atoi(c.use.c_str()));
}

int Engine::popup(std::string_view items) {
  auto menu = std::make_unique<PopupMenu>();
  size_t pos = 0;
  while (pos <= items.size()) {
    size_t bar = items.find('|', pos);
    if (bar == std::string_view::npos) bar = items.size();
    std::string item(items.substr(pos, bar - pos));
    pos = bar + 1;
    bool on = true;
    if (!item.empty() && item.front() == '~') {
      on = false;
      item.erase(0, 1);
    }
    menu->items.push_back(item);
    menu->enabled.push_back(on && item != "-");
  }
  int slot = currentSlot();
  if (slot < 0 || m_ended) return 0;
  ThreadState& t = stateOf(slot);
  t.popup = std::move(menu);
  m_backend.popupOpened(slot + 1);
  while (t.popup->result < 0) waitForUser(Wait::Popup);
  int chosen = t.popup->result;
  t.popup.reset();
  m_backend.popupClosed(slot + 1);
  return chosen;
}

const PopupMenu* Engine::popupMenu(int threadNumber) const {
  int slot = threadNumber - 1;
  if (slot < 0 || slot >= ProcedureThreads::kSlots) return nullptr;
  return m_state[static_cast<size_t>(slot)].popup.get();
}

void Engine::halt(int exitCode, std::string_view text, bool silent) {
  if (!silent) {
    MessageRequest r;
    r.text = std::string(text);
    r.title = "Halt";
    r.icon = Icon::kHand;
    r.buttons = Button::kOk;
    message(std::move(r));
  }
  endProgram(exitCode);
}

void Engine::stop(std::string_view text, bool askExit) {
  MessageRequest r;
  r.text = std::string(text);
  if (askExit) r.text += "|Exit?";
  r.title = "Stop";
  r.icon = Icon::kHand;
  r.buttons = Button::kAbort | Button::kIgnore;
  r.defaultButton = Button::kAbort;
  if (message(std::move(r)) == Button::kAbort) endProgram(kStopExitCode);
}

void Engine::endProgram(int code) {
  m_threads.setStartBarred(true);
  if (!m_endHandler) runtime::endProgram(code);
  m_endHandler(code);
  m_ended = true;
  m_exitCode = code;
  m_backend.programEnded(code);
  // The handler returned: this thread never runs again.
  assert(m_threads.inFiber() && "a program ending outside a procedure thread must exit");
  if (!m_threads.inFiber()) runtime::endProgram(code);
  for (;;) waitForUser(Wait::Ended);
}

void Engine::showRuntimeError(std::string_view caption, std::string_view text) {
  if (!m_threads.inFiber() || m_ended) {
    m_backend.showFatal(caption, text);
    return;
  }
  MessageRequest r;
  r.text = std::string(text);
  r.title = std::string(caption);
  r.icon = Icon::kHand;
  r.buttons = Button::kOk;
  // The program ends after this box: no other thread may write anything
  // more while it is up.
  r.systemModal = true;
  message(std::move(r));
}

}  // namespace linkar::ui
