// Parser of list format strings. One column is:
//   width [L|R|C|D [(indent)]] {modifier} [~header~ [L|R|C|D [(indent)]]] [@picture@]
// where a modifier is "|" (right border), "M" (resizable), "_" (underline)
// or "F" (fixed). The picture runs from its "@" to the next "@".

#include "ui/list_format.h"

#include <cctype>

namespace linkar::ui {
namespace {

class FormatReader {
 public:
  explicit FormatReader(std::string_view text) : m_text(text) {}

  bool atEnd() const { return m_pos >= m_text.size(); }
  char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }
  void skip() { ++m_pos; }
  size_t position() const { return m_pos; }

  bool readNumber(int* out) {
    if (!std::isdigit(static_cast<unsigned char>(peek()))) return false;
    long value = 0;
    while (std::isdigit(static_cast<unsigned char>(peek()))) {
      value = value * 10 + (peek() - '0');
      if (value > 100000) return false;
      skip();
    }
    *out = static_cast<int>(value);
    return true;
  }

  // Reads up to (not including) the next `stop`; false when it is missing.
  bool readUntil(char stop, std::string* out) {
    size_t end = m_text.find(stop, m_pos);
    if (end == std::string_view::npos) return false;
    out->assign(m_text.substr(m_pos, end - m_pos));
    m_pos = end + 1;
    return true;
  }

 private:
  std::string_view m_text;
  size_t m_pos = 0;
};

std::optional<Justify> justifyOf(char c) {
  switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'L': return Justify::Left;
    case 'R': return Justify::Right;
    case 'C': return Justify::Center;
    case 'D': return Justify::Decimal;
    default: return std::nullopt;
  }
}

// Reads an optional justification letter with its optional "(indent)".
bool readJustify(FormatReader& in, Justify* justify, std::optional<int>* indent) {
  auto j = justifyOf(in.peek());
  if (!j) return true;
  *justify = *j;
  in.skip();
  if (in.peek() != '(') return true;
  in.skip();
  int value = 0;
  if (!in.readNumber(&value) || in.peek() != ')') return false;
  in.skip();
  *indent = value;
  return true;
}

bool fail(std::string* error, std::string reason, size_t at) {
  if (error) *error = reason + " at offset " + std::to_string(at);
  return false;
}

bool readColumn(FormatReader& in, ListColumn* column, std::string* error) {
  if (!in.readNumber(&column->width)) return fail(error, "column width expected", in.position());
  if (!readJustify(in, &column->justify, &column->indent))
    return fail(error, "bad indent", in.position());
  for (;;) {
    char c = in.peek();
    if (c == '|') column->rightBorder = true;
    else if (c == 'M' || c == 'm') column->resizable = true;
    else if (c == '_') column->underline = true;
    else if (c == 'F' || c == 'f') column->fixed = true;
    else break;
    in.skip();
  }
  if (in.peek() == '~') {
    in.skip();
    if (!in.readUntil('~', &column->header))
      return fail(error, "unterminated header", in.position());
    if (!readJustify(in, &column->headerJustify, &column->headerIndent))
      return fail(error, "bad header indent", in.position());
  }
  if (in.peek() == '@') {
    std::string body;
    in.skip();
    if (!in.readUntil('@', &body) || body.empty())
      return fail(error, "unterminated picture", in.position());
    column->picture = "@" + body;
  }
  if (!in.atEnd() && !std::isdigit(static_cast<unsigned char>(in.peek())))
    return fail(error, std::string("unexpected '") + in.peek() + "'", in.position());
  return true;
}

}  // namespace

std::optional<ListFormat> parseListFormat(std::string_view text, std::string* error) {
  ListFormat format;
  format.source = std::string(text);
  FormatReader in(text);
  while (!in.atEnd()) {
    ListColumn column;
    if (!readColumn(in, &column, error)) return std::nullopt;
    format.columns.push_back(std::move(column));
  }
  return format;
}

}  // namespace linkar::ui
