// Texts of the window model are bytes; the desktop shows them as UTF-8 and
// falls back to Windows-1252 for bytes that are not valid UTF-8. What the
// user types goes back as UTF-8.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace linkar::ui::qt {

QString toDisplay(std::string_view bytes);
std::string fromDisplay(const QString& text);

}  // namespace linkar::ui::qt
