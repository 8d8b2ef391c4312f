// Message-box rules that need no running thread: buttons and their order,
// the default button, the icon choice, the text limits and line breaks, and
// the dialog geometry in dialog units.

#include "ui/message_box.h"

#include <gtest/gtest.h>

namespace linkar::ui {
namespace {

// A backend with an 8-pixel average character and 16-pixel lines, wrapping
// nothing: enough to check the arithmetic of the layout.
class FixedBackend : public Backend {
 public:
  int charWidth = 8;
  int lineHeight = 16;
  TextExtent wrapped{0, 16};
  int lastWrapWidth = 0;
  int textWidth(const FontDescription&, std::string_view text) override {
    return static_cast<int>(text.size()) * charWidth;
  }
  int textHeight(const FontDescription&) override { return lineHeight; }
  TextExtent measureWrapped(const FontDescription&, std::string_view, int maxWidth) override {
    lastWrapWidth = maxWidth;
    return wrapped;
  }
};

std::vector<std::string> texts(int bits) {
  std::vector<std::string> out;
  for (const auto& b : messageButtons(bits)) out.push_back(b.text);
  return out;
}

TEST(MessageButtons, AppearInTheFixedOrderWhateverTheBits) {
  EXPECT_EQ(texts(0), std::vector<std::string>{"OK"});
  EXPECT_EQ(texts(Button::kNo | Button::kYes), (std::vector<std::string>{"&Yes", "&No"}));
  EXPECT_EQ(texts(Button::kHelp | Button::kCancel | Button::kIgnore | Button::kRetry | Button::kAbort |
                  Button::kNo | Button::kYes | Button::kOk),
            (std::vector<std::string>{"OK", "&Yes", "&No", "&Abort", "&Retry", "&Ignore", "Cancel", "&Help"}));
  EXPECT_EQ(texts(Button::kCancel | Button::kOk), (std::vector<std::string>{"OK", "Cancel"}));
}

TEST(MessageButtons, DialogIdentifiersMapBackToTheirBits) {
  const int ids[] = {1, 6, 7, 3, 4, 5, 2, 9};
  const int bits[] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(messageBitForDialogId(ids[i]), bits[i]);
  EXPECT_EQ(messageBitForDialogId(8), 0);
}

TEST(MessageButtons, DefaultIsTheCallersWhenShownElseTheFirst) {
  EXPECT_EQ(messageDefaultButton(Button::kYes | Button::kNo, Button::kNo), Button::kNo);
  EXPECT_EQ(messageDefaultButton(Button::kYes | Button::kNo, Button::kCancel), Button::kYes);
  EXPECT_EQ(messageDefaultButton(Button::kYes | Button::kNo, 0), Button::kYes);
  EXPECT_EQ(messageDefaultButton(0, Button::kNo), Button::kOk);
}

TEST(MessageIcons, HighNibbleChoosesAndANameForcesTheNamedIcon) {
  EXPECT_EQ(messageIcon("", 0x10), Icon::kHand);
  EXPECT_EQ(messageIcon("", 0x23), Icon::kQuestion);
  EXPECT_EQ(messageIcon("", 0x30), Icon::kExclamation);
  EXPECT_EQ(messageIcon("", 0x40), Icon::kAsterisk);
  EXPECT_EQ(messageIcon("", 0x50), Icon::kNone);
  EXPECT_EQ(messageIcon("", 0), Icon::kNone);
  EXPECT_EQ(messageIcon("DESK.ICO", 0x10), Icon::kNamed);
}

TEST(MessageText, BarsBecomeLineBreaksAndLongTextIsCut) {
  EXPECT_EQ(prepareMessageText("one|two"), "one\r\ntwo");
  EXPECT_EQ(prepareMessageText("||"), "\r\n\r\n");
  std::string longText(1500, 'x');
  EXPECT_EQ(prepareMessageText(longText).size(), kMessageTextMax);
  // The cut comes before the bars are expanded: the caller's 1023 characters.
  std::string bars(1100, '|');
  EXPECT_EQ(prepareMessageText(bars).size(), 2 * kMessageTextMax);
}

TEST(MessageLayout, UnitsComeFromTheFontAndTheTextIsWrappedAt200Units) {
  FixedBackend b;
  // 52 letters of 8 px: 416 / 26 = 16, + 1 = 17, halved = 8.
  MessageLayout l = layoutMessage(b, messageFont(true), "x", false, 1);
  EXPECT_EQ(l.charWidth, 8);
  EXPECT_EQ(l.charHeight, 16);
  EXPECT_EQ(b.lastWrapWidth, 200 * 8 / 4);
  EXPECT_EQ(l.font.face, "MS Sans Serif");
  EXPECT_FALSE(l.font.bold);
  EXPECT_EQ(messageFont(false).face, "Helv");
  EXPECT_TRUE(messageFont(false).bold);
}

TEST(MessageLayout, NarrowTextGivesTheMinimumWidthAndButtonsAreCentred) {
  FixedBackend b;
  b.wrapped = {8, 16};
  MessageLayout l = layoutMessage(b, messageFont(true), "x", false, 0);
  EXPECT_EQ(l.dialog.width, 45);
  l = layoutMessage(b, messageFont(true), "x", false, 2);
  // Two buttons: 50 + 5 + 50 = 105, plus the margins.
  EXPECT_EQ(l.dialog.width, 115);
  ASSERT_EQ(l.buttons.size(), 2u);
  EXPECT_EQ(l.buttons[0].width, 50);
  EXPECT_EQ(l.buttons[0].height, 14);
  EXPECT_EQ(l.buttons[1].x - l.buttons[0].x, 55);
  EXPECT_EQ(l.buttons[0].x, (l.dialog.width - 105) / 2);
  EXPECT_GE(l.buttons[0].y, l.text.y + l.text.height);
  EXPECT_EQ(l.dialog.height, l.buttons[0].y + 14 + 5);
}

TEST(MessageLayout, TextHeightAddsTenPixelsAndWidthTheMargins) {
  FixedBackend b;
  b.wrapped = {400, 32};  // 400 px = 200 units; 32 + 10 px = 21 units (rounded up)
  MessageLayout l = layoutMessage(b, messageFont(true), "x", false, 1);
  EXPECT_EQ(l.text.x, 5);
  EXPECT_EQ(l.text.width, 200);
  EXPECT_EQ(l.text.height, 21);
  EXPECT_EQ(l.dialog.width, 210);
}

TEST(MessageLayout, AnIconSitsLeftAndPushesTheTextRight) {
  FixedBackend b;
  b.wrapped = {80, 16};
  MessageLayout l = layoutMessage(b, messageFont(true), "x", true, 1);
  ASSERT_TRUE(l.icon);
  EXPECT_EQ(l.icon->x, 5);
  EXPECT_EQ(l.icon->width, 32 * 4 / 8);
  EXPECT_EQ(l.text.x, 5 + l.icon->width + 5);
  // Vertically centred against the text (the taller of the two here).
  int contentH = std::max(l.icon->height, l.text.height);
  EXPECT_EQ(l.icon->y, 5 + (contentH - l.icon->height) / 2);
}

TEST(MessageStructure, HoldsTextIconAndButtonsWithTheDefaultMarked) {
  FixedBackend b;
  MessageRequest r;
  r.text = "Sure?";
  r.title = "Question";
  r.icon = Icon::kQuestion;
  r.buttons = Button::kYes | Button::kNo;
  r.defaultButton = Button::kNo;
  MessageLayout l = layoutMessage(b, messageFont(true), r.text, true, 2);
  auto s = buildMessageStructure(r, l);
  ASSERT_EQ(s->controls.size(), 4u);
  EXPECT_EQ(s->title, "Question");
  EXPECT_EQ(s->controls[0].text, "Sure?");
  EXPECT_EQ(s->controls[1].type, ControlType::Image);
  EXPECT_EQ(s->controls[2].text, "&Yes");
  EXPECT_FALSE(s->controls[2].isDefault);
  EXPECT_EQ(s->controls[3].text, "&No");
  EXPECT_TRUE(s->controls[3].isDefault);
  EXPECT_LT(s->controls[2].at->x, s->controls[3].at->x);
}

}  // namespace
}  // namespace linkar::ui
