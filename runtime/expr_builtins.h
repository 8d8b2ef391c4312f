// The built-in functions of the expression evaluator, by function number.
//
// Results where the language leaves room (arguments are 1-based positions;
// a missing argument counts as 0 or '' unless said otherwise):
//  - SUB(text, start, length): `length` characters from `start`; a negative
//    start counts from the end (-1 is the last character); a missing length
//    takes the rest; positions outside the text give fewer characters.
//  - INSTRING(sub, text, step, start): the position of the first match of
//    `sub` at start, start + step, ...; step and start default to 1; a
//    negative step searches backwards; 0 when there is no match, sub is
//    empty or step is 0.
//  - CLIP: trailing blanks removed. LEFT(text, n): leading blanks moved to the
//    end, then cut or padded to n (default: the text's length). RIGHT(text):
//    trailing blanks moved to the front. CENTER(text, n): the text without
//    its outer blanks centred in n positions (default: the text's length),
//    an odd blank going to the right.
//  - ALL(text, n): the text repeated to n characters (default 255).
//  - CHR(n): the character with code n (modulo 256); VAL(text): the code of
//    its first character, 0 for ''. LEN: the length, blanks included.
//  - UPPER, LOWER: through the runtime's case tables.
//  - NUMERIC(text): 1 when the text without outer blanks is a number (sign,
//    digits, optional fraction and exponent), else 0.
//  - FORMAT(value, picture) and DEFORMAT(text, picture): through the picture;
//    an invalid or missing picture gives the value's plain text, and
//    DEFORMAT without a picture keeps only the digits, "." and "-".
//  - INT: cut towards zero. ABS, SQRT, LOGE, LOG10, SIN, COS, TAN, ASIN, ACOS,
//    ATAN: reals; an argument outside the domain gives 0.
//  - ROUND(x, step): x rounded half away from zero to a multiple of step
//    (default 1; step 0 leaves x as it is).
//  - RANDOM(low, high): a whole number from low to high, both included
//    (swapped when reversed).
//  - BAND, BOR, BXOR on 32-bit values; BSHIFT(x, n) shifts left for n > 0 and
//    right (without sign) for n < 0; shifts of 32 or more give 0.
//  - TODAY: today's day number; CLOCK: the time value of now.
//  - DATE(month, day, year): the day number; a month outside 1..12 or a day
//    past the month's end carries into the following months and years; a
//    date that still cannot be composed gives 0.
//  - DAY, MONTH, YEAR: the parts of a day number, 0 for an invalid one.
//  - AGE(birth, base): as the language describes it; a missing base, or -1,
//    is today.
//  - MEMORY: the memory still available, in bytes, at most 2^31 - 1.
#pragma once

#include <span>

#include "runtime/expr_value.h"

namespace linkar::runtime {

// Function numbers of the built-ins.
namespace fn {
inline constexpr int kMemory = 1;
inline constexpr int kSub = 2;
inline constexpr int kInstring = 3;
inline constexpr int kClip = 4;
inline constexpr int kAll = 5;
inline constexpr int kCenter = 6;
inline constexpr int kChr = 7;
inline constexpr int kDeformat = 8;
inline constexpr int kFormat = 9;
inline constexpr int kLeft = 10;
inline constexpr int kLen = 11;
inline constexpr int kLower = 12;
inline constexpr int kNumeric = 13;
inline constexpr int kRight = 14;
inline constexpr int kUpper = 15;
inline constexpr int kVal = 16;
inline constexpr int kAbs = 17;
inline constexpr int kInrange = 18;
inline constexpr int kInt = 19;
inline constexpr int kLoge = 20;
inline constexpr int kLog10 = 21;
inline constexpr int kRandom = 22;
inline constexpr int kRound = 23;
inline constexpr int kSqrt = 24;
inline constexpr int kSin = 25;
inline constexpr int kCos = 26;
inline constexpr int kTan = 27;
inline constexpr int kAsin = 28;
inline constexpr int kAcos = 29;
inline constexpr int kAtan = 30;
inline constexpr int kBand = 31;
inline constexpr int kBor = 32;
inline constexpr int kBxor = 33;
inline constexpr int kBshift = 34;
inline constexpr int kToday = 35;
inline constexpr int kClock = 36;
inline constexpr int kDate = 37;
inline constexpr int kDay = 38;
inline constexpr int kMonth = 39;
inline constexpr int kYear = 40;
inline constexpr int kAge = 41;
}  // namespace fn

// Calls built-in `function` with the given arguments (possibly fewer than
// its maximum). An unknown function number gives 0.
Value callBuiltin(int function, std::span<const Value> arguments);

// AGE on day numbers; base -1 means today.
std::string ageText(std::int32_t birth, std::int32_t base);

}  // namespace linkar::runtime
