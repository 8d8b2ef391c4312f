// The frame procedure and its menu dispatch. A choice whose procedure is
// not part of this build says so in a box instead of starting anything.

#include "app/main_frame.h"

#include <cstring>
#include <iterator>
#include <string>

#include "app/procedure_frame.h"
#include "app/procedure_registry.h"
#include "ui/statements.h"

namespace linkar::app {
namespace {

constexpr const char* kFrameLabel = "MAIN$APPFRAME";
constexpr const char* kProcedureName = "Main";

const FrameChoice kChoices[] = {
    {"ImportFromASCII", "ImportASCII", kTransferStack},
    {"ImportFromHTML", "ImportHTML", kTransferStack},
    {"ImportFromOther", "ImportOther", kTransferStack},
    {"ExportItem", "Export", kTransferStack},
    {"BrowseLINKAR", "BrowseLINKAR", kBrowseStack},
    {"BrowseCategories", "BrowseCategories", kBrowseStack},
    {"PrintURL:K_DESCRIPTION", "PrintURL:K_DESCRIPTION", kBrowseStack},
    {"PrintURL:K_LOCATION", "PrintURL:K_LOCATION", kBrowseStack},
    {"PrintURL:K_CATEGORY", "PrintURL:K_CATEGORY", kBrowseStack},
    {"PrintURL:K_RATING", "PrintURL:K_RATING", kBrowseStack},
    {"PrintURL:K_KEYWORD", "PrintURL:K_KEYWORD", kBrowseStack},
    {"PrintCAT:K_CATEGORY", "PrintCAT:K_CATEGORY", kBrowseStack},
};

constexpr const char* kAboutItem = "About";

constexpr const char* kAboutText =
    "Linkar 0.1|"
    "A desktop database for collecting and organising web addresses.||"
    "Copyright (C) 2026 the Linkar developers.|"
    "Questions and bug reports: the Linkar project's issue tracker.";

// The item's text without its mnemonic, for the caption of a box about it.
std::string itemCaption(const ui::ControlDecl& item) {
  std::string out;
  for (char c : item.text)
    if (c != '&') out += c;
  return out;
}

void notAvailable(const ui::ControlDecl& item) {
  ui::message("This part of Linkar is not available in this build yet.", itemCaption(item), {},
              ui::Icon::kAsterisk, ui::Button::kOk);
}

void dispatch(int window, int field) {
  ui::Window* frame = ui::engine().window(window);
  if (!frame || !frame->hasField(field)) return;
  const ui::ControlDecl& item = frame->control(field);
  if (item.use == kAboutItem) {
    showAbout();
    return;
  }
  for (const FrameChoice& choice : kChoices) {
    if (item.use != choice.item) continue;
    const ui::Procedure* procedure = findProcedure(choice.procedure);
    if (!procedure) {
      notAvailable(item);
      return;
    }
    // START returns 0 when no thread is free; the frame simply goes on.
    ui::start(*procedure, choice.stackBytes);
    ui::display();
    return;
  }
}

}  // namespace

const FrameChoice* frameChoices(size_t* count) {
  *count = std::size(kChoices);
  return kChoices;
}

std::string_view aboutText() { return kAboutText; }

void showAbout() { ui::message(kAboutText, "About", {}, ui::Icon::kNone, ui::Button::kOk); }

void Main() {
  ProcedureFrame frame(kProcedureName);
  int window = frame.openWindow(kFrameLabel);
  while (ui::acceptEvent()) {
    if (frame.handleCommonEvent([] { ui::display(); }, [] { ui::display(); })) continue;
    if (int field = ui::accepted()) dispatch(window, field);
  }
  frame.finish();
}

}  // namespace linkar::app
