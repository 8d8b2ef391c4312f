// The recursive-descent compiler of expression texts.
#include "runtime/expr_parser.h"

#include <algorithm>

#include "runtime/expr_symbols.h"
#include "runtime/expr_tokenizer.h"

namespace linkar::runtime {
namespace {

// Deepest bracket nesting followed; each level costs a handful of frames.
constexpr int kMaxNesting = 100;

ExprTree makeNode(NodeKind kind) {
    auto node = std::make_unique<ExprNode>();
    node->kind = kind;
    return node;
}

class Parser {
public:
    explicit Parser(std::string_view text) : m_tokens(text, currentSymbols()) {}

    ExprTree compile() {
        ExprTree tree = parseOr();
        if (!tree || m_failed) return nullptr;
        if (m_tokens.next().type != TokenType::End) return nullptr;
        return tree;
    }

private:
    // Adds children to a node, refusing trees that grow too deep.
    ExprTree attach(ExprTree node, ExprTree a, ExprTree b = nullptr) {
        int height = a->height;
        node->children.push_back(std::move(a));
        if (b) {
            height = std::max(height, b->height);
            node->children.push_back(std::move(b));
        }
        node->height = height + 1;
        if (node->height > kMaxExpressionDepth) return fail();
        return node;
    }

    ExprTree fail() {
        m_failed = true;
        return nullptr;
    }

    bool isSymbol(char c) {
        const Token& t = m_tokens.peek();
        return t.type == TokenType::Symbol && t.ch == c;
    }

    bool isKeyword(int opCode) {
        const Token& t = m_tokens.peek();
        return t.type == TokenType::Keyword && t.opCode == opCode;
    }

    ExprTree binary(int opCode, ExprTree left, ExprTree right) {
        ExprTree node = makeNode(NodeKind::Binary);
        node->opCode = opCode;
        return attach(std::move(node), std::move(left), std::move(right));
    }

    // 1. OR and XOR
    ExprTree parseOr() {
        ExprTree left = parseAnd();
        while (left && (isKeyword(op::kOr) || isKeyword(op::kXor))) {
            const int opCode = m_tokens.next().opCode;
            ExprTree right = parseAnd();
            if (!right) return fail();
            left = binary(opCode, std::move(left), std::move(right));
        }
        return left;
    }

    // 2. AND
    ExprTree parseAnd() {
        ExprTree left = parseNot();
        while (left && isKeyword(op::kAnd)) {
            m_tokens.next();
            ExprTree right = parseNot();
            if (!right) return fail();
            left = binary(op::kAnd, std::move(left), std::move(right));
        }
        return left;
    }

    // 3. NOT or "~" prefix, once
    ExprTree parseNot() {
        if (isKeyword(op::kNot) || isSymbol('~')) {
            m_tokens.next();
            ExprTree operand = parseComparison();
            if (!operand) return fail();
            return attach(makeNode(NodeKind::Not), std::move(operand));
        }
        return parseComparison();
    }

    // The comparison operator that starts at the next token, consumed; 0 when
    // none does. Two-token forms are read as one operator.
    int comparisonOperator() {
        const Token& t = m_tokens.peek();
        if (t.type != TokenType::Symbol) return 0;
        const char first = t.ch;
        if (first != '=' && first != '<' && first != '>' && first != '~') return 0;
        if (first == '~') {
            // "~" here only opens "~=", "~<" or "~>"; the tokens after it decide.
            Tokenizer probe = m_tokens;
            probe.next();
            const Token& second = probe.peek();
            if (second.type != TokenType::Symbol ||
                (second.ch != '=' && second.ch != '<' && second.ch != '>')) {
                return 0;
            }
        }
        m_tokens.next();
        const Token& second = m_tokens.peek();
        const char s = second.type == TokenType::Symbol ? second.ch : 0;
        int opCode = 0;
        switch (first) {
            case '=':
                opCode = s == '<' ? op::kLessEqual : (s == '>' ? op::kGreaterEqual : op::kEqual);
                if (s == '<' || s == '>') m_tokens.next();
                break;
            case '<':
                opCode = s == '>' ? op::kNotEqual : (s == '=' ? op::kLessEqual : op::kLess);
                if (s == '>' || s == '=') m_tokens.next();
                break;
            case '>':
                opCode = s == '=' ? op::kGreaterEqual : op::kGreater;
                if (s == '=') m_tokens.next();
                break;
            default:  // '~'
                opCode = s == '=' ? op::kNotEqual : (s == '<' ? op::kGreaterEqual : op::kLessEqual);
                m_tokens.next();
                break;
        }
        return opCode;
    }

    // 4. Comparisons
    ExprTree parseComparison() {
        ExprTree left = parseConcat();
        while (left) {
            const int opCode = comparisonOperator();
            if (opCode == 0) break;
            ExprTree right = parseConcat();
            if (!right) return fail();
            left = binary(opCode, std::move(left), std::move(right));
        }
        return left;
    }

    // 5. "&"
    ExprTree parseConcat() {
        ExprTree left = parseAdditive();
        while (left && isSymbol('&')) {
            m_tokens.next();
            ExprTree right = parseAdditive();
            if (!right) return fail();
            left = binary(op::kConcat, std::move(left), std::move(right));
        }
        return left;
    }

    // 6. "+" and "-"
    ExprTree parseAdditive() {
        ExprTree left = parseMultiplicative();
        while (left && (isSymbol('+') || isSymbol('-'))) {
            const int opCode = m_tokens.next().ch == '+' ? op::kAdd : op::kSubtract;
            ExprTree right = parseMultiplicative();
            if (!right) return fail();
            left = binary(opCode, std::move(left), std::move(right));
        }
        return left;
    }

