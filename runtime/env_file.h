// The environment file: KEY=VALUE lines that adapt the runtime to a language
// and country (character set, collation, case tables, month names, AM/PM,
// digraphs, button captions and message texts).
//
// Format: lines end at CR or LF and the file at a byte 0x1A or its end;
// blanks around keys and values are ignored; keys (case-insensitive) are cut
// to 31 characters and values to 255; a value is a list of items separated
// by commas, an item may be enclosed in double quotes (and then holds commas
// and blanks as they stand). Lines without "=" and unknown keys are passed
// over.
//
// Choices made where the format leaves room:
//  - VELCOLSEQ with a list: the listed characters (the items run together)
//    take consecutive order values in the order given, starting where the
//    lowest of them stood in the byte order; every other character keeps its
//    place relative to the others. A character listed twice counts once.
//  - VELCASE with a list: the items run together are read as pairs, upper
//    case then lower case; the pairs are added to the default ASCII tables.
//  - VELDIGRAPH: each item is three characters "XYZ": the pair XY (matched
//    after mapping to upper case) collates as the single character Z.
//  - VELMONTH, VELMON and VELBUTTON take as many items as are given (at most
//    12 for the months).
//  - VELMSGn takes the whole value as the text (a value wholly in double
//    quotes loses the quotes), so a message may hold commas.
//  - VELCHARSET=OEM: the texts of the following lines are read as code
//    page 850 and converted to the Windows set; characters without a Windows
//    equivalent become "?".
//  - A file that cannot be opened is passed over silently; at most 1 MiB of
//    a file is read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace linkar::runtime {

// Longest key and value kept from a line.
inline constexpr std::size_t kMaxEnvKey = 31;
inline constexpr std::size_t kMaxEnvValue = 255;
// Ends an environment file.
inline constexpr char kEnvEndOfFile = 0x1A;
// Button caption i overrides message number kButtonMessageBase + i.
inline constexpr int kButtonMessageBase = 32512;
// Name that selects the Windows settings instead of a file.
inline constexpr std::string_view kWindowsEnvironment = "WINDOWS";

// Loads the named environment: "WINDOWS" (any case) applies the Windows
// collation, case tables and designators; anything else is a file path.
// Returns false when the file cannot be opened (nothing changes).
bool loadEnvironmentFile(const std::string& nameOrPath);

// Applies the text of an environment file.
void applyEnvironmentText(std::string_view text);

// The Windows collation, case tables and AM/PM designators.
void applyWindowsEnvironment();

// The items of a value: split at commas outside double quotes, blanks around
// items removed, the quotes of a quoted item removed.
std::vector<std::string> splitEnvironmentList(std::string_view value);

}  // namespace linkar::runtime
