// The evaluator's symbol table and scope stack.
#include "runtime/expr_symbols.h"

#include <array>

#include "runtime/char_tables.h"
#include "runtime/error_texts.h"
#include "runtime/fixed_text.h"
#include "runtime/intl.h"
#include "runtime/runtime_error.h"
#include "runtime/string_stack.h"

namespace linkar::runtime {
namespace {

struct KeywordEntry {
    std::string_view name;
    int opCode;
};

constexpr std::array<KeywordEntry, 4> kKeywords = {{
    {"AND", op::kAnd}, {"NOT", op::kNot}, {"OR", op::kOr}, {"XOR", op::kXor}}};

struct BuiltinEntry {
    std::string_view name;
    int maxArgs;
    int function;
    ValueClass result;
};

constexpr ValueClass kInt = ValueClass::Integer;
constexpr ValueClass kReal = ValueClass::Real;
constexpr ValueClass kText = ValueClass::Text;

// Entered in exactly this order: it shapes the tree.
constexpr std::array<BuiltinEntry, 41> kBuiltins = {{
    {"INT", 1, 19, kInt},      {"INRANGE", 3, 18, kInt},  {"CENTER", 2, 6, kText},
    {"DEFORMAT", 2, 8, kText}, {"ASIN", 1, 28, kReal},    {"FORMAT", 2, 9, kText},
    {"AGE", 2, 41, kText},     {"INSTRING", 4, 3, kInt},  {"ABS", 1, 17, kReal},
    {"RANDOM", 2, 22, kInt},   {"ACOS", 1, 29, kReal},    {"LOWER", 1, 12, kText},
    {"ALL", 2, 5, kText},      {"LOG10", 1, 21, kReal},   {"BOR", 2, 32, kInt},
    {"LEFT", 2, 10, kText},    {"ATAN", 1, 30, kReal},    {"LEN", 1, 11, kInt},
    {"BAND", 2, 31, kInt},     {"LOGE", 1, 20, kReal},    {"BSHIFT", 2, 34, kInt},
    {"MEMORY", 1, 1, kInt},    {"BXOR", 2, 33, kInt},     {"MONTH", 1, 39, kInt},
    {"DAY", 1, 38, kInt},      {"NUMERIC", 1, 13, kInt},  {"CLOCK", 0, 36, kInt},
    {"TAN", 1, 27, kReal},     {"CHR", 1, 7, kText},      {"SIN", 1, 25, kReal},
    {"CLIP", 1, 4, kText},     {"RIGHT", 1, 14, kText},   {"COS", 1, 26, kReal},
    {"ROUND", 2, 23, kReal},   {"DATE", 3, 37, kInt},     {"SQRT", 1, 24, kReal},
    {"SUB", 3, 2, kText},      {"VAL", 1, 16, kInt},      {"TODAY", 0, 35, kInt},
    {"UPPER", 1, 15, kText},   {"YEAR", 1, 40, kInt}}};

// The next collating unit of a name at `pos`: a digraph's order value, or the
// character's after mapping lower case to upper case.
int nextWeight(std::string_view text, std::size_t& pos) {
    auto upper = [](char c) {
        const auto b = static_cast<std::uint8_t>(c);
        return isLower(b) ? static_cast<char>(toUpper(b)) : c;
    };
    const char c = upper(text[pos]);
    if (pos + 1 < text.size()) {
        const char d = upper(text[pos + 1]);
        for (const Digraph& g : intlSettings().digraphs) {
            if (g.first == c && g.second == d) {
                pos += 2;
                return collationWeight(static_cast<std::uint8_t>(g.weightOf));
            }
        }
    }
    ++pos;
    return collationWeight(static_cast<std::uint8_t>(c));
}

using ScopeState = SymbolScopes;

SymbolScopes& ownScopes() {
    static SymbolScopes state;
    return state;
}

SymbolScopes* g_current = nullptr;

ScopeState& scopes() {
    return g_current != nullptr ? *g_current : ownScopes();
}

}  // namespace

SymbolScopes::SymbolScopes() = default;
SymbolScopes::~SymbolScopes() = default;

SymbolScopes* setCurrentSymbolScopes(SymbolScopes* next) {
    SymbolScopes* previous = &scopes();
    g_current = next;
    return previous;
}

int compareNames(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const int wa = nextWeight(a, i);
        const int wb = nextWeight(b, j);
        if (wa != wb) return wa - wb;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

SymbolTable::SymbolTable() {
    m_root = std::make_unique<Symbol>();
    m_root->name = std::string(kSymbolRootName);
    m_root->kind = SymbolKind::Root;
    for (const KeywordEntry& k : kKeywords) {
        Symbol& s = insert(k.name);
        s.kind = SymbolKind::Keyword;
        s.opCode = k.opCode;
    }
    for (const BuiltinEntry& b : kBuiltins) {
        Symbol& s = insert(b.name);
        s.kind = SymbolKind::Builtin;
        s.maxArgs = b.maxArgs;
        s.function = b.function;
        s.valueClass = b.result;
    }
}

SymbolTable::~SymbolTable() {
    // The tree is unbalanced and may be deep: free it without recursion.
    std::vector<std::unique_ptr<Symbol>> pending;
    pending.push_back(std::move(m_root));
    while (!pending.empty()) {
        std::unique_ptr<Symbol> node = std::move(pending.back());
        pending.pop_back();
        if (!node) continue;
        pending.push_back(std::move(node->lower));
        pending.push_back(std::move(node->higher));
    }
}

Symbol& SymbolTable::insert(std::string_view name) {
    Symbol* node = m_root.get();
    while (true) {
        const int order = compareNames(name, node->name);
        if (order == 0) return *node;
        std::unique_ptr<Symbol>& next = order < 0 ? node->lower : node->higher;
        if (!next) {
            next = std::make_unique<Symbol>();
            next->name = std::string(name);
            return *next;
        }
        node = next.get();
    }
}

const Symbol* SymbolTable::find(std::string_view name) const {
    const Symbol* node = m_root.get();
    while (node != nullptr) {
        const int order = compareNames(name, node->name);
        if (order == 0) return node;
        node = order < 0 ? node->lower.get() : node->higher.get();
    }
    return nullptr;
}

int SymbolTable::depthOf(std::string_view name) const {
    const Symbol* node = m_root.get();
    int depth = 0;
    while (node != nullptr) {
        const int order = compareNames(name, node->name);
        if (order == 0) return depth;
        node = order < 0 ? node->lower.get() : node->higher.get();
        ++depth;
    }
    return -1;
}

void SymbolTable::bind(std::string_view name, const VariableRef& variable) {
    Symbol& s = insert(name);
    s.kind = SymbolKind::Variable;
    s.variable = variable;
    s.valueClass = classOfType(variable.type);
    s.opCode = 0;
    s.maxArgs = 0;
    s.function = 0;
}

SymbolTable& currentSymbols() {
    ScopeState& state = scopes();
    if (!state.current) state.current = std::make_unique<SymbolTable>();
    return *state.current;
}

void bindName(std::string_view name, const VariableRef& variable) {
    // A name popped from a blank-padded variable keeps no trailing blanks.
    name = trimTrailingBlanks(name.substr(0, kMaxBindName));
    if (name.empty()) return;
    currentSymbols().bind(name, variable);
}

void bindFromStack(const VariableRef& variable) {
    const std::string name = stringStack().pop();
    bindName(name, variable);
}

void pushScope() {
    ScopeState& state = scopes();
    state.saved.push_back(std::move(state.current));
}

void popScope() {
    ScopeState& state = scopes();
    if (state.saved.empty()) raiseRuntimeError(err::kMismatchedScope, kMismatchedPopscope);
    state.current = std::move(state.saved.back());
    state.saved.pop_back();
}

void clearSymbols() { scopes().current.reset(); }

std::size_t scopeDepth() { return scopes().saved.size(); }

void resetSymbols() {
    ScopeState& state = scopes();
    state.current.reset();
    state.saved.clear();
}

}  // namespace linkar::runtime
