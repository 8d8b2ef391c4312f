// Fields of the record buffers by label.
#include "app/record_field.h"

#include <cassert>
#include <cstring>
#include <span>

#include "runtime/char_tables.h"
#include "runtime/fixed_text.h"
#include "runtime/packed_decimal.h"
#include "storage/layer/thread_files.h"

namespace linkar::app {
bool sameLabel(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (runtime::toUpper(static_cast<uint8_t>(a[i])) != runtime::toUpper(static_cast<uint8_t>(b[i]))) return false;
  return true;
}

FieldRef FieldRef::of(storage::FileDecl& file, std::string_view label) {
  storage::FieldList fields;
  [[maybe_unused]] int rc = storage::parseFieldList(file.fieldList, fields);
  assert(rc == 0 && "a declared file has a sound field list");
  FieldRef ref;
  for (const storage::FieldInfo& info : fields) {
    if (!sameLabel(info.label, label)) continue;
    ref.m_file = &file;
    ref.m_info = info;
    break;
  }
  assert(ref.valid() && "no field of that label");
  assert((ref.isText() || ref.m_info.type == storage::kTypeDecimal) && "texts and decimals only");
  return ref;
}

char* FieldRef::data() const {
  return reinterpret_cast<char*>(storage::recordOf(*m_file)) + m_info.offset;
}

void FieldRef::setRaw(std::string_view bytes) const {
  assert(bytes.size() == size());
  std::memcpy(data(), bytes.data(), size());
}

std::string FieldRef::text() const {
  if (isText()) return std::string(runtime::fixedView(data(), size()));
  return std::to_string(number());
}

void FieldRef::setText(std::string_view text) const {
  if (isText()) {
    runtime::assignFixed(data(), size(), text);
    return;
  }
  int64_t value = 0;
  for (char c : text) {
    if (!runtime::isDigit(static_cast<uint8_t>(c))) break;
    value = value * 10 + (c - '0');
    if (value > 1000000000) break;  // far beyond any field; the pack refuses it
  }
  setNumber(value);
}

std::string FieldRef::displayText(std::string_view bytes) const {
  if (isText()) return std::string(runtime::trimTrailingBlanks(bytes));
  return std::to_string(numberOf(bytes));
}

int64_t FieldRef::numberOf(std::string_view bytes) const {
  int64_t value = 0;
  auto packed = std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  if (runtime::unpackInteger(packed, m_info.places, value) != runtime::DecimalStatus::kOk) return 0;
  return value;
}

int64_t FieldRef::number() const { return numberOf(std::string_view(data(), size())); }

void FieldRef::setNumber(int64_t value) const {
  auto bytes = std::span<uint8_t>(reinterpret_cast<uint8_t*>(data()), size());
  runtime::packInteger(bytes, m_info.places, value);
}

void FieldRef::clear() const {
  if (isText())
    std::memset(data(), runtime::kBlank, size());
  else
    setNumber(0);
}

runtime::VariableRef FieldRef::variable() const {
  return runtime::VariableRef{data(), m_info.type, m_info.size, m_info.places};
}

}  // namespace linkar::app
