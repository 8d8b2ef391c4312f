// The thumb guide values of a browse order: 100 key values spread between
// the lowest and the highest value of the order, computed from those two
// records alone, so that the scroll bar's thumb can be estimated (and a
// dragged thumb turned into a value to locate) without counting the file.
//
// Texts are spread by reading the four characters after the two values'
// common prefix as a number in base N + 1, where N is the size of the
// alphabet (the characters the runtime's tables class as upper-case
// letters, in code order); each character counts as its place in the
// alphabet from 1, any other character as 0. Numbers are spread evenly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace linkar::app {

// The characters 1 to 255 classed as upper-case letters, in code order.
std::string guideAlphabet();

class ThumbGuide {
 public:
  static constexpr int kValues = 100;      // guide values, numbered from 1
  static constexpr int kSpelledChars = 4;  // characters spread after the prefix
  static constexpr int kThumbTop = 0;
  static constexpr int kThumbEnd = 100;

  ThumbGuide();

  // A text order over a field of `length` characters.
  void buildText(std::string_view lowest, std::string_view highest, size_t length);
  // A numeric order.
  void buildNumber(int64_t lowest, int64_t highest);

  // Guide value n, 1 <= n <= kValues.
  const std::string& text(int n) const;
  int64_t number(int n) const;

  // The thumb for a record's value: the first guide value not lower than it
  // (texts compared without regard to letter case) gives 0 when it is the
  // first, 100 when it is the last, its number otherwise; 100 when none is.
  int thumbForText(std::string_view value) const;
  int thumbForNumber(int64_t value) const;

 private:
  static int thumbOf(int firstNotLower);

  std::vector<std::string> m_texts;
  std::vector<int64_t> m_numbers;
};

}  // namespace linkar::app
