// Message-box building: which buttons, which icon, the text rules and the
// geometry of the dialog.

#include "ui/message_box.h"

#include <algorithm>
#include <cstdlib>

#include "ui/window.h"

namespace linkar::ui {
namespace {

constexpr MessageButtonInfo kButtons[] = {
    {Button::kOk, "OK", 1},         {Button::kYes, "&Yes", 6},    {Button::kNo, "&No", 7},
    {Button::kAbort, "&Abort", 3},  {Button::kRetry, "&Retry", 4}, {Button::kIgnore, "&Ignore", 5},
    {Button::kCancel, "Cancel", 2}, {Button::kHelp, "&Help", 9},
};

// Letters whose width, over 26, gives the average character width.
constexpr std::string_view kMeasureLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
// Text wraps at this many horizontal dialog units.
constexpr int kWrapUnits = 200;
// Pixels added to the measured text height.
constexpr int kTextExtraPixels = 10;
// Margin around the text and between the parts, in dialog units.
constexpr int kMargin = 5;
// Narrowest dialog, in dialog units.
constexpr int kMinDialogWidth = 45;
// Button size and spacing, in dialog units.
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kButtonGap = 5;

int ceilDiv(int a, int b) { return b <= 0 ? 0 : (a + b - 1) / b; }

}  // namespace

std::vector<MessageButtonInfo> messageButtons(int bits) {
  if ((bits & 0xFF) == 0) bits = Button::kOk;
  std::vector<MessageButtonInfo> out;
  for (const auto& b : kButtons)
    if (bits & b.bit) out.push_back(b);
  return out;
}

int messageDefaultButton(int bits, int requested) {
  auto shown = messageButtons(bits);
  for (const auto& b : shown)
    if (b.bit == requested) return requested;
  return shown.front().bit;
}

int messageBitForDialogId(int dialogId) {
  for (const auto& b : kButtons)
    if (b.dialogId == dialogId) return b.bit;
  return 0;
}

int messageButtonBit(const Window& box, int field) {
  if (box.kind() != WindowKind::MessageBox || !box.hasField(field)) return 0;
  const ControlDecl& c = box.control(field);
  if (c.type != ControlType::Button) return 0;
  return messageBitForDialogId(std::atoi(c.use.c_str()));
}

int messageIcon(std::string_view iconName, int icon) {
  if (!iconName.empty()) return Icon::kNamed;
  int nibble = icon & 0xF0;
  switch (nibble) {
    case Icon::kHand: case Icon::kQuestion: case Icon::kExclamation: case Icon::kAsterisk:
    case Icon::kNamed:
      return nibble;
    default:
      return Icon::kNone;
  }
}

std::string prepareMessageText(std::string_view text) {
  text = text.substr(0, std::min(text.size(), kMessageTextMax));
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '|') out += "\r\n";
    else out += c;
  }
  return out;
}

FontDescription messageFont(bool newLook) {
  return newLook ? FontDescription{"MS Sans Serif", 8, false} : FontDescription{"Helv", 8, true};
}

MessageLayout layoutMessage(Backend& backend, const FontDescription& font, std::string_view text,
                            bool withIcon, size_t buttonCount) {
  MessageLayout l;
  l.font = font;
  l.charWidth = std::max(1, (backend.textWidth(font, kMeasureLetters) / 26 + 1) / 2);
  l.charHeight = std::max(1, backend.textHeight(font));
  auto toUnitsX = [&](int px) { return ceilDiv(px * 4, l.charWidth); };
  auto toUnitsY = [&](int px) { return ceilDiv(px * 8, l.charHeight); };

  TextExtent extent = backend.measureWrapped(font, text, kWrapUnits * l.charWidth / 4);
  int textW = toUnitsX(extent.width);
  int textH = toUnitsY(extent.height + kTextExtraPixels);
  int contentH = textH;
  int textX = kMargin;
  if (withIcon) {
    int iconW = toUnitsX(backend.iconSize());
    int iconH = toUnitsY(backend.iconSize());
    contentH = std::max(textH, iconH);
    l.icon = Rect{kMargin, kMargin + (contentH - iconH) / 2, iconW, iconH};
    textX += iconW + kMargin;
  }
  l.text = Rect{textX, kMargin + (contentH - textH) / 2, textW, textH};

  int n = static_cast<int>(buttonCount);
  int rowW = n * kButtonWidth + std::max(0, n - 1) * kButtonGap;
  int width = std::max({kMinDialogWidth, textX + textW + kMargin, rowW + 2 * kMargin});
  int buttonsY = kMargin + contentH + kMargin;
  int x = (width - rowW) / 2;
  for (int i = 0; i < n; ++i) {
    l.buttons.push_back(Rect{x, buttonsY, kButtonWidth, kButtonHeight});
    x += kButtonWidth + kButtonGap;
  }
  l.dialog = Rect{0, 0, width, buttonsY + kButtonHeight + kMargin};
  return l;
}

std::unique_ptr<Structure> buildMessageStructure(const MessageRequest& request,
                                                 const MessageLayout& layout) {
  auto s = std::make_unique<Structure>();
  s->label = "MESSAGE";
  s->kind = StructureKind::Window;
  s->title = request.title;
  s->at = layout.dialog;
  s->fontFace = layout.font.face;
  s->fontSize = layout.font.points;
  s->fontBold = layout.font.bold;
  int field = 1;
  ControlDecl text;
  text.type = ControlType::String;
  text.field = field++;
  text.at = layout.text;
  text.text = request.text;
  text.use = "MessageText";
  s->controls.push_back(text);
  int icon = messageIcon(request.iconName, request.icon);
  if (layout.icon && icon != Icon::kNone) {
    ControlDecl image;
    image.type = ControlType::Image;
    image.field = field++;
    image.at = *layout.icon;
    image.text = icon == Icon::kNamed ? request.iconName : std::to_string(icon);
    image.use = "MessageIcon";
    s->controls.push_back(image);
  }
  auto buttons = messageButtons(request.buttons);
  int focus = messageDefaultButton(request.buttons, request.defaultButton);
  for (size_t i = 0; i < buttons.size(); ++i) {
    ControlDecl b;
    b.type = ControlType::Button;
    b.field = field++;
    b.at = i < layout.buttons.size() ? std::optional<Rect>(layout.buttons[i]) : std::nullopt;
    b.text = buttons[i].text;
    b.use = std::to_string(buttons[i].dialogId);
    b.isDefault = buttons[i].bit == focus;
    s->controls.push_back(b);
  }
  return s;
}

}  // namespace linkar::ui
