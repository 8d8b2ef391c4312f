// The procedures the frame's menu starts, found by name. The browses,
// imports, export and reports register themselves here (the program entry
// calls each layer's registration), so the frame needs no link to the
// layers above it.
#pragma once

#include <string_view>

#include "ui/procedure_threads.h"

namespace linkar::app {

// Registers (or replaces) the procedure of that name.
void registerProcedure(std::string_view name, ui::Procedure procedure);
// The procedure registered under the name, or null.
const ui::Procedure* findProcedure(std::string_view name);
// Forgets every registration (tests).
void clearProcedures();

// Registers the procedures of this layer that the frame starts (the
// browses, as they are written); the program entry calls it, and the
// registration of each layer above, before Main starts.
void registerProcedures();

}  // namespace linkar::app
