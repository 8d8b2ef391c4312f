// Key and mouse-button codes the engine reports with KEYCODE() and accepts as
// alerted keys. A code is a key value plus modifier bits, so Ctrl+Enter is
// kCtrl | kEnterKey.
#pragma once

namespace linkar::ui::Key {

// Modifier bits added to a key value.
constexpr int kShift = 0x100;
constexpr int kCtrl = 0x200;
constexpr int kAlt = 0x400;

// Mouse buttons (a click), and the double click of the left button.
constexpr int kMouseLeft = 0x01;
constexpr int kMouseRight = 0x02;
constexpr int kMouseCenter = 0x04;
constexpr int kMouseLeft2 = 0x05;

// Keys; printable characters A-Z and 0-9 use their ASCII capital codes.
constexpr int kBackspace = 0x08;
constexpr int kTab = 0x09;
constexpr int kEnterKey = 0x0D;
constexpr int kEscKey = 0x1B;
constexpr int kSpaceKey = 0x20;
constexpr int kPgUpKey = 0x21;
constexpr int kPgDnKey = 0x22;
constexpr int kEndKey = 0x23;
constexpr int kHomeKey = 0x24;
constexpr int kLeftKey = 0x25;
constexpr int kUpKey = 0x26;
constexpr int kRightKey = 0x27;
constexpr int kDownKey = 0x28;
constexpr int kInsertKey = 0x2D;
constexpr int kDeleteKey = 0x2E;
constexpr int kF1Key = 0x70;

constexpr int kCtrlEnter = kCtrl | kEnterKey;
constexpr int kCtrlHome = kCtrl | kHomeKey;
constexpr int kCtrlEnd = kCtrl | kEndKey;

}  // namespace linkar::ui::Key
