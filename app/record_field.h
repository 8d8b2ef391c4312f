// A field of a file's record, found by its label in the file's field list:
// where it lies in the current procedure thread's record buffer and how to
// read and write it as raw bytes, as text or as a whole number. Browses name
// their columns, locator, guide and range fields this way, so that nothing
// in a browse knows a record layout.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/expr_value.h"
#include "storage/layer/declarations.h"
#include "storage/layer/field_list.h"

namespace linkar::app {

// Whether two field labels name the same field: letter case does not count.
bool sameLabel(std::string_view a, std::string_view b);

class FieldRef {
 public:
  FieldRef() = default;
  // The field of `file` labelled `label` (letter case ignored). Asking for a
  // label the file does not declare is a programming error.
  static FieldRef of(storage::FileDecl& file, std::string_view label);

  bool valid() const { return m_file != nullptr; }
  storage::FileDecl& file() const { return *m_file; }
  const std::string& label() const { return m_info.label; }
  uint32_t size() const { return m_info.size; }
  bool isText() const { return m_info.isText(); }

  // The field's bytes in the current thread's record buffer.
  char* data() const;
  std::string raw() const { return std::string(data(), size()); }
  // Copies bytes taken by raw() back.
  void setRaw(std::string_view bytes) const;

  // Text: the value without trailing blanks; a number: its decimal digits.
  std::string text() const;
  // Text: assigned blank-padded; a number: the value of the leading digits
  // (0 when there are none).
  void setText(std::string_view text) const;
  // What text() would give for the field holding `bytes` (from raw()).
  std::string displayText(std::string_view bytes) const;
  int64_t number() const;
  void setNumber(int64_t value) const;
  // Blanks for a text, zero for a number.
  void clear() const;

  // The field as a variable the expression evaluator can bind.
  runtime::VariableRef variable() const;

 private:
  int64_t numberOf(std::string_view bytes) const;

  storage::FileDecl* m_file = nullptr;
  storage::FieldInfo m_info;
};

}  // namespace linkar::app
