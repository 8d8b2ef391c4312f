// Formatting values for display through a compiled picture (FORMAT).
//
// Dates are day numbers and times are time values (1 + hundredths of a
// second since midnight); a date or time of 0 or one that cannot be shown
// gives blanks. A number too wide for its picture is shown as "#" in every
// position. An invalid picture gives an empty text.
#pragma once

#include <string>
#include <string_view>

#include "runtime/picture.h"

namespace linkar::runtime {

// A number in plain decimal: whole numbers without a point, others with up
// to 15 significant digits ("12", "-0.5", "1.5e+20").
std::string plainNumberText(double value);

// Reads the leading number of a text as the evaluator does: blanks, a sign,
// digits with an optional fraction and exponent; 0 when there is none.
double leadingNumber(std::string_view text);

// Formats a number through the picture. Text pictures show the number's
// plain text, cut or padded to their length.
std::string formatNumber(const CompiledPicture& picture, double value);

// Formats a text: text pictures cut or pad it, key-in pictures fill their
// slots with its characters, every other kind reads it as a number first.
std::string formatText(const CompiledPicture& picture, std::string_view text);

// True when the number can be shown by the picture without overflowing
// (an edit control refuses a value that does not fit).
bool numberFits(const CompiledPicture& picture, double value);

}  // namespace linkar::runtime
