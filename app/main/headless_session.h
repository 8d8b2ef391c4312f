// Running one procedure of the program without a display, for a command:
// the headless window engine plays the user. The file dialog is answered
// with a given name, every message prints its text on standard error and
// takes its default button, and while a progress window is open its
// percentage line is shown on standard error when that is a terminal.
// Other windows the command expects (a lookup) are answered by pressing a
// button named for their label.
#pragma once

#include <string>
#include <vector>

#include "ui/procedure_threads.h"

namespace linkar::app::cli {

struct SessionOutcome {
  bool ended = false;         // the program was ended (HALT, STOP's "&Abort")
  bool runtimeError = false;  // by the runtime-error box
};

// A window the session answers whenever it is open: `button` (a use
// name) is pressed in the window of that label.
struct WindowAnswer {
  std::string label;
  std::string button;
};

// Runs `procedure` on a procedure thread of its own until it returns.
// `fileName` answers its file dialogs, `answers` its other windows.
SessionOutcome runHeadless(ui::Procedure procedure, int stackBytes, const std::string& fileName,
                           const std::vector<WindowAnswer>& answers = {});

}  // namespace linkar::app::cli
