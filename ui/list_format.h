// The column format of a list control, parsed from its format string
// ("100L|M~Name~@S60@..."): width, justification, indent, border,
// resizing, header text and display picture of each column.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace linkar::ui {

enum class Justify { Left, Right, Center, Decimal };

struct ListColumn {
  int width = 0;                 // dialog units
  Justify justify = Justify::Left;
  std::optional<int> indent;     // "L(0)": an explicit indent
  bool rightBorder = false;      // "|"
  bool resizable = false;        // "M"
  bool underline = false;        // "_"
  bool fixed = false;            // "F": not scrolled horizontally
  std::string header;            // text between tildes; may hold a mnemonic "&"
  Justify headerJustify = Justify::Left;
  std::optional<int> headerIndent;
  std::string picture;           // "@S60"; empty when the column has none
};

struct ListFormat {
  std::string source;            // the format string exactly as declared
  std::vector<ListColumn> columns;
};

// Parses a format string. Returns nullopt and a reason in *error for a string
// that does not follow the column grammar; never throws.
std::optional<ListFormat> parseListFormat(std::string_view text, std::string* error = nullptr);

}  // namespace linkar::ui
