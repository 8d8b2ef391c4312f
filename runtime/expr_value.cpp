// Values of the expression evaluator: conversions, reading bound variables,
// and the comparison rules of the comparison operators.
#include "runtime/expr_value.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <span>

#include "runtime/char_tables.h"
#include "runtime/packed_decimal.h"
#include "runtime/picture_format.h"

namespace linkar::runtime {
namespace {

// Two reals are equal when the exponent of their difference lies more than
// this far below the exponent of either one.
constexpr int kRealEqualityBits = 50;

template <typename T>
T load(const void* address, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char*>(address) + offset, sizeof value);
    return value;
}

int binaryExponent(double v) {
    int exponent = 0;
    std::frexp(v == 0 ? 1.0 : v, &exponent);
    return exponent;
}

}  // namespace

ValueClass classOfType(std::uint8_t type) {
    if (type <= kLastIntegerType) return ValueClass::Integer;
    if (type <= kLastRealType) return ValueClass::Real;
    return ValueClass::Text;
}

Value Value::integer(std::int32_t v) {
    Value out;
    out.m_class = ValueClass::Integer;
    out.m_integer = v;
    return out;
}

Value Value::real(double v) {
    Value out;
    out.m_class = ValueClass::Real;
    out.m_real = v;
    return out;
}

Value Value::text(std::string v) {
    Value out;
    out.m_class = ValueClass::Text;
    if (v.size() > kMaxTextValue) v.resize(kMaxTextValue);
    out.m_text = std::move(v);
    return out;
}

Value Value::number(double v) {
    if (std::isfinite(v) && v == std::trunc(v) && v >= std::numeric_limits<std::int32_t>::min() &&
        v <= std::numeric_limits<std::int32_t>::max()) {
        return integer(static_cast<std::int32_t>(v));
    }
    return real(v);
}

std::int32_t Value::asInteger() const {
    switch (m_class) {
        case ValueClass::Integer: return m_integer;
        case ValueClass::Real: {
            if (std::isnan(m_real)) return 0;
            if (m_real >= std::numeric_limits<std::int32_t>::max()) {
                return std::numeric_limits<std::int32_t>::max();
            }
            if (m_real <= std::numeric_limits<std::int32_t>::min()) {
                return std::numeric_limits<std::int32_t>::min();
            }
            return static_cast<std::int32_t>(m_real);
        }
        case ValueClass::Text: return asNumber().asInteger();
    }
    return 0;
}

double Value::asReal() const {
    switch (m_class) {
        case ValueClass::Integer: return m_integer;
        case ValueClass::Real: return m_real;
        case ValueClass::Text: return leadingNumber(m_text);
    }
    return 0;
}

std::string Value::asText() const {
    switch (m_class) {
        case ValueClass::Integer: return std::to_string(m_integer);
        case ValueClass::Real: return plainNumberText(m_real);
        case ValueClass::Text: return m_text;
    }
    return {};
}

Value Value::asNumber() const {
    if (m_class != ValueClass::Text) return *this;
    return number(leadingNumber(m_text));
}

bool Value::truth() const {
    switch (m_class) {
        case ValueClass::Integer: return m_integer != 0;
        case ValueClass::Real: return m_real != 0;
        case ValueClass::Text: return m_text.find_first_not_of(' ') != std::string::npos;
    }
    return false;
}

Value readVariable(const VariableRef& var, std::uint32_t element) {
    if (var.address == nullptr || element >= var.elements) {
        return classOfType(var.type) == ValueClass::Text ? Value::text({}) : Value::integer(0);
    }
    const std::size_t offset = static_cast<std::size_t>(element) * var.size;
    const char* base = static_cast<const char*>(var.address) + offset;
    switch (var.type) {
        case kVarByte: return Value::integer(load<std::uint8_t>(var.address, offset));
        case kVarShort: return Value::integer(load<std::int16_t>(var.address, offset));
        case kVarUShort: return Value::integer(load<std::uint16_t>(var.address, offset));
        case kVarDate:
        case kVarTime:
        case kVarLong: return Value::integer(load<std::int32_t>(var.address, offset));
        case kVarULong: return Value::real(load<std::uint32_t>(var.address, offset));
        case kVarSReal: return Value::real(load<float>(var.address, offset));
        case kVarReal: return Value::real(load<double>(var.address, offset));
        case kVarDecimal:
        case kVarPDecimal: {
            double value = 0;
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(base);
            if (unpackDouble(std::span<const std::uint8_t>(bytes, var.size), var.places, value) !=
                DecimalStatus::kOk) {
                value = 0;
            }
            return Value::real(value);
        }
        case kVarCString: return Value::text(std::string(base, strnlen(base, var.size)));
        case kVarPString: {
            if (var.size == 0) return Value::text({});
            const std::size_t length = std::min<std::size_t>(
                static_cast<unsigned char>(base[0]), var.size - 1);
            return Value::text(std::string(base + 1, length));
        }
        default:
            if (classOfType(var.type) == ValueClass::Text) return Value::text(std::string(base, var.size));
            return Value::integer(0);
    }
}

int compareTexts(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int wa = collationWeight(static_cast<std::uint8_t>(a[i]));
        const int wb = collationWeight(static_cast<std::uint8_t>(b[i]));
        if (wa != wb) return wa - wb;
    }
    const std::string_view rest = a.size() > b.size() ? a.substr(common) : b.substr(common);
    const std::size_t nonBlank = rest.find_first_not_of(' ');
    if (nonBlank == std::string_view::npos) return 0;
    const int difference = collationWeight(static_cast<std::uint8_t>(rest[nonBlank])) -
                           collationWeight(static_cast<std::uint8_t>(' '));
    return a.size() > b.size() ? difference : -difference;
}

int compareValues(const Value& a, const Value& b) {
    if (a.valueClass() == ValueClass::Integer && b.valueClass() == ValueClass::Integer) {
        const std::int32_t x = a.asInteger();
        const std::int32_t y = b.asInteger();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.isText() && b.isText()) return compareTexts(a.asText(), b.asText());
    const double x = a.asReal();
    const double y = b.asReal();
    const double difference = x - y;
    if (difference == 0 || std::isnan(difference)) return 0;
    const int exponent = binaryExponent(difference);
    if (std::isfinite(difference) && (exponent < binaryExponent(x) - kRealEqualityBits ||
                                      exponent < binaryExponent(y) - kRealEqualityBits)) {
        return 0;
    }
    return x < y ? -1 : 1;
}

}  // namespace linkar::runtime
