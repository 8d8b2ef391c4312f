// The program's own start: what runs on the main procedure thread once the
// window engine is up. It sets the shared variables and calls Main; when
// Main returns the program is over.
#pragma once

namespace linkar::app {

// Runs on the main procedure thread (thread 1).
void ProgramEntry();

}  // namespace linkar::app
