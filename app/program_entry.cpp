// Program entry: shared variables, then the frame.

#include "app/program_entry.h"

#include "app/main_frame.h"
#include "app/shared_variables.h"

namespace linkar::app {

void ProgramEntry() {
  // A current directory that cannot be read leaves both directories blank;
  // the data files are still found by their bare names.
  initSharedVariables();
  Main();
}

}  // namespace linkar::app
