// The scripted user over the headless backend.

#include "ui/headless/test_driver.h"

#include <algorithm>
#include <cassert>
#include <cctype>

#include "platform/clock.h"
#include "ui/event_codes.h"
#include "ui/key_codes.h"

namespace linkar::ui {
namespace {

std::string withoutMnemonic(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&') continue;
    out += text[i];
  }
  return out;
}

bool sameLabel(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

TestDriver::TestDriver(const Catalogue& catalogue) : m_engine(std::make_unique<Engine>(m_backend, catalogue)) {
  // HALT and STOP end the run instead of the test process.
  m_engine->setProgramEndHandler([](int) {});
}

TestDriver::~TestDriver() = default;

void TestDriver::startProgram(Procedure main) {
  m_engine->startMain(std::move(main));
  run();
}

void TestDriver::startFrame() {
  const Structure* frame = m_engine->catalogue().application();
  assert(frame && "the catalogue declares no application frame");
  std::string label = frame ? frame->label : std::string();
  startProgram([label] {
    Engine& e = *Engine::instance();
    e.registry().openWindow(label);
    while (e.loop().acceptEvent()) {
    }
  });
}

int TestDriver::start(Procedure procedure, int stackBytes) {
  int number = m_engine->start(std::move(procedure), stackBytes);
  run();
  return number;
}

bool TestDriver::run(int maxTimerRounds) {
  for (int round = 0;; ++round) {
    m_engine->runReady();
    if (m_engine->programEnded()) return true;
    if (round >= maxTimerRounds) return false;
    if (m_engine->postTimers() == 0) return true;
  }
}

bool TestDriver::runUntil(const std::function<bool()>& done, std::int64_t timeoutMilliseconds) {
  const std::int64_t deadline = platform::monotonicMilliseconds() + timeoutMilliseconds;
  for (;;) {
    bool quiet = run();
    if (done()) return true;
    const std::int64_t now = platform::monotonicMilliseconds();
    if (m_engine->programEnded() || now >= deadline) return false;
    if (!quiet) continue;  // timers still keep a window busy
    // With no thread paused nothing changes until the user acts.
    auto wakeUp = m_engine->scheduler().nextWakeUp();
    if (!wakeUp) return false;
    platform::sleepMilliseconds(std::clamp<std::int64_t>(*wakeUp - now, 0, deadline - now));
  }
}

namespace {

bool named(const Window& w, std::string_view name) {
  return w.title() == name || (w.kind() != WindowKind::MessageBox && sameLabel(w.label(), name));
}

}  // namespace

Window* TestDriver::find(std::string_view name) {
  auto all = m_engine->registry().windows();
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if (named(**it, name)) return *it;
  return nullptr;
}

std::vector<Window*> TestDriver::findAll(std::string_view name) {
  std::vector<Window*> out;
  for (Window* w : m_engine->registry().windows())
    if (named(*w, name)) out.push_back(w);
  return out;
}

Window* TestDriver::messageBox(int thread) {
  if (thread != 0) return m_engine->dialogs().messageBox(thread);
  auto all = m_engine->registry().windows();
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if ((*it)->kind() == WindowKind::MessageBox) return *it;
  return nullptr;
}

const PopupMenu* TestDriver::popup() {
  for (int thread = ProcedureThreads::kSlots; thread >= 1; --thread)
    if (const PopupMenu* menu = m_engine->dialogs().popupMenu(thread)) return menu;
  return nullptr;
}

const FileDialog* TestDriver::fileDialog() {
  for (int thread = ProcedureThreads::kSlots; thread >= 1; --thread)
    if (const FileDialog* dialog = m_engine->dialogs().openFileDialog(thread)) return dialog;
  return nullptr;
}

int TestDriver::fieldOf(const Window& w, std::string_view control) {
  if (int f = w.fieldOf(control)) return f;
  for (const auto& c : w.decl().controls)
    if (w.text(c.field) == control) return c.field;
  for (const auto& c : w.decl().controls)
    if (withoutMnemonic(w.text(c.field)) == control) return c.field;
  return 0;
}

std::string TestDriver::text(const Window& w, std::string_view control) {
  int f = fieldOf(w, control);
  return f == 0 ? std::string() : w.text(f);
}

std::vector<std::string> TestDriver::messageLines(const Window& box) {
  std::vector<std::string> lines;
  const std::string& all = box.text(1);
  size_t pos = 0;
  for (;;) {
    size_t end = all.find("\r\n", pos);
    lines.push_back(all.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    if (end == std::string::npos) break;
    pos = end + 2;
  }
  return lines;
}

const std::vector<std::vector<std::string>>& TestDriver::rows(const Window& w, std::string_view list) {
  static const std::vector<std::vector<std::string>> kNone;
  int f = fieldOf(w, list);
  return f == 0 ? kNone : w.state(f).rows;
}

bool TestDriver::press(Window& w, std::string_view control) {
  int f = fieldOf(w, control);
  return f != 0 && press(w, f);
}

bool TestDriver::press(Window& w, int field) {
  bool done = m_engine->input().press(w.id(), field);
  run();
  return done;
}

bool TestDriver::pressMenu(std::string_view path) {
  Window* frame = nullptr;
  for (Window* w : m_engine->registry().windows())
    if (w->kind() == WindowKind::Application) frame = w;
  if (!frame) return false;
  // Walk the path down the menu tree, one level per "|"-separated text.
  int parent = -1;
  int field = 0;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t bar = path.find('|', pos);
    if (bar == std::string_view::npos) bar = path.size();
    std::string_view part = path.substr(pos, bar - pos);
    pos = bar + 1;
    field = 0;
    const auto& controls = frame->decl().controls;
    for (size_t i = 0; i < controls.size(); ++i) {
      if (controls[i].parent != parent) continue;
      if (controls[i].text == part || withoutMnemonic(controls[i].text) == part) {
        field = controls[i].field;
        parent = static_cast<int>(i);
        break;
      }
    }
    if (field == 0) return false;
  }
  return press(*frame, field);
}

bool TestDriver::type(Window& w, std::string_view control, std::string_view text) {
  bool done = m_engine->input().type(w.id(), fieldOf(w, control), text);
  run();
  return done;
}

bool TestDriver::focus(Window& w, std::string_view control) {
  bool done = m_engine->input().focus(w.id(), fieldOf(w, control));
  run();
  return done;
}

bool TestDriver::chooseRow(Window& w, std::string_view list, int row, int key) {
  bool done = m_engine->input().selectRow(w.id(), fieldOf(w, list), row, key);
  run();
  return done;
}

bool TestDriver::key(Window& w, std::string_view control, int key, int character) {
  int f = control.empty() ? 0 : fieldOf(w, control);
  if (!control.empty() && f == 0) return false;
  bool done = m_engine->input().key(w.id(), f, key, character);
  run();
  return done;
}

bool TestDriver::typeChar(Window& w, std::string_view control, char character) {
  int code = std::toupper(static_cast<unsigned char>(character));
  return key(w, control, code, static_cast<unsigned char>(character));
}

bool TestDriver::chooseTab(Window& w, std::string_view tabText) {
  for (const auto& c : w.decl().controls) {
    if (c.type != ControlType::Tab) continue;
    if (w.text(c.field) == tabText || withoutMnemonic(w.text(c.field)) == tabText) return press(w, c.field);
  }
  return false;
}

bool TestDriver::dragThumb(Window& w, std::string_view list, int thumb) {
  bool done = m_engine->input().thumb(w.id(), fieldOf(w, list), thumb);
  run();
  return done;
}

bool TestDriver::close(Window& w) {
  bool done = m_engine->input().close(w.id());
  run();
  return done;
}

bool TestDriver::place(Window& w, Rect place) {
  bool done = m_engine->input().place(w.id(), place);
  run();
  return done;
}

bool TestDriver::maximize(Window& w) {
  bool done = m_engine->input().maximize(w.id());
  run();
  return done;
}

bool TestDriver::minimize(Window& w) {
  bool done = m_engine->input().minimize(w.id());
  run();
  return done;
}

bool TestDriver::restore(Window& w) {
  bool done = m_engine->input().restore(w.id());
  run();
  return done;
}

bool TestDriver::activate(Window& w) {
  bool done = m_engine->input().activate(w.id());
  run();
  return done;
}

bool TestDriver::answer(std::string_view button, int thread) {
  Window* box = messageBox(thread);
  if (!box) return false;
  for (int f : box->fields()) {
    if (messageButtonBit(*box, f) == 0) continue;
    if (box->text(f) == button || withoutMnemonic(box->text(f)) == button) return press(*box, f);
  }
  return false;
}

bool TestDriver::answerKey(int key, int thread) {
  Window* box = messageBox(thread);
  if (!box) return false;
  bool done = m_engine->input().key(box->id(), 0, key, 0);
  run();
  return done;
}

bool TestDriver::choosePopup(std::string_view item) {
  for (int thread = ProcedureThreads::kSlots; thread >= 1; --thread) {
    const PopupMenu* menu = m_engine->dialogs().popupMenu(thread);
    if (!menu) continue;
    int number = 0;
    if (item.empty()) {
      bool done = m_engine->input().choosePopup(thread, 0);
      run();
      return done;
    }
    for (const auto& text : menu->items) {
      if (text == "-") continue;
      ++number;
      if (text == item || withoutMnemonic(text) == item) {
        bool done = m_engine->input().choosePopup(thread, number);
        run();
        return done;
      }
    }
    return false;
  }
  return false;
}

bool TestDriver::chooseFile(std::string_view path) {
  for (int thread = ProcedureThreads::kSlots; thread >= 1; --thread) {
    if (!m_engine->dialogs().openFileDialog(thread)) continue;
    bool done = m_engine->input().answerFileDialog(thread, std::string(path));
    run();
    return done;
  }
  return false;
}

bool TestDriver::cancelFileDialog() {
  for (int thread = ProcedureThreads::kSlots; thread >= 1; --thread) {
    if (!m_engine->dialogs().openFileDialog(thread)) continue;
    bool done = m_engine->input().answerFileDialog(thread, std::nullopt);
    run();
    return done;
  }
  return false;
}

}  // namespace linkar::ui
