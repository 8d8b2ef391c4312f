// A walk through the desktop that writes PNG pictures of it into a folder,
// so a person can look at the windows without running the program by
// hand: the frame with its menus open, the About box, the site browse over
// a sample collection in each of its tabs, and one message box of each
// button layout the program uses. The walk runs in a temporary folder of
// its own, so that it neither reads nor writes the user's data files and
// settings.
#pragma once

#include <QString>

namespace linkar::ui::qt {
class QtBackend;
}

namespace linkar::app {

// Runs the program on `backend` (already tied to its engine, nothing
// started yet) and writes the pictures into `folder`, creating it. Returns
// the number of pictures written; a message on stderr for each failure.
int runScreenshotTour(ui::qt::QtBackend& backend, const QString& folder);

}  // namespace linkar::app
