// Message boxes, popup menus, file dialogs and program stops. The thread
// that puts one up waits for its answer; the dialog's owner stays blocked
// for input meanwhile.

#include "ui/dialogs.h"

#include <cassert>

#include "runtime/string_stack.h"

namespace linkar::ui {
namespace {

// Exit code when "&Abort" ends the program from a STOP box.
constexpr int kStopExitCode = 0;

std::unique_ptr<PopupMenu> parsePopup(std::string_view items) {
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
  return menu;
}

}  // namespace

Dialogs::Dialogs(Backend& backend, WindowRegistry& registry, Scheduler& scheduler, const ProcedureThreads& threads)
    : m_backend(backend), m_registry(registry), m_scheduler(scheduler), m_threads(threads) {}

std::optional<size_t> Dialogs::slotOf(int threadNumber) {
  if (threadNumber < 1 || threadNumber > ProcedureThreads::kSlots) return std::nullopt;
  return static_cast<size_t>(threadNumber - 1);
}

std::optional<size_t> Dialogs::waitingSlot() const {
  int slot = m_threads.current();
  if (slot < 0 || m_scheduler.ended()) return std::nullopt;
  return static_cast<size_t>(slot);
}

int Dialogs::message(MessageRequest request) {
  request.text = prepareMessageText(request.text);
  if (request.title.size() > kMessageTitleMax) request.title.resize(kMessageTitleMax);
  if (request.iconName.size() > kMessageIconNameMax) request.iconName.resize(kMessageIconNameMax);
  request.icon = messageIcon(request.iconName, request.icon);
  auto buttons = messageButtons(request.buttons);
  int focus = messageDefaultButton(request.buttons, request.defaultButton);

  auto slot = waitingSlot();
  if (!slot) {
    // No thread can wait for an answer: show it and take the default.
    m_backend.showFatal(request.title, request.text);
    return focus;
  }
  MessageLayout layout = layoutMessage(m_backend, messageFont(m_newLook), request.text,
                                       request.icon != Icon::kNone, buttons.size());
  Window& box = m_registry.addMessageBox(static_cast<int>(*slot), buildMessageStructure(request, layout));
  SlotDialogs& t = m_slots[*slot];
  // A box put up while another is (a runtime error) hides it until it closes.
  const int previousBox = t.box;
  const bool previousModal = t.boxSystemModal;
  const int previousOwner = t.boxOwner;
  Window* owner = m_registry.topWindow(static_cast<int>(*slot));
  t.boxOwner = owner ? owner->id() : m_registry.frameId();
  t.box = box.id();
  t.boxResult = 0;
  t.boxSystemModal = request.systemModal;
  m_backend.windowOpened(box);
  while (t.boxResult == 0) m_scheduler.waitFor(Wait::MessageBox);
  int result = t.boxResult;
  t.boxResult = 0;
  t.box = previousBox;
  t.boxSystemModal = previousModal;
  t.boxOwner = previousOwner;
  m_registry.removeMessageBox(box.id());
  return result;
}

int Dialogs::messageFromStack(int icon, int buttons, int defaultButton, bool systemModal) {
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

int Dialogs::popup(std::string_view items) {
  auto menu = parsePopup(items);
  auto slot = waitingSlot();
  if (!slot) return 0;
  SlotDialogs& t = m_slots[*slot];
  t.popup = std::move(menu);
  int threadNumber = static_cast<int>(*slot) + 1;
  m_backend.popupOpened(threadNumber);
  while (t.popup->result < 0) m_scheduler.waitFor(Wait::Popup);
  int chosen = t.popup->result;
  t.popup.reset();
  m_backend.popupClosed(threadNumber);
  return chosen;
}

bool Dialogs::fileDialog(FileDialogRequest request, std::string* chosen) {
  auto slot = waitingSlot();
  if (!slot) return false;
  SlotDialogs& t = m_slots[*slot];
  t.fileDialog = std::make_unique<FileDialog>();
  t.fileDialog->request = std::move(request);
  int threadNumber = static_cast<int>(*slot) + 1;
  m_backend.fileDialogOpened(threadNumber);
  while (t.fileDialog->result < 0) m_scheduler.waitFor(Wait::FileDialog);
  bool ok = t.fileDialog->result == 1;
  if (ok && chosen) *chosen = t.fileDialog->chosen;
  t.fileDialog.reset();
  m_backend.fileDialogClosed(threadNumber);
  return ok;
}

void Dialogs::halt(int exitCode, std::string_view text, bool silent) {
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

void Dialogs::stop(std::string_view text, bool askExit) {
  MessageRequest r;
  r.text = std::string(text);
  if (askExit) r.text += "|Exit?";
  r.title = "Stop";
  r.icon = Icon::kHand;
  r.buttons = Button::kAbort | Button::kIgnore;
  r.defaultButton = Button::kAbort;
  if (message(std::move(r)) == Button::kAbort) endProgram(kStopExitCode);
}

void Dialogs::showRuntimeError(std::string_view caption, std::string_view text) {
  if (!m_threads.inFiber() || m_scheduler.ended()) {
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

Window* Dialogs::messageBox(int threadNumber) {
  auto slot = slotOf(threadNumber);
  return slot ? m_registry.window(m_slots[*slot].box) : nullptr;
}

int Dialogs::messageBoxOwner(int threadNumber) const {
  auto slot = slotOf(threadNumber);
  return slot ? m_slots[*slot].boxOwner : 0;
}

PopupMenu* Dialogs::popupMenu(int threadNumber) {
  auto slot = slotOf(threadNumber);
  return slot ? m_slots[*slot].popup.get() : nullptr;
}

FileDialog* Dialogs::openFileDialog(int threadNumber) {
  auto slot = slotOf(threadNumber);
  return slot ? m_slots[*slot].fileDialog.get() : nullptr;
}

int Dialogs::holdingSlot() const {
  for (size_t i = 0; i < m_slots.size(); ++i) {
    const SlotDialogs& t = m_slots[i];
    if ((t.box != 0 && t.boxSystemModal) || t.fileDialog) return static_cast<int>(i);
  }
  return -1;
}

bool Dialogs::holdsThread(int slot) const {
  const SlotDialogs& t = m_slots[static_cast<size_t>(slot)];
  return t.box != 0 || t.popup;
}

bool Dialogs::systemModalBox(int slot) const { return m_slots[static_cast<size_t>(slot)].boxSystemModal; }

bool Dialogs::answered(int slot, Wait wait) const {
  const SlotDialogs& t = m_slots[static_cast<size_t>(slot)];
  switch (wait) {
    case Wait::MessageBox: return t.boxResult != 0;
    case Wait::Popup: return t.popup && t.popup->result >= 0;
    case Wait::FileDialog: return t.fileDialog && t.fileDialog->result >= 0;
    default: return false;
  }
}

void Dialogs::answerBox(int slot, int bit) { m_slots[static_cast<size_t>(slot)].boxResult = bit; }

void Dialogs::clear(int slot) { m_slots[static_cast<size_t>(slot)] = SlotDialogs{}; }

}  // namespace linkar::ui
