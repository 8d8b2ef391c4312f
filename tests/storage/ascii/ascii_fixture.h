// A text file declared for the text driver, for the driver's tests: one text
// field covering the whole record, the name given as a path.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/error_state.h"
#include "storage/ascii/ascii_driver.h"
#include "storage/layer/declarations.h"
#include "storage/layer/field_list.h"
#include "storage/layer/file_statements.h"

namespace linkar::ascii::test {

class TextFile {
public:
    TextFile(const std::string& path, uint32_t recordLength, uint8_t attributes = 0,
             const std::string& options = "")
        : m_path(path), m_options(options), m_record(recordLength, ' ')
    {
        m_list = storage::FieldListBuilder().text("ASC:LINE", 0, recordLength).build();
        decl.entry = &asciiDriverEntry;
        decl.name = m_path.c_str();
        decl.nameLength = storage::kTextNulTerminated;
        if (!m_options.empty()) {
            decl.options = m_options.c_str();
            decl.optionsLength = storage::kTextNulTerminated;
        }
        decl.attributeBits = attributes;
        decl.recordLength = recordLength;
        decl.fieldList = m_list.data();
        decl.record = m_record.data();
    }

    // The record with trailing blanks dropped.
    std::string line() const
    {
        std::string s(m_record.begin(), m_record.end());
        while (!s.empty() && s.back() == ' ')
            s.pop_back();
        return s;
    }
    std::string rawRecord() const { return std::string(m_record.begin(), m_record.end()); }
    void setRecord(std::string_view text)
    {
        std::fill(m_record.begin(), m_record.end(), ' ');
        std::copy_n(text.begin(), std::min(text.size(), m_record.size()), m_record.begin());
    }

    // Opens and sets the sequence to the start; true on success.
    bool openAndSet(int32_t mode = storage::kAccessRead | storage::kDenyNone)
    {
        storage::fileOpen(decl, mode);
        if (runtime::errorCode() != 0)
            return false;
        storage::fileSet(decl);
        return runtime::errorCode() == 0;
    }

    // Every line NEXT reads until it fails, and the code it fails with.
    std::vector<std::string> readAll(int32_t* endCode = nullptr)
    {
        std::vector<std::string> lines;
        for (;;) {
            storage::fileNext(decl);
            if (runtime::errorCode() != 0)
                break;
            lines.push_back(line());
        }
        if (endCode != nullptr)
            *endCode = runtime::errorCode();
        return lines;
    }

    std::string send(std::string_view option) { return storage::fileSend(decl, option); }

    storage::FileDecl decl;

private:
    std::string m_path;
    std::string m_options;
    std::vector<uint8_t> m_list;
    std::vector<uint8_t> m_record;
};

}  // namespace linkar::ascii::test
