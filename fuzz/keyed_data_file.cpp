// Fuzzes the keyed data file reader: mutated files are checked, opened, walked
// forwards and backwards with every table's counters and definition read, then
// changed and written back. Structural faults surface as internal errors, which
// run under a guard here and count as the accepted outcome; a crash, a hang, an
// out-of-bounds access or runaway memory is a defect.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "storage/keyed/block_store.h"
#include "storage/keyed/data_file.h"
#include "storage/keyed/file_checker.h"
#include "storage/keyed/internal_error.h"
#include "storage/keyed/sdf_format.h"
#include "storage/keyed/sdfbt.h"
#include "storage/keyed/table_definition.h"
#include "storage/keyed/table_entries.h"

namespace {

using namespace linkar::keyed;

constexpr std::uint64_t kStoreLimit = 16u << 20;  // a mutated file may not grow past this
constexpr std::size_t kMaxSteps = 100000;         // entries walked per direction

void walk(DataFile& file) {
  Sdfbt tree(file);
  Cursor cursor;
  cursor.setKey({});
  std::size_t steps = 0;
  std::string lastKey;
  while (auto e = tree.next(cursor)) {
    lastKey.assign(e->key());
    if (++steps > kMaxSteps) break;
    const std::string_view key = e->key();
    if (!key.empty() && static_cast<std::uint8_t>(key[0]) == kNamePrefix && e->data().size() == 4) {
      const std::uint32_t table = getBe32(bytesOf(e->data()));
      readDefinition(tree, table);
      readCounter(tree, table, kTableSubject);
      readCounter(tree, table, 0);
      readMemo(tree, table, table + 1, 0, true, 0);
      readMemo(tree, table, table + 1, 0, false, 64);
    }
  }
  steps = 0;
  for (auto e = tree.last(); e && steps < kMaxSteps; e = tree.previous(e->key())) ++steps;
  tree.find(lastKey);
  tree.floor(lastKey);
}

void change(DataFile& file) {
  Sdfbt tree(file);
  const auto first = tree.first();
  const auto last = tree.last();
  if (first) tree.erase(first->key());
  if (last) tree.put(last->key(), "changed");
  for (int i = 0; i < 40; ++i) tree.put(recordKey(1, static_cast<std::uint32_t>(i)), std::string(100, 'f'));
  for (int i = 0; i < 40; i += 3) tree.erase(recordKey(1, static_cast<std::uint32_t>(i)));
  if (file.writeChanges() == 0) file.close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  checkDataFile(std::make_unique<MemoryStore>(bytes, false), {});
  runGuarded([&] {
    std::unique_ptr<DataFile> file;
    if (DataFile::open(std::make_unique<MemoryStore>(bytes, true, kStoreLimit), {}, file)) return;
    walk(*file);
    change(*file);
    walk(*file);
  });
  return 0;
}
