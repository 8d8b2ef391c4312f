// Display and input checking of picture-formatted controls, built on the
// runtime's compiled pictures: text pictures cut to their length, numeric
// pictures take a signed decimal number whose integer digits fit the
// picture's size, pattern pictures show and take their digit positions.
// Date and time pictures pass text through unchanged (no window of the
// program edits a date or a time).

#include "ui/picture_field.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "runtime/picture.h"

namespace linkar::ui {
namespace {

using runtime::CompiledPicture;
using runtime::DecimalMark;
using runtime::PictureKind;

std::string_view trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

struct Number {
  bool negative = false;
  std::string whole;     // integer digits without leading zeros
  std::string fraction;  // decimal digits as typed
};

// Reads "[-]digits[.digits]" with optional blanks, grouping marks and
// parentheses for a negative number; nullopt for anything else.
std::optional<Number> readNumber(std::string_view text, char grouping, char decimalMark) {
  text = trim(text);
  Number n;
  if (text.size() >= 2 && text.front() == '(' && text.back() == ')') {
    n.negative = true;
    text = trim(text.substr(1, text.size() - 2));
  }
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    n.negative = text.front() == '-';
    text = trim(text.substr(1));
  } else if (!text.empty() && text.back() == '-') {
    n.negative = true;
    text = trim(text.substr(0, text.size() - 1));
  }
  bool inFraction = false;
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      (inFraction ? n.fraction : n.whole) += c;
    } else if (c == decimalMark && !inFraction) {
      inFraction = true;
    } else if (grouping != 0 && c == grouping && !inFraction) {
      continue;
    } else {
      return std::nullopt;
    }
  }
  n.whole.erase(0, std::min(n.whole.find_first_not_of('0'), n.whole.size()));
  return n;
}

char decimalCharOf(DecimalMark mark) { return mark == DecimalMark::Comma ? ',' : '.'; }

// Integer digits a numeric picture has room for.
int integerRoom(const runtime::NumericLayout& layout) {
  int room = layout.size;
  if (layout.mark == DecimalMark::Point || layout.mark == DecimalMark::Comma) room -= 1 + layout.places;
  if (layout.grouping != 0 && room > 3) room -= (room - 1) / 4;
  return std::max(room, 0);
}

std::string formatNumeric(std::string_view value, const CompiledPicture& pic) {
  const auto& layout = pic.numeric();
  auto n = readNumber(value, 0, '.');
  if (!n) n = Number{};
  if (pic.blankWhenZero() && n->whole.empty() && n->fraction.find_first_not_of('0') == std::string::npos)
    return std::string(static_cast<size_t>(pic.width()), ' ');
  std::string digits = n->whole.empty() ? "0" : n->whole;
  if (layout.places > 0) {
    std::string frac = n->fraction.substr(0, static_cast<size_t>(layout.places));
    frac.resize(static_cast<size_t>(layout.places), '0');
    if (layout.mark != DecimalMark::Implied) digits += decimalCharOf(layout.mark);
    digits += frac;
  }
  if (n->negative) digits = "-" + digits;
  size_t width = static_cast<size_t>(pic.width());
  if (digits.size() > width) return std::string(width, '#');
  char fill = layout.fill == '0' ? '0' : (layout.fill == '*' ? '*' : ' ');
  return std::string(width - digits.size(), fill) + digits;
}

std::string formatPattern(std::string_view value, const CompiledPicture& pic) {
  auto n = readNumber(value, 0, '.');
  std::string digits = n ? n->whole : std::string();
  std::string out;
  size_t digitCount = 0;
  for (const auto& p : pic.positions())
    if (p.code == runtime::kPosDigit) ++digitCount;
  if (digits.size() > digitCount) return std::string(pic.positions().size(), '#');
  digits.insert(0, digitCount - digits.size(), '\0');  // leading positions
  size_t d = 0;
  for (const auto& p : pic.positions()) {
    if (p.code != runtime::kPosDigit) {
      out += p.fill;
      continue;
    }
    char c = digits[d++];
    out += c == '\0' ? p.fill : c;
  }
  return out;
}

}  // namespace

std::string formatForDisplay(std::string_view value, std::string_view picture) {
  if (picture.empty()) return std::string(value);
  CompiledPicture pic = runtime::compilePicture(picture);
  if (!pic.valid()) return std::string(value);
  switch (pic.kind()) {
    case PictureKind::Text: {
      std::string out(value.substr(0, static_cast<size_t>(pic.width())));
      return out;
    }
    case PictureKind::Numeric:
      return formatNumeric(value, pic);
    case PictureKind::Pattern:
      return formatPattern(value, pic);
    default:
      return std::string(value);
  }
}

std::optional<std::string> deformatInput(std::string_view typed, std::string_view picture) {
  if (picture.empty()) return std::string(typed);
  CompiledPicture pic = runtime::compilePicture(picture);
  if (!pic.valid()) return std::string(typed);
  switch (pic.kind()) {
    case PictureKind::Text:
      return std::string(typed.substr(0, static_cast<size_t>(pic.width())));
    case PictureKind::Numeric: {
      const auto& layout = pic.numeric();
      char grouping = layout.grouping;
      auto n = readNumber(typed, grouping, decimalCharOf(layout.mark));
      if (!n || n->whole.size() > static_cast<size_t>(integerRoom(layout))) return std::nullopt;
      if (n->negative && layout.size <= static_cast<int>(n->whole.size()) &&
          layout.sign == runtime::SignStyle::Floating)
        return std::nullopt;  // no position left for the sign
      std::string out = n->negative && !(n->whole.empty() && n->fraction.find_first_not_of('0') == std::string::npos) ? "-" : "";
      out += n->whole.empty() ? "0" : n->whole;
      std::string frac = n->fraction.substr(0, static_cast<size_t>(layout.places));
      if (frac.find_first_not_of('0') != std::string::npos) out += "." + frac;
      return out;
    }
    case PictureKind::Pattern: {
      auto n = readNumber(typed, 0, '.');
      size_t room = 0;
      for (const auto& p : pic.positions())
        if (p.code == runtime::kPosDigit) ++room;
      if (!n || !n->fraction.empty() || n->whole.size() > room) return std::nullopt;
      return n->whole.empty() ? std::string("0") : n->whole;
    }
    default:
      return std::string(typed);
  }
}

}  // namespace linkar::ui
