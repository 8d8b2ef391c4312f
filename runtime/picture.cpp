// The picture compiler: checks a picture text and builds its header and
// template. Formatting and reading values back live in picture_format.cpp.
#include "runtime/picture.h"

#include <array>
#include <cassert>
#include <optional>

#include "runtime/intl.h"

namespace linkar::runtime {
namespace {

// Windows-derived picture numbers, filled from the international settings.
constexpr int kShortDatePicture = 17;
constexpr int kLongDatePicture = 18;
constexpr int kShortTimePicture = 7;
constexpr int kLongTimePicture = 8;
// Highest date and time picture numbers.
constexpr int kLastDatePicture = 20;
constexpr int kLastTimePicture = 8;

// Compile layouts of date pictures 1..20 (17 and 18 come from Windows); the
// long-name picture 4 has twelve month letters.
constexpr std::array<std::string_view, kLastDatePicture + 1> kDateLayouts = {
    "",           "Mm/dd/yy",    "Mm/dd/yyyy", "NNN Dd,yyyy", "NNNNNNNNNNNN Dd, yyyy",
    "Dd/mm/yy",   "Dd/mm/yyyy",  "Dd NNN yy",  "Dd NNN yyyy", "yy/mm/dd",
    "yyyy/mm/dd", "yymmdd",      "yyyymmdd",   "Mm/yy",       "Mm/yyyy",
    "yy/mm",      "yyyy/mm",     "",           "",            "Dd NNNNNNNNN yyyy",
    "NNNNNNNNN Dd yyyy"};

// Compile layouts of time pictures 1..6 (7 and 8 come from Windows).
constexpr std::array<std::string_view, kLastTimePicture + 1> kTimeLayouts = {
    "", "Hh:mm", "Hhmm", "Hh:mmPP", "hh:mm:ss", "hhmmss", "Hh:mm:ssPP", "", ""};

bool isDigitChar(char c) { return c >= '0' && c <= '9'; }
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Reads a decimal number at text[pos]; nullopt when there is no digit or it
// runs past 999 (no picture number or size is that large).
std::optional<int> readNumber(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    int value = 0;
    while (pos < text.size() && isDigitChar(text[pos])) {
        value = value * 10 + (text[pos] - '0');
        if (value > 999) return std::nullopt;
        ++pos;
    }
    if (pos == start) return std::nullopt;
    return value;
}

bool onlyBlanksFrom(std::string_view text, std::size_t pos) {
    for (; pos < text.size(); ++pos) {
        if (text[pos] != ' ') return false;
    }
    return true;
}

// A currency part: "$" or a text between tildes.
bool readCurrency(std::string_view text, std::size_t& pos, std::string& out) {
    if (pos >= text.size()) return true;
    if (text[pos] == '$') {
        out.assign(1, '$');
        ++pos;
        return true;
    }
    if (text[pos] == '~') {
        const std::size_t close = text.find('~', pos + 1);
        if (close == std::string_view::npos) return false;
        out = std::string(text.substr(pos + 1, close - pos - 1));
        pos = close + 1;
    }
    return true;
}

}  // namespace

class PictureCompiler {
public:
    explicit PictureCompiler(CompiledPicture& out) : m_out(out) {}

    bool run(std::string_view text) {
        m_out.m_valid = compile(text);
        return m_out.m_valid;
    }

private:
    bool compile(std::string_view text) {
        if (!text.empty() && text.front() == '@') text.remove_prefix(1);
        if (text.empty() || text.size() > kMaxPictureText) return false;
        if (text.back() == 'B' || text.back() == 'b') {
            m_out.m_blankWhenZero = true;
            text.remove_suffix(1);
        }
        if (text.size() < 2) return false;
        switch (upperAscii(text.front())) {
            case 'S': return compileText(text);
            case 'D': return compileDateOrTime(text, PictureKind::Date);
            case 'T': return compileDateOrTime(text, PictureKind::Time);
            case 'N': return compileNumeric(text);
            case 'E': return compileScientific(text);
            case 'P': return compilePattern(text, PictureKind::Pattern);
            case 'K': return compilePattern(text, PictureKind::KeyIn);
            default: return false;
        }
    }

