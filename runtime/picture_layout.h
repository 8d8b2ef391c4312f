// Layout texts: how the editing controls describe a date or time picture to
// the user ("Mm/dd/yy", "Hh:mmPP", ...), including the texts converted back
// from the Windows pictures 17, 18, 7 and 8.
#pragma once

#include <string>
#include <string_view>

#include "runtime/picture.h"

namespace linkar::runtime {

// Layout text of date picture 1..20 ("" for any other number). Pictures 17
// and 18 give the text converted from the current Windows pictures.
std::string dateLayoutText(int pictureNumber);

// Layout text of time picture 1..8 ("" for any other number); 7 and 8 from
// the Windows pictures.
std::string timeLayoutText(int pictureNumber);

// Converts a template back into a layout text: digit positions become their
// layout letters (capital when the leading zero shows as a blank), month
// letters "N", designator letters "P", separators and fixed positions their
// own character.
std::string layoutFromTemplate(const PictureTemplate& positions, PictureKind kind);

}  // namespace linkar::runtime
