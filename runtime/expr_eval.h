// Evaluating compiled expressions against the current values of their bound
// variables: as a truth value, as a value, or as text.
//
// Arithmetic rules (the evaluator's own):
//  - "+", "-" and "*" of two integers give an integer when the result fits
//    32 bits, else a real; with a real operand the result is real;
//  - "/" gives an integer when both operands are integers and the division
//    is exact, else a real; "%" of two integers is an integer remainder
//    (sign of the dividend), otherwise the real remainder;
//  - dividing by zero, or a remainder by zero, gives 0;
//  - "^" gives an integer when both operands are integers, the exponent is
//    not negative and the result fits, else a real;
//  - texts in arithmetic are read as numbers, numbers in "&" as texts;
//  - results that are not numbers (the square root of -1 and the like)
//    become 0; infinities stay as they are;
//  - AND, OR, XOR and NOT give 1 or 0 from the truth of their operands;
//  - var[i] is element i (from 1) of an array, or character i of a text;
//    var[a:b] the characters a to b of the text; positions outside give ''.
#pragma once

#include <string>
#include <string_view>

#include "runtime/expr_parser.h"
#include "runtime/expr_value.h"

namespace linkar::runtime {

Value evaluateValue(const ExprNode& node);
bool evaluateTruth(const ExprNode& node);
// The value as text; with a picture (at sign optional) formatted through it.
std::string evaluateText(const ExprNode& node, std::string_view picture = {});

}  // namespace linkar::runtime
