// ReportPreview: the "Print Preview" window over the finished pages of a
// report. The user pages through them one page or two facing pages at a
// time, zooms on one page, jumps to a page by number, and then prints the
// report or cancels; the preview only shows the pages and reports the
// choice (producing and printing them belong to the report).
//
//   ReportPreview(queue);   // queue: the report's page file names, in order
//   if (app::SharedResponse == app::kResponseCompleted) ...print them...
#pragma once

#include <string>
#include <vector>

namespace linkar::reports {

// Shows the pages of `pages` (page file names, page n at index n - 1). On
// return SharedResponse is completed when the user chose "&Print!",
// cancelled otherwise; with no pages at all nothing is shown and it is
// cancelled. Runs inside a procedure thread, on the report's own thread.
void ReportPreview(const std::vector<std::string>& pages);

}  // namespace linkar::reports
