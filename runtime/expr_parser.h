// Compiling expression texts into trees. Grammar, lowest precedence first,
// every binary level associating to the left:
//   OR, XOR  >  AND  >  NOT/~ prefix  >  comparisons  >  &  >  + -  >  * / %
//   >  ^  >  prefix signs  >  primary
// A primary is a number, a quoted text, a picture token, a bound variable
// (optionally [i] or [from:to]), a built-in call or a bracketed expression.
//
// A picture token (an at sign and a picture, such as @N3 or @pPage <<<#p)
// stands for the picture's text, at sign included, so it can be handed to
// FORMAT and DEFORMAT.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/expr_value.h"

namespace linkar::runtime {

// Deepest tree a compile accepts; deeper texts fail to compile, so that
// evaluating and freeing a tree never runs out of stack.
inline constexpr int kMaxExpressionDepth = 200;

enum class NodeKind { Literal, Variable, Index, Slice, Negate, Not, Binary, Call };

struct ExprNode {
    NodeKind kind = NodeKind::Literal;
    int opCode = 0;          // Binary: the operator code
    int function = 0;        // Call: the built-in's function number
    Value literal;           // Literal
    VariableRef variable;    // Variable, Index, Slice
    std::string name;        // Variable, Index, Slice, Call: as written
    int height = 1;          // levels of the tree below and including this node
    std::vector<std::unique_ptr<ExprNode>> children;
};

// A compiled expression; its owner frees it by dropping it.
using ExprTree = std::unique_ptr<ExprNode>;

// Compiles a text against the current symbol table. Nothing unless the whole
// text was read without error; an unknown name also posts error 801, a
// syntax error posts nothing.
ExprTree compileExpression(std::string_view text);

// The tree in prefix form, for tests and traces: "(= (= X Y) Z)",
// "(neg 5)", "(UPPER URL:Category)", "'text'".
std::string describeExpression(const ExprNode& node);

}  // namespace linkar::runtime
