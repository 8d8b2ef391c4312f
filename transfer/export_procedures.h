// The export of the whole collection as one HTML page. Export shows the
// window "Export to HTML Document", where the user names the file (typed,
// or picked with "..."); its "OK" runs ExportToHTML, which writes the page
// under a progress window that can be cancelled: a cancelled page still
// ends properly, with the index of the categories it got to.
#pragma once

#include <cstdint>
#include <string>

namespace linkar::transfer {

void Export();
void ExportToHTML();

// Registers Export (the frame's "&Export") and ExportToHTML.
void registerExportProcedures();

// What the last ExportToHTML did, for the command line.
struct ExportCounts {
  int64_t sites = 0;       // sites written into the page
  int64_t categories = 0;  // category headings written
  bool replaced = false;   // the page took the place of the named file
};
ExportCounts lastExportCounts();

// "exported 812 sites in 23 categories to NAME".
std::string exportSummaryLine(const ExportCounts& counts, const std::string& name);

}  // namespace linkar::transfer
