// Reading typed or displayed text back through a compiled picture (DEFORMAT).
//
// Choices made here:
//  - Numbers: blanks, currency texts and grouping marks are passed over; a
//    "-" anywhere or an opening "(" makes the number negative; the decimal
//    mark is the picture's (a comma for a grave-accent picture, else a point);
//    with an implied decimal point and no mark typed, the last `places` digits
//    are the decimals. Any other character makes the text unreadable.
//  - Dates: numbers and month names are taken in the order of the picture;
//    a run of digits as long as the picture's digit positions is split by
//    them ("970105" through yymmdd); a missing day counts as 1 and a missing
//    year as the current one; a year below 100 means 1900 + year, as when a
//    date is composed. Month names match by their first three letters.
//  - Times: hours, minutes and seconds in that order, either separated or as
//    one run of digits ("0930", "093015"); an AM/PM designator may follow.
//  - Blank text reads as 0 (no date, no time) for every kind but text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/picture.h"

namespace linkar::runtime {

// The number (day number, time value, ...) that a text stands for; nothing
// when the text cannot be read through the picture or the picture is invalid.
std::optional<double> deformatNumber(const CompiledPicture& picture, std::string_view text);

// DEFORMAT as a text: text pictures give the text with trailing blanks
// removed, key-in pictures the characters of their slots, every other kind
// the number's plain text; an unreadable text gives an empty text.
std::string deformatText(const CompiledPicture& picture, std::string_view text);

}  // namespace linkar::runtime
