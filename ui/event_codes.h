// Event codes of the window engine and the names its trace prints.
// An event is a small integer; field events are below 0x200, window events
// from 0x201 up. Inside the engine an event travels as message code + 0x1400.
#pragma once

#include <string_view>

namespace linkar::ui {

// The message number an event code travels as inside the engine.
constexpr int kEventMessageBase = 0x1400;

namespace Event {
// Field events: about one control.
constexpr int Accepted = 0x01;
constexpr int NewSelection = 0x02;
constexpr int ScrollUp = 0x03;
constexpr int ScrollDown = 0x04;
constexpr int PageUp = 0x05;
constexpr int PageDown = 0x06;
constexpr int ScrollTop = 0x07;
constexpr int ScrollBottom = 0x08;
constexpr int Locate = 0x09;
constexpr int MouseUp = 0x0A;
constexpr int MouseIn = 0x0B;
constexpr int MouseOut = 0x0C;
constexpr int MouseMove = 0x0D;
constexpr int VBXevent = 0x0E;
constexpr int AlertKey = 0x0F;
constexpr int PreAlert = 0x10;
constexpr int Dragging = 0x11;
constexpr int Drag = 0x12;
constexpr int Drop = 0x13;
constexpr int ScrollDrag = 0x14;
constexpr int TabChanging = 0x15;
constexpr int Expanding = 0x16;
constexpr int Contracting = 0x17;
constexpr int Expanded = 0x18;
constexpr int Contracted = 0x19;
constexpr int Rejected = 0x1A;
constexpr int DroppingDown = 0x1B;
constexpr int DroppedDown = 0x1C;
// Window events: about the window as a whole (field 0).
constexpr int Selected = 0x101;
constexpr int CloseWindow = 0x201;
constexpr int CloseDown = 0x202;
constexpr int OpenWindow = 0x203;
constexpr int OpenFailed = 0x204;
constexpr int LoseFocus = 0x205;
constexpr int GainFocus = 0x206;
constexpr int Suspend = 0x208;
constexpr int Resume = 0x209;
constexpr int Notify = 0x20A;
constexpr int Timer = 0x20B;
constexpr int DDErequest = 0x20C;
constexpr int DDEadvise = 0x20D;
constexpr int DDEdata = 0x20E;
constexpr int DDEexecute = 0x20F;
constexpr int DDEpoke = 0x210;
constexpr int DDEclosed = 0x211;
constexpr int Move = 0x220;
constexpr int Size = 0x221;
constexpr int Restore = 0x222;
constexpr int Maximize = 0x223;
constexpr int Iconize = 0x224;
constexpr int Completed = 0x225;
constexpr int Moved = 0x230;
constexpr int Sized = 0x231;
constexpr int Restored = 0x232;
constexpr int Maximized = 0x233;
constexpr int Iconized = 0x234;
}  // namespace Event

// "EVENT:Accepted" and so on; empty for a code that names no event.
std::string_view eventName(int code);

// Field events (codes below 0x200, EVENT:Selected among them) carry the
// control's field number; window events carry 0.
bool isFieldEvent(int code);

}  // namespace linkar::ui
