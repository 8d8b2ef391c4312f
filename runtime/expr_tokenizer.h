// The tokenizer of the expression evaluator: names (looked up in the current
// symbol table), numbers, quoted texts, picture tokens, operators and
// brackets.
#pragma once

#include <string>
#include <string_view>

#include "runtime/expr_symbols.h"
#include "runtime/expr_value.h"

namespace linkar::runtime {

enum class TokenType {
    End,
    Number,   // literal in `literal`
    Text,     // literal in `literal`
    Picture,  // picture text, at sign included, in `text`
    Keyword,  // operator code in `opCode`
    Builtin,  // `symbol` is the built-in's entry
    Variable, // `symbol` is the bound variable's entry
    Symbol,   // one of ^ * / % + - & = < > ~ , : ( ) [ ] in `ch`
    Error,    // a character that starts no token, an unclosed text, or an unknown name
};

struct Token {
    TokenType type = TokenType::End;
    Value literal;
    std::string text;
    const Symbol* symbol = nullptr;
    int opCode = 0;
    char ch = 0;
};

class Tokenizer {
public:
    // `symbols` must outlive the tokenizer.
    Tokenizer(std::string_view text, const SymbolTable& symbols);

    // The next token, consumed. An unknown name posts error 801 "No BIND on
    // variable" and gives an Error token.
    Token next();
    // The next token, left in place.
    const Token& peek();

private:
    Token scan();
    Token scanName();
    Token scanNumber();
    Token scanText();
    Token scanPicture();

    std::string_view m_text;
    std::size_t m_pos = 0;
    const SymbolTable& m_symbols;
    bool m_peeked = false;
    Token m_lookahead;
};

}  // namespace linkar::runtime
