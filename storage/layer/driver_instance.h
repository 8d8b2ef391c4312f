// The driver's private per-file state: what every driver keeps about a
// declared file (copied texts, record, parsed field list, state bits). Each
// driver derives its own instance from this and adds its handles.
#pragma once

#include <cstdint>
#include <string>

#include "storage/layer/declarations.h"
#include "storage/layer/field_list.h"

namespace linkar::storage {

// Per-file state bits.
constexpr uint32_t kStateOpen = 0x01;         // the file is open
constexpr uint32_t kStateCurrent = 0x02;      // a current record exists
constexpr uint32_t kStateTransaction = 0x04;  // a LOGOUT transaction is active
constexpr uint32_t kStateStream = 0x08;       // STREAM is active
constexpr uint32_t kStateLocked = 0x10;       // the file is locked (LOCK)
constexpr uint32_t kStateSequence = 0x20;     // a sequence is established (SET or RESET)
constexpr uint32_t kStateWrite = 0x40;        // opened with write access
constexpr uint32_t kStateExclusive = 0x80;    // opened deny-all or deny-write

constexpr uint32_t kMaxRecordLength = 65535;  // longest record a driver accepts

class DriverInstance {
public:
    virtual ~DriverInstance() = default;

    uint32_t m_state = 0;
    int32_t m_lastOperation = 0;
    std::string m_name;            // the declared name; a NUL inside is kept, to be refused
    std::string m_options;         // driver option text
    std::string m_attributeText;   // further attribute text
    uint8_t* m_record = nullptr;   // the declaration's record buffer
    uint32_t m_recordLength = 0;
    uint8_t m_attributeBits = 0;
    FieldList m_fields;

    bool has(uint32_t bits) const { return (m_state & bits) == bits; }
};

// Fills the common part of an instance from the declaration. Returns 0, 47
// "Invalid Record Declaration" (record longer than 65535) or 75 (field list
// not a group).
int initInstance(DriverInstance& instance, const FileDecl& file);

}  // namespace linkar::storage