    bool compileText(std::string_view text) {
        std::size_t pos = 1;
        const auto length = readNumber(text, pos);
        if (!length || *length < 1 || *length > kMaxPictureWidth) return false;
        if (!onlyBlanksFrom(text, pos)) return false;
        m_out.m_kind = PictureKind::Text;
        m_out.m_width = *length;
        return true;
    }

    bool compileDateOrTime(std::string_view text, PictureKind kind) {
        char separator = 0;
        switch (text.back()) {
            case '.': separator = '.'; break;
            case '-': separator = '-'; break;
            case '_': separator = ' '; break;
            case '`': separator = ','; break;
            default: break;
        }
        if (separator != 0) text.remove_suffix(1);
        std::size_t pos = 1;
        char fill = 0;
        if (pos < text.size() && (text[pos] == '0' || text[pos] == '_' || text[pos] == '*')) {
            fill = text[pos] == '_' ? ' ' : text[pos];
            ++pos;
        }
        const auto number = readNumber(text, pos);
        if (!number || !onlyBlanksFrom(text, pos)) return false;
        PictureTemplate positions;
        if (kind == PictureKind::Date) {
            if (*number < 1 || *number > kLastDatePicture) return false;
            if (*number == kShortDatePicture || *number == kLongDatePicture) {
                positions = windowsDateTemplate(*number == kLongDatePicture);
            } else {
                positions = templateFromLayout(kDateLayouts[*number], kind);
            }
        } else {
            if (*number < 1 || *number > kLastTimePicture) return false;
            if (*number == kShortTimePicture || *number == kLongTimePicture) {
                positions = windowsTimeTemplate(*number == kLongTimePicture);
            } else {
                positions = templateFromLayout(kTimeLayouts[*number], kind);
            }
        }
        for (PicturePosition& p : positions) {
            if (separator != 0 && p.code == kPosSeparator) p.fill = separator;
            const bool blankFilledDigit =
                p.fill == ' ' && (p.code == kPosMonthDigit || p.code == kPosDayDigit ||
                                  p.code == kPosHourDigit);
            if (fill != 0 && blankFilledDigit) p.fill = fill;
        }
        if (positions.empty() || positions.size() > static_cast<std::size_t>(kMaxPictureWidth)) {
            return false;
        }
        m_out.m_kind = kind;
        m_out.m_number = *number;
        m_out.m_width = static_cast<int>(positions.size());
        m_out.m_positions = std::move(positions);
        return true;
    }

    bool compileNumeric(std::string_view text) {
        NumericLayout layout;
        std::size_t pos = 1;
        if (!readCurrency(text, pos, layout.leadCurrency)) return false;
        if (pos < text.size() && text[pos] == '-') {
            layout.sign = SignStyle::Leading;
            ++pos;
        } else if (pos < text.size() && text[pos] == '(') {
            layout.sign = SignStyle::Parentheses;
            ++pos;
        }
        if (!readFill(text, pos, layout)) return false;
        if (!readSizeAndDecimals(text, pos, layout)) return false;
        if (pos < text.size() && (text[pos] == '-' || text[pos] == ')')) {
            const bool closing = text[pos] == ')';
            if (closing != (layout.sign == SignStyle::Parentheses)) return false;
            if (!closing) {
                if (layout.sign != SignStyle::Floating) return false;
                layout.sign = SignStyle::Trailing;
            }
            ++pos;
        } else if (layout.sign == SignStyle::Parentheses) {
            return false;
        }
        if (!readCurrency(text, pos, layout.trailCurrency)) return false;
        if (!onlyBlanksFrom(text, pos)) return false;
        return finishNumeric(layout, PictureKind::Numeric);
    }

