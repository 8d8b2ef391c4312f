// The symbol table of the expression evaluator: an unbalanced binary search
// tree of names (collating order, case-insensitive) holding the operator
// keywords, the built-in functions and the bound variables, and the stack of
// scopes that BIND, PUSHSCOPE and POPSCOPE work on.
//
// The root is a dummy entry "MMMMMMM", so names start out split around the
// middle of the alphabet; the keywords and then the built-ins are entered in
// a fixed order when a table is first used, and that order shapes the tree.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/expr_value.h"

namespace linkar::runtime {

// Longest name BIND takes from the string stack.
inline constexpr std::size_t kMaxBindName = 100;
// Name of the dummy root entry.
inline constexpr std::string_view kSymbolRootName = "MMMMMMM";
// Extra text of the runtime error for a POPSCOPE without PUSHSCOPE.
inline constexpr std::string_view kMismatchedPopscope = "Mismatched POPSCOPE";

enum class SymbolKind : std::uint8_t { Root = 0, Variable = 1, Keyword = 4, Builtin = 6 };

// Operator codes of the evaluator.
namespace op {
inline constexpr int kPower = 2;
inline constexpr int kMultiply = 3;
inline constexpr int kDivide = 4;
inline constexpr int kRemainder = 5;
inline constexpr int kAdd = 7;
inline constexpr int kSubtract = 8;
inline constexpr int kConcat = 9;
inline constexpr int kEqual = 10;
inline constexpr int kNotEqual = 11;
inline constexpr int kLess = 12;
inline constexpr int kGreater = 13;
inline constexpr int kLessEqual = 14;
inline constexpr int kGreaterEqual = 15;
inline constexpr int kNot = 16;
inline constexpr int kAnd = 17;
inline constexpr int kOr = 18;
inline constexpr int kXor = 19;
inline constexpr int kComma = 20;
inline constexpr int kColon = 21;
}  // namespace op

struct Symbol {
    std::string name;
    SymbolKind kind = SymbolKind::Root;
    ValueClass valueClass = ValueClass::Integer;
    VariableRef variable;   // kind Variable
    int opCode = 0;         // kind Keyword
    int maxArgs = 0;        // kind Builtin
    int function = 0;       // kind Builtin
    std::unique_ptr<Symbol> lower;
    std::unique_ptr<Symbol> higher;
};

class SymbolTable {
public:
    // A table with its root, keywords and built-ins.
    SymbolTable();
    ~SymbolTable();
    SymbolTable(const SymbolTable&) = delete;
    SymbolTable& operator=(const SymbolTable&) = delete;

    // The entry of a name, or nullptr.
    const Symbol* find(std::string_view name) const;
    // Enters name as a bound variable; an existing entry of that name (of any
    // kind) takes the new meaning.
    void bind(std::string_view name, const VariableRef& variable);
    // How many links below the root the name's entry lies; -1 when absent.
    int depthOf(std::string_view name) const;

private:
    Symbol& insert(std::string_view name);
    std::unique_ptr<Symbol> m_root;
};

// Orders two names as the table does: lower-case letters mapped to upper
// case, digraphs of the international settings taken as one character, then
// the collating order values; a name that is a prefix of the other is lower.
int compareNames(std::string_view a, std::string_view b);

// The current table and the saved ones: one set per procedure thread, made
// current by the window engine at every switch, like the string stack.
class SymbolScopes {
public:
    SymbolScopes();
    ~SymbolScopes();
    SymbolScopes(const SymbolScopes&) = delete;
    SymbolScopes& operator=(const SymbolScopes&) = delete;

    std::unique_ptr<SymbolTable> current;
    std::vector<std::unique_ptr<SymbolTable>> saved;
};

// Makes `scopes` current and returns the set that was (never null); nullptr
// returns to the process's own set.
SymbolScopes* setCurrentSymbolScopes(SymbolScopes* scopes);

// The current table, created and filled on first use.
SymbolTable& currentSymbols();

// BIND: takes the name from the string stack (cut to 100 characters) and
// binds it in the current table.
void bindFromStack(const VariableRef& variable);
// BIND with the name given directly.
void bindName(std::string_view name, const VariableRef& variable);

// PUSHSCOPE: saves the current table and starts an empty one.
void pushScope();
// POPSCOPE: frees the current table and makes the saved one current; with
// nothing saved it raises runtime error 802 "Mismatched POPSCOPE", which
// ends the program.
void popScope();
// Frees the current table; the next use builds a fresh one.
void clearSymbols();
// Number of saved tables.
std::size_t scopeDepth();
// Frees every table, saved ones included (tests, and program end).
void resetSymbols();

}  // namespace linkar::runtime
