// International settings: defaults, the builders of the Windows date and time
// pictures, and the start-up sequence.
#include "runtime/intl.h"

#include <algorithm>
#include <cassert>

#include <cstdio>
#include <memory>

#include "platform/profile.h"
#include "runtime/char_tables.h"
#include "runtime/env_file.h"
#include "runtime/picture_layout.h"

namespace linkar::runtime {
namespace {

constexpr std::array<std::string_view, kMonthCount> kDefaultMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, kMonthCount> kDefaultMonthAbbrevs = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Month-name positions of "MMM" and "MMMM" in a Windows date picture.
constexpr int kAbbrevLetters = 3;
constexpr int kFullNameLetters = 9;
// Most year digits a Windows date picture can show.
constexpr int kMaxYearDigits = 4;
// Appended to the program's path, cut at its last ".", to name its environment file.
constexpr std::string_view kEnvironmentExtension = ".ENV";

void rebuildLayouts(IntlSettings& s) {
    s.shortDateLayout = layoutFromTemplate(s.shortDate, PictureKind::Date);
    s.longDateLayout = layoutFromTemplate(s.longDate, PictureKind::Date);
    s.shortTimeLayout = layoutFromTemplate(s.shortTime, PictureKind::Time);
    s.longTimeLayout = layoutFromTemplate(s.longTime, PictureKind::Time);
}

void fillDefaults(IntlSettings& s) {
    for (int i = 0; i < kMonthCount; ++i) {
        s.monthNames[i] = std::string(kDefaultMonthNames[i]);
        s.monthAbbrevs[i] = std::string(kDefaultMonthAbbrevs[i]);
    }
    s.am = s.windowsAm = std::string(kDefaultAm);
    s.pm = s.windowsPm = std::string(kDefaultPm);
    s.shortDate = buildWindowsDateTemplate(kDefaultShortDate);
    s.longDate = buildWindowsDateTemplate(kDefaultLongDate);
    const WindowsTimeSettings time;
    s.shortTime = buildWindowsTimeTemplate(time, false);
    s.longTime = buildWindowsTimeTemplate(time, true);
    s.charset = CharacterSet::Windows;
    s.digraphs.clear();
    rebuildLayouts(s);
}

IntlSettings makeDefaults() {
    IntlSettings s;
    fillDefaults(s);
    return s;
}

bool isDatePart(char c) { return c == 'd' || c == 'M' || c == 'y'; }

std::string readKey(const IntlProfileReader& reader, std::string_view key,
                    std::string_view fallback) {
    if (reader) {
        if (auto value = reader(key)) return *value;
    }
    return std::string(fallback);
}

// A profile number as Windows reads it: leading digits, anything else 0.
int profileNumber(std::string_view text) {
    int value = 0;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 100000; ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

IntlSettings& intlSettings() {
    static IntlSettings settings = makeDefaults();
    return settings;
}

void resetIntl() { fillDefaults(intlSettings()); }

void setMonthName(int month, std::string_view name) {
    assert(month >= 1 && month <= kMonthCount);
    intlSettings().monthNames[month - 1] = std::string(name.substr(0, kMaxMonthName));
}

void setMonthAbbrev(int month, std::string_view abbrev) {
    assert(month >= 1 && month <= kMonthCount);
    intlSettings().monthAbbrevs[month - 1] = std::string(abbrev.substr(0, kMaxMonthAbbrev));
}

void setDesignators(std::string_view am, std::string_view pm) {
    intlSettings().am = std::string(am.substr(0, kMaxDesignator));
    intlSettings().pm = std::string(pm.substr(0, kMaxDesignator));
}

PictureTemplate windowsDateTemplate(bool longForm) {
    return longForm ? intlSettings().longDate : intlSettings().shortDate;
}

PictureTemplate windowsTimeTemplate(bool longForm) {
    return longForm ? intlSettings().longTime : intlSettings().shortTime;
}

PictureTemplate buildWindowsDateTemplate(std::string_view text) {
    PictureTemplate out;
    std::size_t i = 0;
    bool leading = true;  // nothing but a day-of-week part seen so far
    bool droppingLiteral = false;
    while (i < text.size()) {
        const char c = text[i];
        if (isDatePart(c)) {
            std::size_t run = 0;
            while (i + run < text.size() && text[i + run] == c) ++run;
            i += run;
            droppingLiteral = false;
            if (c == 'd' && run >= 3) {
                // The day of the week has no positions: dropped, and when it
                // leads, so is the literal text after it.
                droppingLiteral = leading;
                continue;
            }
            leading = false;
            if (c == 'd') {
                out.push_back({run == 1 ? ' ' : '0', kPosDayDigit});
                out.push_back({'0', kPosDayDigit});
            } else if (c == 'M') {
                if (run <= 2) {
                    out.push_back({run == 1 ? ' ' : '0', kPosMonthDigit});
                    out.push_back({'0', kPosMonthDigit});
                } else {
                    const int letters = run == 3 ? kAbbrevLetters : kFullNameLetters;
                    for (int k = 0; k < letters; ++k) out.push_back({' ', kPosMonthLetter});
                }
            } else {
                const int digits = static_cast<int>(std::min<std::size_t>(run, kMaxYearDigits));
                for (int k = 0; k < digits; ++k) out.push_back({'0', kPosYearDigit});
            }
            continue;
        }
        std::string literal;
        if (c == '\'') {
            ++i;
            while (i < text.size()) {
                if (text[i] == '\'') {
                    if (i + 1 < text.size() && text[i + 1] == '\'') {
                        literal += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal += text[i++];
            }
        } else {
            literal += c;
            ++i;
        }
        if (droppingLiteral) continue;
        leading = false;
        for (char l : literal) out.push_back({l, kPosSeparator});
    }
    return out;
}

PictureTemplate buildWindowsTimeTemplate(const WindowsTimeSettings& settings, bool longForm) {
    PictureTemplate out;
    out.push_back({settings.leadingZero ? '0' : ' ', kPosHourDigit});
    out.push_back({'0', kPosHourDigit});
    for (char c : settings.separator) out.push_back({c, kPosSeparator});
    out.push_back({'0', kPosMinuteDigit});
    out.push_back({'0', kPosMinuteDigit});
    if (longForm) {
        for (char c : settings.separator) out.push_back({c, kPosSeparator});
        out.push_back({'0', kPosSecondDigit});
        out.push_back({'0', kPosSecondDigit});
    }
    if (settings.twelveHour) {
        out.push_back({' ', kPosFixed});
        out.push_back({0, kPosDesignator});
        out.push_back({'M', kPosFixed});
    }
    return out;
}

void applyWindowsSettings(const IntlProfileReader& reader) {
    IntlSettings& s = intlSettings();
    WindowsTimeSettings time;
    time.twelveHour = profileNumber(readKey(reader, kKeyTime, kDefaultTime)) == 0;
    time.leadingZero =
        profileNumber(readKey(reader, kKeyTimeLeadingZero, kDefaultTimeLeadingZero)) != 0;
    time.separator = readKey(reader, kKeyTimeSeparator, kDefaultTimeSeparator);
    s.windowsAm = readKey(reader, kKeyAmDesignator, kDefaultAm).substr(0, kMaxDesignator);
    s.windowsPm = readKey(reader, kKeyPmDesignator, kDefaultPm).substr(0, kMaxDesignator);
    s.shortTime = buildWindowsTimeTemplate(time, false);
    s.longTime = buildWindowsTimeTemplate(time, true);
    s.shortDate = buildWindowsDateTemplate(readKey(reader, kKeyShortDate, kDefaultShortDate));
    s.longDate = buildWindowsDateTemplate(readKey(reader, kKeyLongDate, kDefaultLongDate));
    rebuildLayouts(s);
}

IntlProfileReader profileIntlReader(const std::string& iniPath) {
    std::string contents;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(iniPath.c_str(), "rb"),
                                                         &std::fclose);
    if (file) {
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
            contents.append(buffer, got);
            // A file this large is not a profile: its keys are not read.
            if (contents.size() > platform::kMaxProfileFile) {
                contents.clear();
                break;
            }
        }
    }
    auto profile = std::make_shared<platform::ProfileText>(contents);
    return [profile](std::string_view key) { return profile->find(kIntlSection, key); };
}

IntlProfileReader linkarIniIntlReader() {
    std::string path;
    if (platform::resolveProfileName(platform::kSystemProfileName, &path) != 0) return {};
    return profileIntlReader(path);
}

std::string environmentFileFor(std::string_view programPath) {
    // Only a dot in the file name itself counts; a dot in a folder name does not.
    const std::size_t slash = programPath.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = programPath.rfind('.');
    std::string_view stem = programPath;
    if (dot != std::string_view::npos && dot >= nameStart) stem = programPath.substr(0, dot);
    return std::string(stem) + std::string(kEnvironmentExtension);
}

void startIntl(const IntlProfileReader& reader, std::string_view programPath) {
    applyWindowsSettings(reader);
    saveCollationTable();
    if (!programPath.empty()) loadEnvironmentFile(environmentFileFor(programPath));
}

}  // namespace linkar::runtime