    bool compileScientific(std::string_view text) {
        NumericLayout layout;
        std::size_t pos = 1;
        if (!readFill(text, pos, layout)) return false;
        const auto size = readNumber(text, pos);
        if (!size || *size < 1) return false;
        layout.size = *size;
        if (pos < text.size() && (text[pos] == '.' || text[pos] == '`')) {
            layout.mark = text[pos] == '.' ? DecimalMark::Point : DecimalMark::Comma;
            ++pos;
            const auto places = readNumber(text, pos);
            if (!places) return false;
            layout.places = *places;
        }
        if (!onlyBlanksFrom(text, pos)) return false;
        return finishNumeric(layout, PictureKind::Scientific);
    }

    static bool readFill(std::string_view text, std::size_t& pos, NumericLayout& layout) {
        if (pos < text.size() && (text[pos] == '0' || text[pos] == '_' || text[pos] == '*')) {
            // "0" directly followed by the size is a fill; a lone "0" is a size of 0.
            if (text[pos] == '0' && (pos + 1 >= text.size() || !isDigitChar(text[pos + 1]))) {
                return false;
            }
            layout.fill = text[pos] == '_' ? ' ' : text[pos];
            ++pos;
        }
        return true;
    }

    static bool readSizeAndDecimals(std::string_view text, std::size_t& pos,
                                    NumericLayout& layout) {
        const auto size = readNumber(text, pos);
        if (!size || *size < 1 || *size > kMaxPictureWidth) return false;
        layout.size = *size;
        auto markFollows = [&](std::size_t at) {
            return at + 1 < text.size() && isDigitChar(text[at + 1]);
        };
        if (pos < text.size()) {
            const char c = text[pos];
            const bool grouping = c == '_' || ((c == '.' || c == '`') && !markFollows(pos));
            if (grouping) {
                layout.grouping = c == '.' ? '.' : (c == '`' ? ',' : ' ');
                ++pos;
            }
        }
        if (pos < text.size()) {
            const char c = text[pos];
            if (c == '.' || c == '`' || c == 'v' || c == 'V') {
                layout.mark = c == '.' ? DecimalMark::Point
                                       : (c == '`' ? DecimalMark::Comma : DecimalMark::Implied);
                ++pos;
                const auto places = readNumber(text, pos);
                if (!places) return false;
                layout.places = *places;
            }
        }
        const char markChar = layout.mark == DecimalMark::Point   ? '.'
                              : layout.mark == DecimalMark::Comma ? ','
                                                                  : 0;
        if (markChar != 0 && markChar == layout.grouping) return false;
        const int markWidth = (layout.mark == DecimalMark::Point || layout.mark == DecimalMark::Comma);
        const int integerPositions = layout.size - markWidth - layout.places;
        if (integerPositions < 0 || integerPositions + layout.places == 0) return false;
        return true;
    }

