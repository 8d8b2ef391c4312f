// The byte-coded field list of a record declaration: building it, walking it
// into field descriptions, and clearing a record through it.
//
// Layout: a group byte 0x16; per field the byte 0x18, the field's offset in the
// record (4 bytes, little-endian), its label NUL-terminated, zero or more array
// markers (0x17 and a 4-byte dimension), a type byte and its size information;
// a 0 byte ends the list. Text fields (0x12 to 0x14) carry their length in 4
// bytes and a NUL-terminated picture; packed decimals (0x0A, 0x0B) one byte of
// size and one of decimal places; the other types have a fixed size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace linkar::storage {

// Field type codes, shared with key encoding and the expression evaluator.
constexpr uint8_t kTypeByte = 0x01;
constexpr uint8_t kTypeShort = 0x02;
constexpr uint8_t kTypeUShort = 0x03;
constexpr uint8_t kTypeDate = 0x04;
constexpr uint8_t kTypeTime = 0x05;
constexpr uint8_t kTypeLong = 0x06;
constexpr uint8_t kTypeULong = 0x07;
constexpr uint8_t kTypeSReal = 0x08;
constexpr uint8_t kTypeReal = 0x09;
constexpr uint8_t kTypeDecimal = 0x0A;
constexpr uint8_t kTypePDecimal = 0x0B;
constexpr uint8_t kTypeString = 0x12;   // fixed-length, blank-padded text
constexpr uint8_t kTypeCString = 0x13;  // zero-terminated text
constexpr uint8_t kTypePString = 0x14;  // length-prefixed text

// Structure bytes of the list.
constexpr uint8_t kListGroup = 0x16;  // opens the list
constexpr uint8_t kListArray = 0x17;  // array marker, followed by a 4-byte dimension
constexpr uint8_t kListField = 0x18;  // opens one field
constexpr uint8_t kListEnd = 0x00;    // ends the list

struct FieldInfo {
    uint32_t offset = 0;
    std::string label;             // as declared, e.g. "URL:LOCATION"
    std::vector<uint32_t> dims;    // array dimensions, outermost first
    uint8_t type = 0;
    uint32_t size = 0;             // bytes of one element
    uint8_t places = 0;            // decimal places (packed decimals)
    std::string picture;           // text fields only

    uint32_t totalSize() const;    // size times every dimension
    bool isText() const { return type == kTypeString || type == kTypeCString || type == kTypePString; }
};

using FieldList = std::vector<FieldInfo>;

// Builds a byte-coded list, field by field in declaration order.
class FieldListBuilder {
public:
    FieldListBuilder& text(std::string_view label, uint32_t offset, uint32_t length, uint8_t type = kTypeString);
    FieldListBuilder& decimal(std::string_view label, uint32_t offset, uint8_t size, uint8_t places);
    FieldListBuilder& number(std::string_view label, uint32_t offset, uint8_t type);
    FieldListBuilder& array(uint32_t dimension);  // applies to the next field
    std::vector<uint8_t> build() const;

private:
    void open(std::string_view label, uint32_t offset);
    std::vector<uint8_t> m_bytes;
    std::vector<uint32_t> m_pendingDims;
};

// Size of a fixed-size type, 0 for the types that carry their own size.
uint32_t fixedTypeSize(uint8_t type);

// Walks a list into `out`. Returns 0, or 75 "Invalid Field Type Descriptor"
// when the list does not open with the group byte or is malformed; `limit`
// bounds the walk so a damaged list cannot run away.
int parseFieldList(const uint8_t* list, FieldList& out, size_t limit = 1 << 20);

// Sets every field of `record` to its empty value: blanks for fixed texts,
// zero bytes for the other texts and numbers, a positive zero for decimals.
void clearRecord(uint8_t* record, uint32_t recordLength, const FieldList& fields);

}  // namespace linkar::storage
