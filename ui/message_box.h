// The message box: button bits and their fixed order, icons, the text rules
// (at most 1023 characters, "|" as a line break) and the dialog geometry in
// dialog units, computed from the backend's font metrics.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/backend.h"
#include "ui/catalogue.h"

namespace linkar::ui {

class Window;

namespace Button {
constexpr int kOk = 0x01;
constexpr int kYes = 0x02;
constexpr int kNo = 0x04;
constexpr int kAbort = 0x08;
constexpr int kRetry = 0x10;
constexpr int kIgnore = 0x20;
constexpr int kCancel = 0x40;
constexpr int kHelp = 0x80;
}  // namespace Button

namespace Icon {
constexpr int kNone = 0;
constexpr int kHand = 0x10;         // the stop icon
constexpr int kQuestion = 0x20;
constexpr int kExclamation = 0x30;
constexpr int kAsterisk = 0x40;     // the information icon
constexpr int kNamed = 0xF0;        // loaded from the icon name the caller gives
}  // namespace Icon

// Longest texts MESSAGE takes from the caller.
constexpr size_t kMessageTextMax = 1023;
constexpr size_t kMessageTitleMax = 255;
constexpr size_t kMessageIconNameMax = 127;

struct MessageButtonInfo {
  int bit;
  const char* text;
  int dialogId;   // the identifier the dialog reports when it is pressed
};

// The buttons a bit set shows, in their fixed order; 0 means "OK" alone.
std::vector<MessageButtonInfo> messageButtons(int bits);
// The bit of the button that starts with the focus.
int messageDefaultButton(int bits, int requested);
// The bit a dialog identifier stands for; 0 for an unknown one.
int messageBitForDialogId(int dialogId);
// The icon a call shows: the named icon when a name is given, otherwise the
// high nibble of `icon` (0 when it is not one of the known icons).
int messageIcon(std::string_view iconName, int icon);
// Cuts text to its limit and turns every "|" into a line break.
std::string prepareMessageText(std::string_view text);

struct MessageRequest {
  std::string text;
  std::string title;
  std::string iconName;
  int icon = Icon::kNone;
  int buttons = 0;
  int defaultButton = 0;
  bool systemModal = false;
};

// The dialog's geometry, all in dialog units of the dialog font.
struct MessageLayout {
  FontDescription font;
  int charWidth = 0;    // pixels: the dialog unit base, horizontal
  int charHeight = 0;   // pixels: the dialog unit base, vertical
  Rect dialog;
  Rect text;
  std::optional<Rect> icon;
  std::vector<Rect> buttons;
};

// The dialog font: "MS Sans Serif" 8 with the new look, else bold "Helv" 8.
FontDescription messageFont(bool newLook);
MessageLayout layoutMessage(Backend& backend, const FontDescription& font, std::string_view text,
                            bool withIcon, size_t buttonCount);

// The bit of the button at `field` of an open message box; 0 if it is none.
int messageButtonBit(const Window& box, int field);

// The structure of the dialog: its text as field 1, the icon (if any) next,
// then one button per shown button, in order; the default button marked.
std::unique_ptr<Structure> buildMessageStructure(const MessageRequest& request,
                                                 const MessageLayout& layout);

}  // namespace linkar::ui