    bool finishNumeric(const NumericLayout& layout, PictureKind kind) {
        PictureTemplate positions;
        for (char c : layout.leadCurrency) positions.push_back({c, kPosFixed});
        if (layout.sign == SignStyle::Leading) positions.push_back({'-', kPosSign});
        if (layout.sign == SignStyle::Parentheses) positions.push_back({'(', kPosSign});
        if (kind == PictureKind::Scientific) {
            for (int i = 0; i < layout.size; ++i) positions.push_back({layout.fill, kPosDigit});
        } else {
            const int markWidth =
                (layout.mark == DecimalMark::Point || layout.mark == DecimalMark::Comma);
            const int integerPositions = layout.size - markWidth - layout.places;
            for (int i = integerPositions; i > 0; --i) {
                // Every fourth position from the decimal mark holds a grouping mark.
                const bool group = layout.grouping != 0 && i % 4 == 0;
                positions.push_back(group ? PicturePosition{layout.grouping, kPosGroupMark}
                                          : PicturePosition{layout.fill, kPosDigit});
            }
            if (markWidth) {
                positions.push_back({layout.mark == DecimalMark::Point ? '.' : ',', kPosDecimalMark});
            }
            for (int i = 0; i < layout.places; ++i) positions.push_back({'0', kPosDigit});
        }
        if (layout.sign == SignStyle::Parentheses) positions.push_back({')', kPosSign});
        if (layout.sign == SignStyle::Trailing) positions.push_back({'-', kPosSign});
        for (char c : layout.trailCurrency) positions.push_back({c, kPosFixed});
        if (positions.size() > static_cast<std::size_t>(kMaxPictureWidth)) return false;
        m_out.m_kind = kind;
        m_out.m_numeric = layout;
        m_out.m_width = static_cast<int>(positions.size());
        m_out.m_positions = std::move(positions);
        return true;
    }

    bool compilePattern(std::string_view text, PictureKind kind) {
        // The pattern ends with the opening letter again, in the same case.
        if (text.size() < 3 || text.back() != text.front()) return false;
        const std::string_view pattern = text.substr(1, text.size() - 2);
        PictureTemplate positions;
        for (char c : pattern) {
            if (c == '#') {
                positions.push_back({'0', kPosDigit});
            } else if (c == '<') {
                positions.push_back({' ', kPosDigit});
            } else if (c == '@' && kind == PictureKind::KeyIn) {
                positions.push_back({' ', kPosAnyChar});
            } else {
                positions.push_back({c, kPosFixed});
            }
        }
        m_out.m_kind = kind;
        m_out.m_width = static_cast<int>(positions.size());
        m_out.m_positions = std::move(positions);
        return true;
    }

    CompiledPicture& m_out;
};

std::uint16_t CompiledPicture::header() const {
    if (!m_valid) return 0;
    std::uint16_t h = static_cast<std::uint16_t>(m_kind) & kPictureKindMask;
    if (m_blankWhenZero) h |= kPictureBlankWhenZero;
    return static_cast<std::uint16_t>(h | (m_width << 8));
}

std::size_t CompiledPicture::compiledSize() const {
    if (!m_valid) return 0;
    return 2 + 2 * m_positions.size();
}

CompiledPicture compilePicture(std::string_view text) {
    CompiledPicture picture;
    PictureCompiler compiler(picture);
    if (compiler.run(text)) {
        assert(picture.compiledSize() <= kCompiledPictureBytes);
        return picture;
    }
    return CompiledPicture{};
}

PictureTemplate templateFromLayout(std::string_view layout, PictureKind kind) {
    PictureTemplate positions;
    const bool date = kind == PictureKind::Date;
    int designatorLetter = 0;
    for (char c : layout) {
        switch (c) {
            case 'M': positions.push_back({' ', date ? kPosMonthDigit : kPosMinuteDigit}); break;
            case 'm': positions.push_back({'0', date ? kPosMonthDigit : kPosMinuteDigit}); break;
            case 'D': positions.push_back({' ', kPosDayDigit}); break;
            case 'd': positions.push_back({'0', kPosDayDigit}); break;
            case 'y': positions.push_back({'0', kPosYearDigit}); break;
            case 'N': positions.push_back({' ', kPosMonthLetter}); break;
            case 'H': positions.push_back({' ', kPosHourDigit}); break;
            case 'h': positions.push_back({'0', kPosHourDigit}); break;
            case 's': positions.push_back({'0', kPosSecondDigit}); break;
            case 'P':
                positions.push_back({static_cast<char>(designatorLetter++), kPosDesignator});
                break;
            case '/':
            case ':': positions.push_back({c, kPosSeparator}); break;
            default: positions.push_back({c, kPosFixed}); break;
        }
    }
    return positions;
}

}  // namespace linkar::runtime
