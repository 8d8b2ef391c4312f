// Values of the expression evaluator (integer, real or text) and the bound
// variables they are read from: a piece of memory with a storage type code,
// such as a field of a record buffer.
//
// Conversion rules (the evaluator's own):
//  - a text used as a number is read by its leading number (blanks, sign,
//    digits, fraction, exponent); a whole number that fits 32 bits is an
//    integer, anything else a real; a text without a number is 0;
//  - a number used as a text is its plain decimal text ("12", "-0.5");
//  - a value's truth: a number is true when not 0, a text when it holds a
//    non-blank character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace linkar::runtime {

// Type classes of values and symbols.
enum class ValueClass : std::uint8_t { Integer = 1, Real = 2, Text = 4 };

// Storage type codes of bound variables (the codes of the field lists).
inline constexpr std::uint8_t kVarByte = 0x01;
inline constexpr std::uint8_t kVarShort = 0x02;
inline constexpr std::uint8_t kVarUShort = 0x03;
inline constexpr std::uint8_t kVarDate = 0x04;
inline constexpr std::uint8_t kVarTime = 0x05;
inline constexpr std::uint8_t kVarLong = 0x06;
inline constexpr std::uint8_t kVarULong = 0x07;
inline constexpr std::uint8_t kVarSReal = 0x08;
inline constexpr std::uint8_t kVarReal = 0x09;
inline constexpr std::uint8_t kVarDecimal = 0x0A;
inline constexpr std::uint8_t kVarPDecimal = 0x0B;
inline constexpr std::uint8_t kVarString = 0x12;   // fixed-length, blank-padded
inline constexpr std::uint8_t kVarCString = 0x13;  // zero-terminated inside its size
inline constexpr std::uint8_t kVarPString = 0x14;  // length byte, then the text
// Highest code of the integer types and of the floating-point and decimal types.
inline constexpr std::uint8_t kLastIntegerType = 0x06;
inline constexpr std::uint8_t kLastRealType = 0x11;

// Longest text a value may hold; longer results are cut.
inline constexpr std::size_t kMaxTextValue = 65536;

// A bound variable: its memory, storage type, size in bytes of one element,
// decimal places (packed decimals) and number of elements (1 unless an
// array). The memory must stay valid while the binding or any compiled
// expression that refers to it is in use.
struct VariableRef {
    void* address = nullptr;
    std::uint8_t type = kVarLong;
    std::uint32_t size = 4;
    std::uint8_t places = 0;
    std::uint32_t elements = 1;
};

ValueClass classOfType(std::uint8_t type);

class Value {
public:
    Value() = default;
    static Value integer(std::int32_t v);
    static Value real(double v);
    static Value text(std::string v);
    // A number: an integer when it is whole and fits 32 bits, else a real.
    static Value number(double v);

    ValueClass valueClass() const { return m_class; }
    bool isText() const { return m_class == ValueClass::Text; }
    std::int32_t asInteger() const;  // reals cut towards zero, saturated
    double asReal() const;
    std::string asText() const;
    // The value as a number (texts read by their leading number).
    Value asNumber() const;
    bool truth() const;

private:
    ValueClass m_class = ValueClass::Integer;
    std::int32_t m_integer = 0;
    double m_real = 0;
    std::string m_text;
};

// Reads element `element` (0-based) of a bound variable.
Value readVariable(const VariableRef& var, std::uint32_t element = 0);

// Comparison of two values as the comparison operators see it: negative, 0
// or positive. Two integers compare as integers; two texts by the collating
// table without case folding, trailing blanks never mattering; anything else
// as reals, equal when the difference is 0 or its binary exponent lies more
// than 50 below that of either value.
int compareValues(const Value& a, const Value& b);

// The text comparison above on its own.
int compareTexts(std::string_view a, std::string_view b);

}  // namespace linkar::runtime
