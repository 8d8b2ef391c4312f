// The tree walker of the expression evaluator.
#include "runtime/expr_eval.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "runtime/expr_builtins.h"
#include "runtime/expr_symbols.h"
#include "runtime/picture.h"
#include "runtime/picture_format.h"

namespace linkar::runtime {
namespace {

bool fitsInteger(std::int64_t v) {
    return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

Value realResult(double v) { return Value::real(std::isnan(v) ? 0.0 : v); }

Value integerOrReal(std::int64_t v) {
    return fitsInteger(v) ? Value::integer(static_cast<std::int32_t>(v)) : Value::real(static_cast<double>(v));
}

Value arithmetic(int opCode, const Value& left, const Value& right) {
    const Value a = left.asNumber();
    const Value b = right.asNumber();
    const bool integers = a.valueClass() == ValueClass::Integer && b.valueClass() == ValueClass::Integer;
    if (integers) {
        const std::int64_t x = a.asInteger();
        const std::int64_t y = b.asInteger();
        switch (opCode) {
            case op::kAdd: return integerOrReal(x + y);
            case op::kSubtract: return integerOrReal(x - y);
            case op::kMultiply: return integerOrReal(x * y);
            case op::kDivide:
                if (y == 0) return Value::integer(0);
                if (x % y == 0) return integerOrReal(x / y);
                return Value::real(static_cast<double>(x) / static_cast<double>(y));
            case op::kRemainder: return y == 0 ? Value::integer(0) : integerOrReal(x % y);
            case op::kPower: {
                if (y >= 0) {
                    const double p = std::pow(static_cast<double>(x), static_cast<double>(y));
                    if (std::fabs(p) <= std::numeric_limits<std::int32_t>::max()) {
                        return Value::number(p);
                    }
                }
                return realResult(std::pow(static_cast<double>(x), static_cast<double>(y)));
            }
            default: break;
        }
    }
    const double x = a.asReal();
    const double y = b.asReal();
    switch (opCode) {
        case op::kAdd: return realResult(x + y);
        case op::kSubtract: return realResult(x - y);
        case op::kMultiply: return realResult(x * y);
        case op::kDivide: return y == 0 ? Value::integer(0) : realResult(x / y);
        case op::kRemainder: return y == 0 ? Value::integer(0) : realResult(std::fmod(x, y));
        case op::kPower: return realResult(std::pow(x, y));
        default: return Value::integer(0);
    }
}

bool comparison(int opCode, const Value& a, const Value& b) {
    const int order = compareValues(a, b);
    switch (opCode) {
        case op::kEqual: return order == 0;
        case op::kNotEqual: return order != 0;
        case op::kLess: return order < 0;
        case op::kGreater: return order > 0;
        case op::kLessEqual: return order <= 0;
        case op::kGreaterEqual: return order >= 0;
        default: return false;
    }
}

Value binary(const ExprNode& node) {
    const int opCode = node.opCode;
    // AND and OR look at their right operand only when it can change the result.
    if (opCode == op::kAnd) {
        if (!evaluateTruth(*node.children[0])) return Value::integer(0);
        return Value::integer(evaluateTruth(*node.children[1]) ? 1 : 0);
    }
    if (opCode == op::kOr) {
        if (evaluateTruth(*node.children[0])) return Value::integer(1);
        return Value::integer(evaluateTruth(*node.children[1]) ? 1 : 0);
    }
    const Value left = evaluateValue(*node.children[0]);
    const Value right = evaluateValue(*node.children[1]);
    switch (opCode) {
        case op::kXor: return Value::integer(left.truth() != right.truth() ? 1 : 0);
        case op::kConcat: return Value::text(left.asText() + right.asText());
        case op::kEqual:
        case op::kNotEqual:
        case op::kLess:
        case op::kGreater:
        case op::kLessEqual:
        case op::kGreaterEqual: return Value::integer(comparison(opCode, left, right) ? 1 : 0);
        default: return arithmetic(opCode, left, right);
    }
}

// Characters from..to (from 1, both included) of a text; '' outside it.
std::string characters(const std::string& text, std::int64_t from, std::int64_t to) {
    if (from < 1) from = 1;
    if (to > static_cast<std::int64_t>(text.size())) to = static_cast<std::int64_t>(text.size());
    if (from > to) return {};
    return text.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from + 1));
}

Value indexed(const ExprNode& node) {
    const std::int64_t index = evaluateValue(*node.children[0]).asInteger();
    const VariableRef& var = node.variable;
    if (var.elements > 1) {
        if (index < 1 || index > var.elements) {
            return classOfType(var.type) == ValueClass::Text ? Value::text({}) : Value::integer(0);
        }
        return readVariable(var, static_cast<std::uint32_t>(index - 1));
    }
    const Value whole = readVariable(var);
    if (!whole.isText()) return index == 1 ? whole : Value::integer(0);
    return Value::text(characters(whole.asText(), index, index));
}

Value sliced(const ExprNode& node) {
    const std::int64_t from = evaluateValue(*node.children[0]).asInteger();
    const std::int64_t to = evaluateValue(*node.children[1]).asInteger();
    return Value::text(characters(readVariable(node.variable).asText(), from, to));
}

Value call(const ExprNode& node) {
    std::vector<Value> arguments;
    arguments.reserve(node.children.size());
    for (const auto& child : node.children) arguments.push_back(evaluateValue(*child));
    return callBuiltin(node.function, arguments);
}

}  // namespace

Value evaluateValue(const ExprNode& node) {
    switch (node.kind) {
        case NodeKind::Literal: return node.literal;
        case NodeKind::Variable: return readVariable(node.variable);
        case NodeKind::Index: return indexed(node);
        case NodeKind::Slice: return sliced(node);
        case NodeKind::Negate: {
            const Value v = evaluateValue(*node.children[0]).asNumber();
            if (v.valueClass() == ValueClass::Integer) {
                return integerOrReal(-static_cast<std::int64_t>(v.asInteger()));
            }
            return Value::real(-v.asReal());
        }
        case NodeKind::Not: return Value::integer(evaluateTruth(*node.children[0]) ? 0 : 1);
        case NodeKind::Binary: return binary(node);
        case NodeKind::Call: return call(node);
    }
    return Value::integer(0);
}

bool evaluateTruth(const ExprNode& node) { return evaluateValue(node).truth(); }

std::string evaluateText(const ExprNode& node, std::string_view picture) {
    const Value value = evaluateValue(node);
    if (picture.empty()) return value.asText();
    const CompiledPicture compiled = compilePicture(picture);
    if (!compiled.valid()) return value.asText();
    if (value.isText()) return formatText(compiled, value.asText());
    return formatNumber(compiled, value.asReal());
}

}  // namespace linkar::runtime
