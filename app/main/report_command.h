// "linkar report location|category|rating|keyword|description|categories
// --pdf FILE [--data DIR]": one of the six listings run without the
// desktop. The listing runs as from the "&Reports" menu; its preview is
// answered with "&Print!" and the pages are printed to FILE as PDF, through
// the same page files and player as the desktop's printing. Prints
// "printed N sites on P pages to FILE" on standard output.
#pragma once

namespace linkar::app::cli {

// Adds the command to the command table.
void registerReportCommand();

}  // namespace linkar::app::cli
