// "linkar export FILE [--data DIR]": the whole collection written as one
// HTML page into FILE without the desktop, as "&Export" writes it. FILE
// keeps what it held unless the whole page could be written. Prints
// "exported N sites in M categories to FILE" on standard output.
#pragma once

namespace linkar::app::cli {

// Adds the command to the command table.
void registerExportCommand();

}  // namespace linkar::app::cli
