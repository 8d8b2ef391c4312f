// Fields and memos bound by their labels.
#include "app/record_bindings.h"

#include <cassert>

#include "runtime/expr_symbols.h"
#include "storage/layer/field_list.h"
#include "storage/layer/thread_files.h"

namespace linkar::app {

void bindRecord(storage::FileDecl& file) {
  storage::FieldList fields;
  [[maybe_unused]] int rc = storage::parseFieldList(file.fieldList, fields);
  assert(rc == 0 && "a declared file has a sound field list");
  uint8_t* record = storage::recordOf(file);
  for (const storage::FieldInfo& f : fields)
    runtime::bindName(f.label, runtime::VariableRef{record + f.offset, f.type, f.size, f.places});
  for (int i = 0; i < file.memoCount; ++i) {
    const storage::MemoDecl& memo = *file.memos[i];
    char* buffer = storage::memoBufferOf(file, memo.number);
    if (buffer)
      runtime::bindName(memo.label, runtime::VariableRef{buffer, runtime::kVarString, static_cast<uint32_t>(memo.size)});
  }
}

std::vector<FileUse> useAndBind(const std::vector<BrowseFile>& files) {
  std::vector<FileUse> uses;
  uses.reserve(files.size());
  for (const BrowseFile& f : files) {
    uses.emplace_back(*f.file, f.openCount());
    bindRecord(*f.file);
  }
  return uses;
}

}  // namespace linkar::app
