// Running one procedure of the program without a display, for a command:
// the headless window engine plays the user. The file dialog is answered
// with a given name, every message prints its text on standard error and
// takes its default button, and while a progress window is open its
// percentage line is shown on standard error when that is a terminal.
#pragma once

#include <string>

#include "ui/procedure_threads.h"

namespace linkar::app::cli {

struct SessionOutcome {
  bool ended = false;         // the program was ended (HALT, STOP's "&Abort")
  bool runtimeError = false;  // by the runtime-error box
};

// Runs `procedure` on a procedure thread of its own until it returns.
// `fileName` answers its file dialogs.
SessionOutcome runHeadless(ui::Procedure procedure, int stackBytes, const std::string& fileName);

}  // namespace linkar::app::cli
