// Tokens of expression texts.
#include "runtime/expr_tokenizer.h"

#include <cstdlib>
#include <limits>

#include "runtime/char_tables.h"
#include "runtime/error_state.h"
#include "runtime/error_texts.h"

namespace linkar::runtime {
namespace {

bool isDigitChar(char c) { return c >= '0' && c <= '9'; }
bool isLetterChar(char c) { return isAlpha(static_cast<std::uint8_t>(c)); }
bool startsName(char c) { return isLetterChar(c) || c == '?' || c == '_'; }
bool continuesName(char c) { return isLetterChar(c) || isDigitChar(c) || c == '_' || c == ':'; }
bool isSymbolChar(char c) {
    switch (c) {
        case '^': case '*': case '/': case '%': case '+': case '-': case '&': case '=':
        case '<': case '>': case '~': case ',': case ':': case '(': case ')': case '[': case ']':
            return true;
        default:
            return false;
    }
}

Token errorToken() {
    Token t;
    t.type = TokenType::Error;
    return t;
}

}  // namespace

Tokenizer::Tokenizer(std::string_view text, const SymbolTable& symbols)
    : m_text(text), m_symbols(symbols) {}

Token Tokenizer::next() {
    if (m_peeked) {
        m_peeked = false;
        return std::move(m_lookahead);
    }
    return scan();
}

const Token& Tokenizer::peek() {
    if (!m_peeked) {
        m_lookahead = scan();
        m_peeked = true;
    }
    return m_lookahead;
}

Token Tokenizer::scan() {
    while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t')) ++m_pos;
    if (m_pos >= m_text.size()) return Token{};
    const char c = m_text[m_pos];
    if (startsName(c)) return scanName();
    if (isDigitChar(c)) return scanNumber();
    if (c == '\'') return scanText();
    if (c == '@') return scanPicture();
    if (isSymbolChar(c)) {
        ++m_pos;
        Token t;
        t.type = TokenType::Symbol;
        t.ch = c;
        return t;
    }
    return errorToken();
}

Token Tokenizer::scanName() {
    const std::size_t start = m_pos++;
    while (m_pos < m_text.size() && continuesName(m_text[m_pos])) ++m_pos;
    if (m_pos < m_text.size() && (m_text[m_pos] == '#' || m_text[m_pos] == '$' || m_text[m_pos] == '"')) {
        ++m_pos;
    }
    const std::string_view name = m_text.substr(start, m_pos - start);
    const Symbol* symbol = m_symbols.find(name);
    Token t;
    t.text = std::string(name);
    if (symbol == nullptr || symbol->kind == SymbolKind::Root) {
        setErrorFromCode(err::kNoBind);
        return errorToken();
    }
    t.symbol = symbol;
    switch (symbol->kind) {
        case SymbolKind::Keyword:
            t.type = TokenType::Keyword;
            t.opCode = symbol->opCode;
            break;
        case SymbolKind::Builtin: t.type = TokenType::Builtin; break;
        default: t.type = TokenType::Variable; break;
    }
    return t;
}

Token Tokenizer::scanNumber() {
    const std::size_t start = m_pos;
    bool whole = true;
    while (m_pos < m_text.size() && isDigitChar(m_text[m_pos])) ++m_pos;
    if (m_pos < m_text.size() && m_text[m_pos] == '.') {
        whole = false;
        ++m_pos;
        while (m_pos < m_text.size() && isDigitChar(m_text[m_pos])) ++m_pos;
    }
    if (m_pos < m_text.size() && (m_text[m_pos] == 'e' || m_text[m_pos] == 'E')) {
        std::size_t at = m_pos + 1;
        if (at < m_text.size() && (m_text[at] == '+' || m_text[at] == '-')) ++at;
        if (at < m_text.size() && isDigitChar(m_text[at])) {
            whole = false;
            while (at < m_text.size() && isDigitChar(m_text[at])) ++at;
            m_pos = at;
        }
    }
    const std::string digits(m_text.substr(start, m_pos - start));
    const double value = std::strtod(digits.c_str(), nullptr);
    Token t;
    t.type = TokenType::Number;
    t.literal = whole && value <= std::numeric_limits<std::int32_t>::max()
                    ? Value::integer(static_cast<std::int32_t>(value))
                    : Value::real(value);
    return t;
}

Token Tokenizer::scanText() {
    std::string text;
    ++m_pos;
    while (m_pos < m_text.size()) {
        const char c = m_text[m_pos++];
        if (c != '\'') {
            text += c;
            continue;
        }
        if (m_pos < m_text.size() && m_text[m_pos] == '\'') {
            text += '\'';
            ++m_pos;
            continue;
        }
        Token t;
        t.type = TokenType::Text;
        t.literal = Value::text(std::move(text));
        return t;
    }
    return errorToken();  // no closing quote
}

Token Tokenizer::scanPicture() {
    const std::size_t start = m_pos++;
    if (m_pos < m_text.size()) {
        const char kind = m_text[m_pos];
        if (kind == 'P' || kind == 'p' || kind == 'K' || kind == 'k') {
            // A pattern runs to the same letter again and may hold blanks.
            const std::size_t close = m_text.find(kind, m_pos + 1);
            if (close == std::string_view::npos) return errorToken();
            m_pos = close + 1;
            if (m_pos < m_text.size() && (m_text[m_pos] == 'B' || m_text[m_pos] == 'b')) ++m_pos;
        } else {
            while (m_pos < m_text.size() && m_text[m_pos] != ' ' && m_text[m_pos] != '\t' &&
                   m_text[m_pos] != ',' && m_text[m_pos] != ')' && m_text[m_pos] != ']') {
                ++m_pos;
            }
        }
    }
    Token t;
    t.type = TokenType::Picture;
    t.text = std::string(m_text.substr(start, m_pos - start));
    return t;
}

}  // namespace linkar::runtime
