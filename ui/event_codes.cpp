// Names of the event codes, as the engine's message trace writes them.

#include "ui/event_codes.h"

#include <array>
#include <utility>

namespace linkar::ui {
namespace {

constexpr std::array<std::pair<int, std::string_view>, 56> kNames{{
    {Event::Accepted, "EVENT:Accepted"},
    {Event::NewSelection, "EVENT:NewSelection"},
    {Event::ScrollUp, "EVENT:ScrollUp"},
    {Event::ScrollDown, "EVENT:ScrollDown"},
    {Event::PageUp, "EVENT:PageUp"},
    {Event::PageDown, "EVENT:PageDown"},
    {Event::ScrollTop, "EVENT:ScrollTop"},
    {Event::ScrollBottom, "EVENT:ScrollBottom"},
    {Event::Locate, "EVENT:Locate"},
    {Event::MouseUp, "EVENT:MouseUp"},
    {Event::MouseIn, "EVENT:MouseIn"},
    {Event::MouseOut, "EVENT:MouseOut"},
    {Event::MouseMove, "EVENT:MouseMove"},
    {Event::VBXevent, "EVENT:VBXevent"},
    {Event::AlertKey, "EVENT:AlertKey"},
    {Event::PreAlert, "EVENT:PreAlert"},
    {Event::Dragging, "EVENT:Dragging"},
    {Event::Drag, "EVENT:Drag"},
    {Event::Drop, "EVENT:Drop"},
    {Event::ScrollDrag, "EVENT:ScrollDrag"},
    {Event::TabChanging, "EVENT:TabChanging"},
    {Event::Expanding, "EVENT:Expanding"},
    {Event::Contracting, "EVENT:Contracting"},
    {Event::Expanded, "EVENT:Expanded"},
    {Event::Contracted, "EVENT:Contracted"},
    {Event::Rejected, "EVENT:Rejected"},
    {Event::DroppingDown, "EVENT:DroppingDown"},
    {Event::DroppedDown, "EVENT:DroppedDown"},
    {Event::Selected, "EVENT:Selected"},
    {Event::CloseWindow, "EVENT:CloseWindow"},
    {Event::CloseDown, "EVENT:CloseDown"},
    {Event::OpenWindow, "EVENT:OpenWindow"},
    {Event::OpenFailed, "EVENT:OpenFailed"},
    {Event::LoseFocus, "EVENT:LoseFocus"},
    {Event::GainFocus, "EVENT:GainFocus"},
    {Event::Suspend, "EVENT:Suspend"},
    {Event::Resume, "EVENT:Resume"},
    {Event::Notify, "EVENT:Notify"},
    {Event::Timer, "EVENT:Timer"},
    {Event::DDErequest, "EVENT:DDErequest"},
    {Event::DDEadvise, "EVENT:DDEadvise"},
    {Event::DDEdata, "EVENT:DDEdata"},
    {Event::DDEexecute, "EVENT:DDEexecute"},
    {Event::DDEpoke, "EVENT:DDEpoke"},
    {Event::DDEclosed, "EVENT:DDEclosed"},
    {Event::Move, "EVENT:Move"},
    {Event::Size, "EVENT:Size"},
    {Event::Restore, "EVENT:Restore"},
    {Event::Maximize, "EVENT:Maximize"},
    {Event::Iconize, "EVENT:Iconize"},
    {Event::Completed, "EVENT:Completed"},
    {Event::Moved, "EVENT:Moved"},
    {Event::Sized, "EVENT:Sized"},
    {Event::Restored, "EVENT:Restored"},
    {Event::Maximized, "EVENT:Maximized"},
    {Event::Iconized, "EVENT:Iconized"},
}};

// Field events (EVENT:Selected included) stop below this code.
constexpr int kFirstWindowEvent = 0x200;

}  // namespace

std::string_view eventName(int code) {
  for (const auto& [value, name] : kNames)
    if (value == code) return name;
  return {};
}

bool isFieldEvent(int code) { return code > 0 && code < kFirstWindowEvent; }

}  // namespace linkar::ui
