// Form controls bound to record fields and memos.
#include "app/form_bindings.h"

#include <cassert>
#include <charconv>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app/record_field.h"
#include "runtime/char_tables.h"
#include "runtime/fixed_text.h"
#include "runtime/packed_decimal.h"
#include "storage/layer/field_list.h"
#include "storage/layer/thread_files.h"
#include "ui/statements.h"

namespace linkar::app {
namespace {

ui::Binding textBinding(char* data, size_t size) {
  return {[data, size] { return std::string(runtime::fixedView(data, size)); },
          [data, size](std::string_view text) { runtime::assignFixed(data, size, text); }};
}

ui::Binding decimalBinding(uint8_t* data, size_t size, unsigned places) {
  return {[data, size, places] {
            int64_t value = 0;
            runtime::unpackInteger(std::span<const uint8_t>(data, size), places, value);
            return std::to_string(value);
          },
          [data, size, places](std::string_view text) {
            int64_t value = 0;
            std::from_chars(text.data(), text.data() + text.size(), value);
            runtime::packInteger(std::span<uint8_t>(data, size), places, value);
          }};
}

// The binding for a use name, or none when it names nothing of the file.
ui::Binding bindingFor(std::string_view use, storage::FileDecl& file, const storage::FieldList& fields) {
  uint8_t* record = storage::recordOf(file);
  for (const storage::FieldInfo& f : fields) {
    if (!sameLabel(f.label, use)) continue;
    if (f.isText()) return textBinding(reinterpret_cast<char*>(record + f.offset), f.size);
    if (f.type == storage::kTypeDecimal) return decimalBinding(record + f.offset, f.size, f.places);
  }
  for (int i = 0; i < file.memoCount; ++i) {
    const storage::MemoDecl& memo = *file.memos[i];
    if (!sameLabel(memo.label, use)) continue;
    if (char* buffer = storage::memoBufferOf(file, memo.number))
      return textBinding(buffer, static_cast<size_t>(memo.size));
  }
  return {};
}

}  // namespace

void bindFormControls(int window, storage::FileDecl& file) {
  storage::FieldList fields;
  [[maybe_unused]] int rc = storage::parseFieldList(file.fieldList, fields);
  assert(rc == 0 && "a declared file has a sound field list");
  ui::Window& w = *ui::engine().window(window);
  for (int field : w.fields()) {
    const ui::ControlDecl& c = w.control(field);
    if (c.type != ui::ControlType::Entry && c.type != ui::ControlType::Text) continue;
    ui::Binding binding = bindingFor(c.use, file, fields);
    if (binding.get) w.bind(field, std::move(binding));
  }
}

}  // namespace linkar::app
