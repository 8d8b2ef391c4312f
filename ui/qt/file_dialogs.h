// The open- and save-file dialogs of FILEDIALOG: the program's filter
// strings ("All Files|*.*|HTML Files (*.htm)|*.htm") turned into the
// desktop's name filters, and the dialog set up from the request.
#pragma once

#include <QStringList>
#include <string_view>

#include "ui/engine.h"

class QFileDialog;
class QWidget;

namespace linkar::ui::qt {

// One name filter per description|patterns pair, in order: "HTML Files
// (*.htm)". Patterns separated by ';' become a list; "*.*" matches every
// file, with or without an extension. A description without patterns is
// left out; an empty text gives "All Files (*)".
QStringList nameFilters(std::string_view programFilters);

// A file dialog for the request, not yet shown (the caller opens it
// without a nested event loop and reads the answer when it finishes).
QFileDialog* makeFileDialog(const FileDialogRequest& request, QWidget* parent);

}  // namespace linkar::ui::qt
