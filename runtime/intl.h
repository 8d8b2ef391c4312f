// International settings: month names and abbreviations, the AM/PM
// designators, the pictures built from the Windows date and time settings
// (date pictures 17 and 18, time pictures 7 and 8), the character set, the
// collation digraphs, and the start-up sequence that reads them all once.
//
// The Windows "intl" settings come from the [intl] section of LINKAR.INI
// where it has the keys, else from the kDefault... values below. The case,
// class and collation tables themselves live in char_tables.h.
//
// Choices made where the Windows texts leave room: "d" and "M" are two
// digit positions with a blank lead; a day-of-week part ("ddd", "dddd") has
// no positions anywhere, and when it leads, the literal text after it is
// dropped too; "''" inside quotes is one quote; any other character is a
// separator position. Pictures wider than 255 positions do not compile.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/picture.h"

namespace linkar::runtime {

inline constexpr int kMonthCount = 12;
// Longest month name kept.
inline constexpr std::size_t kMaxMonthName = 12;
// Longest month abbreviation kept.
inline constexpr std::size_t kMaxMonthAbbrev = 3;
// Longest AM or PM designator kept.
inline constexpr std::size_t kMaxDesignator = 2;

// Profile section and keys of the Windows international settings.
inline constexpr std::string_view kIntlSection = "intl";
inline constexpr std::string_view kKeyTime = "iTime";
inline constexpr std::string_view kKeyTimeLeadingZero = "iTLzero";
inline constexpr std::string_view kKeyTimeSeparator = "sTime";
inline constexpr std::string_view kKeyAmDesignator = "s1159";
inline constexpr std::string_view kKeyPmDesignator = "s2359";
inline constexpr std::string_view kKeyShortDate = "sShortDate";
inline constexpr std::string_view kKeyLongDate = "sLongDate";

// Defaults of the keys above when the profile does not hold them.
inline constexpr std::string_view kDefaultTime = "0";
inline constexpr std::string_view kDefaultTimeLeadingZero = "1";
inline constexpr std::string_view kDefaultTimeSeparator = ":";
inline constexpr std::string_view kDefaultAm = "AM";
inline constexpr std::string_view kDefaultPm = "PM";
inline constexpr std::string_view kDefaultShortDate = "MM/dd/yy";
inline constexpr std::string_view kDefaultLongDate = "ddd', 'MMMM' 'dd', 'yyyy";

enum class CharacterSet { Windows, Oem };

// A pair of characters that collates as one: `pair` (upper case) takes the
// order value of `weightOf`.
struct Digraph {
    char first = 0;
    char second = 0;
    char weightOf = 0;
};

// The Windows time settings that time pictures 7 and 8 are built from.
struct WindowsTimeSettings {
    bool twelveHour = true;      // iTime 0
    bool leadingZero = true;     // iTLzero not 0
    std::string separator = ":";
};

struct IntlSettings {
    std::array<std::string, kMonthCount> monthNames;
    std::array<std::string, kMonthCount> monthAbbrevs;
    std::string am;          // designators in use
    std::string pm;
    std::string windowsAm;   // designators read from the Windows settings
    std::string windowsPm;
    PictureTemplate shortDate;
    PictureTemplate longDate;
    PictureTemplate shortTime;
    PictureTemplate longTime;
    // Layout texts of pictures 17, 18, 7 and 8, converted back from the
    // templates whenever those are rebuilt.
    std::string shortDateLayout;
    std::string longDateLayout;
    std::string shortTimeLayout;
    std::string longTimeLayout;
    CharacterSet charset = CharacterSet::Windows;
    std::vector<Digraph> digraphs;
};

// The process-wide settings, holding the defaults until changed.
IntlSettings& intlSettings();
// Everything back to the defaults (tests, and a fresh start-up).
void resetIntl();

void setMonthName(int month, std::string_view name);    // month 1..12, cut to 12
void setMonthAbbrev(int month, std::string_view abbrev);  // month 1..12, cut to 3
void setDesignators(std::string_view am, std::string_view pm);  // each cut to 2

// The compiled Windows pictures (17/18 and 7/8).
PictureTemplate windowsDateTemplate(bool longForm);
PictureTemplate windowsTimeTemplate(bool longForm);

// Builders from the Windows texts.
PictureTemplate buildWindowsDateTemplate(std::string_view windowsPicture);
PictureTemplate buildWindowsTimeTemplate(const WindowsTimeSettings& settings, bool longForm);

// Reads one key of the [intl] section; nothing when the key is absent.
using IntlProfileReader = std::function<std::optional<std::string>(std::string_view key)>;

// Steps 1 and 2 of start-up: time pictures 7 and 8, the Windows designators
// and date pictures 17 and 18 from the profile (or the defaults).
void applyWindowsSettings(const IntlProfileReader& reader);

// The whole start-up sequence, run once before the first window opens:
// Windows settings, a saved copy of the collation, then the environment file
// named after the program (its path cut at the last "." plus ".ENV"; a
// missing file is passed over). `reader` may be empty: the defaults are used.
void startIntl(const IntlProfileReader& reader, std::string_view programPath);

// Reader over the [intl] section of a profile file, read once when the
// reader is made (a missing file gives no keys).
IntlProfileReader profileIntlReader(const std::string& iniPath);

// Reader over the [intl] section of LINKAR.INI in the configuration folder.
IntlProfileReader linkarIniIntlReader();

// The environment file beside a program.
std::string environmentFileFor(std::string_view programPath);

}  // namespace linkar::runtime
