// "linkar import html|text|scan FILE [--category NAME] [--data DIR]": one
// of the three imports run without the desktop. The category question is
// answered with NAME ("&Select"; a NAME not yet in Categories is added
// first) or, without --category, with no category ("Best Guess" for html,
// so categories come from the file's headings; "NEW" for the other two).
// Prints the import's summary line on standard output.
#pragma once

namespace linkar::app::cli {

// Adds the command to the command table.
void registerImportCommand();

}  // namespace linkar::app::cli