    // 7. "*", "/" and "%"
    ExprTree parseMultiplicative() {
        ExprTree left = parsePower();
        while (left && (isSymbol('*') || isSymbol('/') || isSymbol('%'))) {
            const char c = m_tokens.next().ch;
            const int opCode = c == '*' ? op::kMultiply : (c == '/' ? op::kDivide : op::kRemainder);
            ExprTree right = parsePower();
            if (!right) return fail();
            left = binary(opCode, std::move(left), std::move(right));
        }
        return left;
    }

    // 8. "^"
    ExprTree parsePower() {
        ExprTree left = parseSigns();
        while (left && isSymbol('^')) {
            m_tokens.next();
            ExprTree right = parseSigns();
            if (!right) return fail();
            left = binary(op::kPower, std::move(left), std::move(right));
        }
        return left;
    }

    // 9. Prefix signs: an odd number of "-" negates.
    ExprTree parseSigns() {
        bool negate = false;
        while (isSymbol('+') || isSymbol('-')) negate ^= m_tokens.next().ch == '-';
        ExprTree operand = parsePrimary();
        if (!operand || !negate) return operand;
        return attach(makeNode(NodeKind::Negate), std::move(operand));
    }

    // 10. Primaries
    ExprTree parsePrimary() {
        Token t = m_tokens.next();
        switch (t.type) {
            case TokenType::Number:
            case TokenType::Text: {
                ExprTree node = makeNode(NodeKind::Literal);
                node->literal = std::move(t.literal);
                return node;
            }
            case TokenType::Picture: {
                ExprTree node = makeNode(NodeKind::Literal);
                node->literal = Value::text(std::move(t.text));
                return node;
            }
            case TokenType::Variable: return parseVariable(t);
            case TokenType::Builtin: return parseCall(t);
            case TokenType::Symbol:
                if (t.ch == '(') {
                    if (++m_nesting > kMaxNesting) return fail();
                    ExprTree inner = parseOr();
                    --m_nesting;
                    if (!inner || !isSymbol(')')) return fail();
                    m_tokens.next();
                    return inner;
                }
                return fail();
            default: return fail();
        }
    }

    ExprTree parseVariable(const Token& t) {
        ExprTree node = makeNode(NodeKind::Variable);
        node->variable = t.symbol->variable;
        node->name = t.text;
        if (!isSymbol('[')) return node;
        m_tokens.next();
        if (++m_nesting > kMaxNesting) return fail();
        ExprTree first = parseOr();
        if (!first) return fail();
        ExprTree second;
        if (isSymbol(':')) {
            m_tokens.next();
            second = parseOr();
            if (!second) return fail();
        }
        --m_nesting;
        if (!isSymbol(']')) return fail();
        m_tokens.next();
        node->kind = second ? NodeKind::Slice : NodeKind::Index;
        return attach(std::move(node), std::move(first), std::move(second));
    }

    ExprTree parseCall(const Token& t) {
        ExprTree node = makeNode(NodeKind::Call);
        node->function = t.symbol->function;
        node->name = t.text;
        if (!isSymbol('(')) return fail();
        m_tokens.next();
        if (++m_nesting > kMaxNesting) return fail();
        int height = 0;
        if (!isSymbol(')')) {
            while (true) {
                ExprTree argument = parseOr();
                if (!argument) return fail();
                height = std::max(height, argument->height);
                node->children.push_back(std::move(argument));
                if (static_cast<int>(node->children.size()) > t.symbol->maxArgs) return fail();
                if (!isSymbol(',')) break;
                m_tokens.next();
            }
        }
        --m_nesting;
        if (!isSymbol(')')) return fail();
        m_tokens.next();
        node->height = height + 1;
        if (node->height > kMaxExpressionDepth) return fail();
        return node;
    }

    Tokenizer m_tokens;
    bool m_failed = false;
    int m_nesting = 0;
};

std::string operatorName(int opCode) {
    switch (opCode) {
        case op::kPower: return "^";
        case op::kMultiply: return "*";
        case op::kDivide: return "/";
        case op::kRemainder: return "%";
        case op::kAdd: return "+";
        case op::kSubtract: return "-";
        case op::kConcat: return "&";
        case op::kEqual: return "=";
        case op::kNotEqual: return "<>";
        case op::kLess: return "<";
        case op::kGreater: return ">";
        case op::kLessEqual: return "<=";
        case op::kGreaterEqual: return ">=";
        case op::kAnd: return "AND";
        case op::kOr: return "OR";
        case op::kXor: return "XOR";
        default: return "?";
    }
}

}  // namespace

ExprTree compileExpression(std::string_view text) {
    Parser parser(text);
    return parser.compile();
}

std::string describeExpression(const ExprNode& node) {
    std::string out;
    auto open = [&](std::string_view head) {
        out += '(';
        out += head;
        for (const auto& child : node.children) {
            out += ' ';
            out += describeExpression(*child);
        }
        out += ')';
        return out;
    };
    switch (node.kind) {
        case NodeKind::Literal:
            if (!node.literal.isText()) return node.literal.asText();
            out += '\'';
            out += node.literal.asText();
            out += '\'';
            return out;
        case NodeKind::Variable: return node.name;
        case NodeKind::Index: return open("index " + node.name);
        case NodeKind::Slice: return open("slice " + node.name);
        case NodeKind::Negate: return open("neg");
        case NodeKind::Not: return open("not");
        case NodeKind::Binary: return open(operatorName(node.opCode));
        case NodeKind::Call: return open(node.name);
    }
    return out;
}

}  // namespace linkar::runtime
