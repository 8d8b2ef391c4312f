// Guide values and the thumb estimate.
#include "app/thumb_guide.h"

#include <cassert>
#include <cmath>

#include "runtime/char_tables.h"
#include "runtime/fixed_text.h"

namespace linkar::app {
namespace {

constexpr int kSpread = ThumbGuide::kValues - 1;  // steps between the first and the last value

char upper(char c) { return static_cast<char>(runtime::toUpper(static_cast<uint8_t>(c))); }

// The four characters after `prefix` characters of `value`, upper-cased
// (a blank for a missing one).
std::string spelledPart(std::string_view value, size_t prefix) {
  std::string out;
  for (size_t i = 0; i < ThumbGuide::kSpelledChars; ++i) {
    size_t at = prefix + i;
    out += at < value.size() ? upper(value[at]) : runtime::kBlank;
  }
  return out;
}

// Those four characters read as a number in base N + 1.
int64_t spelledNumber(std::string_view value, size_t prefix, const std::string& alphabet) {
  const int64_t base = static_cast<int64_t>(alphabet.size()) + 1;
  int64_t number = 0;
  for (size_t i = 0; i < ThumbGuide::kSpelledChars; ++i) {
    size_t at = prefix + i;
    int64_t digit = 0;
    if (at < value.size()) {
      size_t place = alphabet.find(upper(value[at]));
      if (place != std::string::npos) digit = static_cast<int64_t>(place) + 1;
    }
    number = number * base + digit;
  }
  return number;
}

// A number in base N + 1 as four alphabet characters, most significant
// first; digit d is the d-th character, digit 0 the first.
std::string spell(int64_t number, const std::string& alphabet) {
  const int64_t base = static_cast<int64_t>(alphabet.size()) + 1;
  std::string out(ThumbGuide::kSpelledChars, alphabet.front());
  for (int i = ThumbGuide::kSpelledChars - 1; i >= 0; --i) {
    int64_t digit = number % base;
    number /= base;
    out[static_cast<size_t>(i)] = alphabet[static_cast<size_t>(digit == 0 ? 0 : digit - 1)];
  }
  return out;
}

}  // namespace

std::string guideAlphabet() {
  std::string out;
  for (int c = 1; c < 256; ++c)
    if (runtime::isUpper(static_cast<uint8_t>(c))) out += static_cast<char>(c);
  return out;
}

ThumbGuide::ThumbGuide() : m_texts(kValues), m_numbers(kValues, 0) {}

void ThumbGuide::buildText(std::string_view lowest, std::string_view highest, size_t length) {
  const std::string alphabet = guideAlphabet();
  std::string_view low = lowest.substr(0, std::min(length, lowest.size()));
  std::string high(runtime::trimTrailingBlanks(highest.substr(0, std::min(length, highest.size()))));
  // A short highest value reaches on with the alphabet's last character.
  if (high.size() < length && !alphabet.empty()) high.append(length + 1 - high.size(), alphabet.back());
  const std::string_view lowText = runtime::trimTrailingBlanks(low);
  size_t prefix = 0;
  while (prefix < length && prefix < lowText.size() && prefix < high.size() &&
         upper(low[prefix]) == upper(high[prefix]))
    ++prefix;
  const std::string common(low.substr(0, prefix));
  m_texts.front() = common + spelledPart(low, prefix);
  m_texts.back() = common + spelledPart(high, prefix);
  if (alphabet.empty()) {
    for (int n = 2; n < kValues; ++n) m_texts[static_cast<size_t>(n - 1)] = common;
    return;
  }
  const int64_t lowNumber = spelledNumber(low, prefix, alphabet);
  const int64_t step = (spelledNumber(high, prefix, alphabet) - lowNumber) / kSpread;
  for (int n = 2; n < kValues; ++n)
    m_texts[static_cast<size_t>(n - 1)] = common + spell(lowNumber + (n - 1) * step, alphabet);
}

void ThumbGuide::buildNumber(int64_t lowest, int64_t highest) {
  for (int n = 1; n <= kValues; ++n) {
    double value = static_cast<double>(lowest) +
                   static_cast<double>(n - 1) * static_cast<double>(highest - lowest) / kSpread;
    m_numbers[static_cast<size_t>(n - 1)] = std::llround(value);  // half away from zero, as a DECIMAL takes it
  }
}

const std::string& ThumbGuide::text(int n) const {
  assert(n >= 1 && n <= kValues);
  return m_texts[static_cast<size_t>(n - 1)];
}

int64_t ThumbGuide::number(int n) const {
  assert(n >= 1 && n <= kValues);
  return m_numbers[static_cast<size_t>(n - 1)];
}

int ThumbGuide::thumbOf(int firstNotLower) {
  if (firstNotLower == 1) return kThumbTop;
  if (firstNotLower == 0 || firstNotLower == kValues) return kThumbEnd;
  return firstNotLower;
}

int ThumbGuide::thumbForText(std::string_view value) const {
  for (int n = 1; n <= kValues; ++n)
    if (runtime::collateCompare(text(n), value) >= 0) return thumbOf(n);
  return thumbOf(0);
}

int ThumbGuide::thumbForNumber(int64_t value) const {
  for (int n = 1; n <= kValues; ++n)
    if (number(n) >= value) return thumbOf(n);
  return thumbOf(0);
}

}  // namespace linkar::app
