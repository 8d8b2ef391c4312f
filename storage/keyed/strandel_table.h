// The keyed driver's table handle: the driver instance of one file
// declaration, with its parsed keys and memos, the table number, the shared
// data-file object, the current record, the sequence state and the hold and
// watch marks; plus the reading and writing steps its statements share.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/keyed/key_descriptor.h"
#include "storage/keyed/strandel_file.h"
#include "storage/keyed/table_definition.h"
#include "storage/keyed/table_entries.h"
#include "storage/layer/declarations.h"
#include "storage/layer/driver_instance.h"

namespace linkar::keyed {

// Error codes of the record operations.

// The sequence states: what the first NEXT or PREVIOUS after them does.
enum class Sequence {
  File = 0,         // on a data record, file order
  Key = 1,          // on an entry of a key
  FileStart = 2,    // SET(file)
  FilePointer = 3,  // SET(file, pointer)
  KeyBuffer = 4,    // SET(key, key): the buffer's values
  KeyStart = 5,     // SET(key)
  KeyValues = 6,    // key order from given values (RESET)
  KeyBufferAgain = 7,  // key order from the buffer's values
  KeyRecord = 8,    // key order from a record number
};

struct TableKey {
  storage::KeyDecl* decl = nullptr;
  KeyDescriptor desc;
  // Keys of flag 0x40 live in a tree of their own, never in the data file.
  std::unique_ptr<DataFile> privateData;
  std::unique_ptr<Sdfbt> privateTree;
};

struct TableMemo {
  storage::MemoDecl* decl = nullptr;
  char* buffer = nullptr;  // the memo's variable in the table's thread
  std::uint8_t number = 0;   // from 0 in declaration order
  std::uint16_t flags = 0;   // kMemoFlag... bits
  std::uint32_t size = 0;    // declared size
  std::uint32_t block = 0;   // blob memos: handle of the memory block holding the content
  bool blob() const { return flags & kMemoFlagBlob; }
};

class StrandelTable final : public storage::DriverInstance {
 public:
  ~StrandelTable() override;

  // Parses the declaration's keys and memos. Returns 0 or 47.
  int prepare(const storage::FileDecl& file);

  SplitName m_split;
  std::shared_ptr<StrandelFile> m_file;
  std::uint32_t m_table = 0;
  std::vector<TableKey> m_keys;
  std::vector<KeyDescriptor> m_keyDescs;  // the keys' descriptors, for key maintenance
  std::vector<TableMemo> m_memos;

  std::uint32_t m_current = 0;    // current record number, 0 = none
  Sequence m_sequence = Sequence::FileStart;
  int m_sequenceKey = -1;         // key index of a key order, -1 for file order
  std::string m_cursor;           // key part the sequence steps from
  std::uint32_t m_sequencePointer = 0;
  // A stepping hint for m_cursor: keeps the page of the last step, so the
  // next step in the same page needs no search from the root.
  Cursor m_step;
  const Sdfbt* m_stepTree = nullptr;
  std::uint64_t m_stepGeneration = 0;
  int m_order = 0;                // current order: key number from 1, 0 = file order

  std::string m_saved;            // the record as last read
  int m_holdSeconds = -1;         // -1: wait without limit
  bool m_holdRequested = false;
  bool m_held = false;
  std::uint32_t m_heldRecord = 0;
  bool m_watchRequested = false;
  bool m_watched = false;
  bool m_skipMemos = false;
  std::vector<std::string> m_savedMemos;  // memo contents as last read
  std::vector<std::string> m_diskMemos;   // memos as the file held them at the last read (WATCH)

  Sdfbt& tree() { return m_file->tree(); }
  Sdfbt& keyTree(const TableKey& key) { return key.privateTree ? *key.privateTree : m_file->tree(); }
  std::string_view record() const {
    return std::string_view(reinterpret_cast<const char*>(m_record), m_recordLength);
  }
  // The key of a key operand, or null when it is not one of this file's.
  TableKey* keyOf(const storage::KeyDecl* decl);
  int keyIndex(const TableKey& key) const { return static_cast<int>(&key - m_keys.data()); }

  // The definition stream this declaration describes.
  TableDefinition definition() const;

  // Reads record `number` into the buffer with its memos (hold, watch and
  // the current record follow the read rules). 0, 35 or 43.
  int readRecord(std::uint32_t number);
  // Gives up any hold this table has.
  void releaseHold();
  // Locks a record without waiting: 0, or 32 when another process holds it.
  int tryHold(std::uint32_t number);

  // The memo contents of the buffer and memo variables, by memo index.
  std::string memoContent(const TableMemo& memo) const;
  void setMemoContent(TableMemo& memo, std::string_view content);
  void loadMemos(std::uint32_t number);
  // Stores the memos of a record just added (it has no segments yet).
  void storeMemos(std::uint32_t number);
  void eraseMemos(std::uint32_t number);
  void clearMemos();
};

// The stored record number at the end of an entry.
std::uint32_t entryRecordNumber(const Entry& entry);

}  // namespace linkar::keyed
