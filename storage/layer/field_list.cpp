// Field list building, walking and record clearing.
#include "storage/layer/field_list.h"

#include <algorithm>
#include <cstring>

#include "runtime/error_codes.h"

namespace linkar::storage {

namespace err = runtime::err;

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A bounded little-endian reader over the list bytes.
class Cursor {
public:
    Cursor(const uint8_t* p, size_t limit) : m_p(p), m_limit(limit) {}
    bool byte(uint8_t& b)
    {
        if (m_pos >= m_limit)
            return false;
        b = m_p[m_pos++];
        return true;
    }
    bool u32(uint32_t& v)
    {
        v = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b;
            if (!byte(b))
                return false;
            v |= uint32_t(b) << (8 * i);
        }
        return true;
    }
    bool cstring(std::string& s)
    {
        s.clear();
        for (uint8_t b; byte(b);) {
            if (b == 0)
                return true;
            s.push_back(static_cast<char>(b));
        }
        return false;
    }

private:
    const uint8_t* m_p;
    size_t m_limit;
    size_t m_pos = 0;
};

bool parseType(Cursor& c, FieldInfo& f)
{
    if (!c.byte(f.type))
        return false;
    switch (f.type) {
    case kTypeString: case kTypeCString: case kTypePString:
        return c.u32(f.size) && c.cstring(f.picture);
    case kTypeDecimal: case kTypePDecimal: {
        uint8_t size;
        if (!c.byte(size) || !c.byte(f.places))
            return false;
        f.size = size;
        return true;
    }
    default:
        f.size = fixedTypeSize(f.type);
        return f.size != 0;
    }
}

}  // namespace

uint32_t FieldInfo::totalSize() const
{
    uint64_t total = size;
    for (uint32_t d : dims)
        total *= d;
    return static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX));
}

uint32_t fixedTypeSize(uint8_t type)
{
    switch (type) {
    case kTypeByte: return 1;
    case kTypeShort: case kTypeUShort: return 2;
    case kTypeDate: case kTypeTime: case kTypeLong: case kTypeULong: case kTypeSReal: return 4;
    case kTypeReal: return 8;
    default: return 0;
    }
}

void FieldListBuilder::open(std::string_view label, uint32_t offset)
{
    if (m_bytes.empty())
        m_bytes.push_back(kListGroup);
    m_bytes.push_back(kListField);
    putU32(m_bytes, offset);
    m_bytes.insert(m_bytes.end(), label.begin(), label.end());
    m_bytes.push_back(0);
    for (uint32_t d : m_pendingDims) {
        m_bytes.push_back(kListArray);
        putU32(m_bytes, d);
    }
    m_pendingDims.clear();
}

FieldListBuilder& FieldListBuilder::text(std::string_view label, uint32_t offset, uint32_t length, uint8_t type)
{
    open(label, offset);
    m_bytes.push_back(type);
    putU32(m_bytes, length);
    m_bytes.push_back(0);  // empty picture
    return *this;
}

FieldListBuilder& FieldListBuilder::decimal(std::string_view label, uint32_t offset, uint8_t size, uint8_t places)
{
    open(label, offset);
    m_bytes.push_back(kTypeDecimal);
    m_bytes.push_back(size);
    m_bytes.push_back(places);
    return *this;
}

FieldListBuilder& FieldListBuilder::number(std::string_view label, uint32_t offset, uint8_t type)
{
    open(label, offset);
    m_bytes.push_back(type);
    return *this;
}

FieldListBuilder& FieldListBuilder::array(uint32_t dimension)
{
    m_pendingDims.push_back(dimension);
    return *this;
}

std::vector<uint8_t> FieldListBuilder::build() const
{
    std::vector<uint8_t> out;
    out.reserve(m_bytes.size() + 2);
    if (m_bytes.empty())
        out.assign({kListGroup, kListEnd});
    else
        out.assign(m_bytes.begin(), m_bytes.end());
    if (!m_bytes.empty())
        out.insert(out.end(), kListEnd);
    return out;
}

int parseFieldList(const uint8_t* list, FieldList& out, size_t limit)
{
    out.clear();
    if (list == nullptr)
        return err::kInvalidFieldTypeDescriptor;
    Cursor c(list, limit);
    uint8_t b;
    if (!c.byte(b) || b != kListGroup)
        return err::kInvalidFieldTypeDescriptor;
    for (;;) {
        if (!c.byte(b))
            return err::kInvalidFieldTypeDescriptor;
        if (b == kListEnd)
            return 0;
        if (b != kListField)
            return err::kInvalidFieldTypeDescriptor;
        FieldInfo f;
        if (!c.u32(f.offset) || !c.cstring(f.label))
            return err::kInvalidFieldTypeDescriptor;
        // Array markers come before the type byte.
        for (;;) {
            uint8_t peek;
            Cursor probe = c;
            if (!probe.byte(peek))
                return err::kInvalidFieldTypeDescriptor;
            if (peek != kListArray)
                break;
            c.byte(peek);
            uint32_t dim;
            if (!c.u32(dim))
                return err::kInvalidFieldTypeDescriptor;
            f.dims.push_back(dim);
        }
        if (!parseType(c, f))
            return err::kInvalidFieldTypeDescriptor;
        out.push_back(std::move(f));
    }
}

void clearRecord(uint8_t* record, uint32_t recordLength, const FieldList& fields)
{
    for (const FieldInfo& f : fields) {
        uint32_t total = f.totalSize();
        if (f.offset >= recordLength)
            continue;
        total = std::min(total, recordLength - f.offset);
        uint8_t* p = record + f.offset;
        if (f.type == kTypeString) {
            std::memset(p, ' ', total);
        } else {
            // Zero bytes are an empty C or length-prefixed text, a zero number,
            // and a packed decimal zero with the positive sign nibble.
            std::memset(p, 0, total);
        }
    }
}

}  // namespace linkar::storage
