// Layout texts of the date and time pictures for the editing controls.
#include "runtime/picture_layout.h"

#include <array>

#include "runtime/intl.h"

namespace linkar::runtime {
namespace {

// Date pictures 1-16, then 19 and 20, as the editing controls show them.
constexpr std::array<std::string_view, 18> kDateLayoutTexts = {
    "Mm/dd/yy",   "Mm/dd/yyyy", "NNN Dd, yyyy", "NNNNNNNNN Dd, yyyy", "Dd/mm/yy",
    "Dd/mm/yyyy", "Dd NNN yy",  "Dd NNN yyyy",  "yy/mm/dd",           "yyyy/mm/dd",
    "yymmdd",     "yyyymmdd",   "Mm/yy",        "Mm/yyyy",            "yy/mm",
    "yyyy/mm",    "Dd NNNNNNNNN yyyy",          "NNNNNNNNN Dd yyyy"};
// Time pictures 1-6.
constexpr std::array<std::string_view, 6> kTimeLayoutTexts = {
    "hh:mm", "hhmm", "Hh:mmPP", "hh:mm:ss", "hhmmss", "Hh:mm:ssPP"};

// Picture numbers with their own place in the date table.
constexpr int kLastPlainDate = 16;
constexpr int kShortDate = 17;
constexpr int kLongDate = 18;
constexpr int kFirstLateDate = 19;
constexpr int kLastDate = 20;
constexpr int kLastPlainTime = 6;
constexpr int kShortTime = 7;
constexpr int kLongTime = 8;

char digitLetter(char small, char fill) {
    return fill == '0' ? small : static_cast<char>(small - 'a' + 'A');
}

}  // namespace

std::string dateLayoutText(int n) {
    if (n >= 1 && n <= kLastPlainDate) return std::string(kDateLayoutTexts[n - 1]);
    if (n == kShortDate) return intlSettings().shortDateLayout;
    if (n == kLongDate) return intlSettings().longDateLayout;
    if (n >= kFirstLateDate && n <= kLastDate) {
        return std::string(kDateLayoutTexts[n - kFirstLateDate + kLastPlainDate]);
    }
    return {};
}

std::string timeLayoutText(int n) {
    if (n >= 1 && n <= kLastPlainTime) return std::string(kTimeLayoutTexts[n - 1]);
    if (n == kShortTime) return intlSettings().shortTimeLayout;
    if (n == kLongTime) return intlSettings().longTimeLayout;
    return {};
}

std::string layoutFromTemplate(const PictureTemplate& positions, PictureKind) {
    std::string out;
    for (const PicturePosition& p : positions) {
        switch (p.code) {
            case kPosMonthDigit: out += digitLetter('m', p.fill); break;
            case kPosDayDigit: out += digitLetter('d', p.fill); break;
            case kPosYearDigit: out += 'y'; break;
            case kPosMonthLetter: out += 'N'; break;
            case kPosHourDigit: out += digitLetter('h', p.fill); break;
            case kPosMinuteDigit: out += 'm'; break;
            case kPosSecondDigit: out += 's'; break;
            case kPosDesignator: out += 'P'; break;
            default: out += p.fill; break;
        }
    }
    return out;
}

}  // namespace linkar::runtime
