// The data file checker: looks at the header as it stands on disk for an
// unfinished commit, walks the tree page by page under a fault guard, then
// checks what the entries say about each other and, over a sound tree, what
// each table's entries say against its definition (table_checker.h).
#include "storage/keyed/file_checker.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "storage/keyed/data_file.h"
#include "storage/keyed/internal_error.h"
#include "storage/keyed/key_descriptor.h"
#include "storage/keyed/page_cipher.h"
#include "storage/keyed/recovery.h"
#include "storage/keyed/sdf_format.h"
#include "storage/keyed/table_checker.h"
#include "storage/keyed/table_definition.h"

namespace linkar::keyed {
namespace {

constexpr std::size_t kMaxFaults = 200;  // a badly damaged file need not list every fault

struct PageCopy {
  std::uint8_t level = 0;
  std::vector<std::pair<std::string, std::size_t>> entries;  // bytes, key length
  std::vector<std::int32_t> children;
};

class Checker {
 public:
  Checker(DataFile& file, CheckReport& report) : m_file(file), m_report(report) {}

  void run();

 private:
  void fault(std::string text) {
    if (m_report.faults.size() < kMaxFaults) m_report.faults.push_back(std::move(text));
  }
  void structural(std::string text) {
    ++m_report.structuralFaults;
    fault(std::move(text));
  }
  std::optional<PageCopy> load(std::int32_t ref);
  void walk(std::int32_t ref, int level, const std::string* separator);
  void entry(const std::string& bytes, std::size_t keyLength);
  void finish();

  DataFile& m_file;
  CheckReport& m_report;
  std::set<std::int32_t> m_visited;
  std::optional<std::string> m_previous;

  // What the entries say, gathered in key order.
  std::map<std::uint32_t, std::string> m_names;                   // table -> name
  std::map<std::uint32_t, std::uint32_t> m_recordCounts;          // table -> records
  std::map<std::pair<std::uint32_t, int>, std::uint32_t> m_keyCounts;  // (table, k) -> entries
  std::map<std::pair<std::uint32_t, int>, std::pair<std::uint32_t, std::uint32_t>> m_counters;
  std::set<std::pair<std::uint32_t, std::uint32_t>> m_records;    // (table, record)
  std::vector<std::pair<std::uint32_t, std::uint32_t>> m_keyTargets;
  std::map<std::uint32_t, std::size_t> m_recordLengths;           // table -> a data length seen
  std::set<std::uint32_t> m_tablesSeen;
  std::optional<std::tuple<std::uint32_t, std::uint32_t, int>> m_memo;
  std::uint16_t m_nextSegment = 0;
};

std::optional<PageCopy> Checker::load(std::int32_t ref) {
  PageCopy copy;
  const int line = runGuarded([&] {
    m_file.beginOperation();
    const Page* page = m_file.fetch(ref);
    copy.level = page->level();
    for (const PageNode* n = page->first(); n; n = Page::next(const_cast<PageNode*>(n))) {
      copy.entries.emplace_back(std::string(n->bytes()), n->keyLength);
      copy.children.push_back(n->child);
    }
  });
  if (line) {
    structural("page " + std::to_string(ref) + " does not load: " + internalErrorText(line));
    return std::nullopt;
  }
  return copy;
}

void Checker::walk(std::int32_t ref, int level, const std::string* separator) {
  if (!m_visited.insert(ref).second) {
    structural("page " + std::to_string(ref) + " is referenced more than once");
    return;
  }
  const auto page = load(ref);
  if (!page) return;
  ++m_report.pages;
  if (level >= 0 && page->level != level) {
    structural("page " + std::to_string(ref) + " has level " + std::to_string(page->level) +
          ", expected " + std::to_string(level));
    return;
  }
  if (page->entries.empty() && separator) {
    structural("page " + std::to_string(ref) + " is empty");
    return;
  }
  if (separator && !page->entries.empty()) {
    const auto& first = page->entries.front();
    if (std::string_view(first.first).substr(0, first.second) != *separator)
      structural("page " + std::to_string(ref) + " does not begin with its separator");
  }
  for (std::size_t i = 0; i < page->entries.size(); ++i) {
    const auto& [bytes, keyLength] = page->entries[i];
    if (page->level == 0) {
      entry(bytes, keyLength);
    } else {
      const std::string sep = bytes.substr(0, keyLength);
      if (keyLength != bytes.size())
        structural("separator in page " + std::to_string(ref) + " carries a data part");
      walk(page->children[i], page->level - 1, &sep);
    }
  }
}

void Checker::entry(const std::string& bytes, std::size_t keyLength) {
  ++m_report.entries;
  const std::string_view key = std::string_view(bytes).substr(0, keyLength);
  const std::string_view data = std::string_view(bytes).substr(keyLength);
  if (!m_previous) {
    if (!bytes.empty()) structural("the tree does not begin with the empty entry");
  } else if (compareKeys(*m_previous, key) >= 0) {
    structural("entries out of order after key " + std::to_string(m_previous->size()) + " bytes long");
  }
  m_previous = std::string(key);
  if (key.empty()) return;
  const auto* k = bytesOf(key);
  if (k[0] == kMarkerKey) {
    if (key.size() != 1 || data.size() < kStoredNumberBytes + 1 || data.back() != '\0')
      fault("malformed transaction marker");
    return;
  }
  if (k[0] == kNamePrefix) {
    if (data.size() != kStoredNumberBytes) {
      fault("malformed name entry");
      return;
    }
    m_names[getBe32(bytesOf(data))] = std::string(key.substr(1));
    ++m_report.tables;
    return;
  }
  if (key.size() < kKeyHeaderLength) {
    fault("entry too short to belong to a table");
    return;
  }
  const std::uint32_t table = getBe32(k);
  const std::uint8_t kind = k[4];
  m_tablesSeen.insert(table);
  switch (kind) {
    case kKindRecord:
      if (key.size() != kRecordKeyLength) {
        fault("malformed data record key in table " + std::to_string(table));
        return;
      }
      m_records.insert({table, getBe32(k + 5)});
      ++m_recordCounts[table];
      ++m_report.records;
      if (auto [it, fresh] = m_recordLengths.emplace(table, data.size()); !fresh && it->second != data.size())
        fault("data records of table " + std::to_string(table) + " differ in length");
      return;
    case kKindCounter:
      if (key.size() != kCounterKeyLength || data.size() != kCounterDataLength) {
        fault("malformed counter entry in table " + std::to_string(table));
        return;
      }
      m_counters[{table, k[5]}] = {getLe32(bytesOf(data)), getLe32(bytesOf(data) + 4)};
      return;
    case kKindDefinition:
      if (key.size() != kDefinitionKeyLength || data.size() > kDefinitionBlock)
        fault("malformed definition block in table " + std::to_string(table));
      return;
    case kKindMemo: {
      if (key.size() != kMemoKeyLength || data.size() > kMemoSegment + kStoredNumberBytes) {
        fault("malformed memo segment in table " + std::to_string(table));
        return;
      }
      const std::uint32_t record = getBe32(k + 5);
      const int memo = k[9];
      const auto segment = static_cast<std::uint16_t>((k[10] << 8) | k[11]);
      const auto owner = std::make_tuple(table, record, memo);
      if (m_memo != owner) {
        m_memo = owner;
        m_nextSegment = 0;
        if (!m_records.count({table, record}))
          fault("memo segments of missing record " + std::to_string(record) + " in table " +
                std::to_string(table));
      }
      if (segment != m_nextSegment)
        fault("memo " + std::to_string(memo) + " of record " + std::to_string(record) +
              " in table " + std::to_string(table) + " skips segment " + std::to_string(m_nextSegment));
      m_nextSegment = static_cast<std::uint16_t>(segment + 1);
      return;
    }
    default:
      if (bytes.size() < kKeyHeaderLength + kStoredNumberBytes) {
        fault("malformed key entry in table " + std::to_string(table));
        return;
      }
      ++m_keyCounts[{table, kind}];
      m_keyTargets.emplace_back(table, getBe32(bytesOf(bytes) + bytes.size() - kStoredNumberBytes));
      return;
  }
}

void Checker::finish() {
  for (const auto& [table, record] : m_keyTargets) {
    if (!m_records.count({table, record})) {
      fault("a key entry of table " + std::to_string(table) + " leads to missing record " +
            std::to_string(record));
    }
  }
  for (const std::uint32_t table : m_tablesSeen)
    if (!m_names.count(table)) fault("entries of table " + std::to_string(table) + " without a name entry");
  for (const auto& [where, value] : m_counters) {
    const auto [table, subject] = where;
    const auto [count, mark] = value;
    if (subject == kKindRecord) {
      if (count != m_recordCounts[table])
        fault("table " + std::to_string(table) + " counts " + std::to_string(count) + " records but holds " +
              std::to_string(m_recordCounts[table]));
    } else if (mark == 0 && count != m_keyCounts[{table, subject}]) {
      fault("key " + std::to_string(subject) + " of table " + std::to_string(table) + " counts " +
            std::to_string(count) + " entries but holds " + std::to_string(m_keyCounts[{table, subject}]));
    }
  }
  for (const auto& named : m_names) {
    const std::uint32_t table = named.first;
    const std::string& name = named.second;
    std::optional<TableDefinition> def;
    const int line = runGuarded([&] {
      Sdfbt tree(m_file);
      def = readDefinition(tree, table);
    });
    if (line || !def) {
      fault("table \"" + name + "\" has no readable definition");
      continue;
    }
    const auto length = m_recordLengths.find(table);
    if (length != m_recordLengths.end() && length->second != def->recordLength)
      fault("records of table \"" + name + "\" do not match its record length");
    if (const std::string why = def->inconsistency(); !why.empty()) {
      fault("the definition of table \"" + name + "\" does not hold together: " + why);
      continue;
    }
    // What the entries mean is asked only of a tree that reads soundly.
    if (!m_report.structureSound()) continue;
    const int contentLine = runGuarded([&] {
      Sdfbt tree(m_file);
      checkTableContent(tree, table, name, *def, [this](std::string text) { fault(std::move(text)); });
    });
    if (contentLine) structural("table \"" + name + "\" does not read to its end: " + internalErrorText(contentLine));
  }
}

void Checker::run() {
  const FileHeader& h = m_file.header();
  if (h.redoStart != h.redoEnd) structural("an unfinished commit is left in the redo area");
  std::uint64_t size = 0;
  if (m_file.store().size(&size) == 0 && size > 0 && size < h.dataEnd())
    structural("the file is shorter than its regions");
  if (!m_file.hasTree()) {
    for (int k = 1; k < kClassSlots; ++k)
      if (h.regionEnd[k] != h.regionStart[k]) structural("pages in a file without a tree");
    return;
  }
  if (!m_report.commitPending && h.redoStart == h.redoEnd && h.redoStart != h.dataEnd())
    structural("the redo bounds do not lie at the data end");
  walk(h.root, -1, nullptr);
  std::size_t inRegions = 0;
  for (int k = 1; k < kClassSlots; ++k) inRegions += (h.regionEnd[k] - h.regionStart[k]) / k;
  if (inRegions != m_visited.size())
    structural(std::to_string(inRegions) + " pages in the regions, " + std::to_string(m_visited.size()) +
          " reached from the root");
  finish();
}

// The header at offset 0 as it stands, before an unfinished commit is settled.
std::optional<FileHeader> headerOnDisk(BlockStore& store, std::string_view owner) {
  std::string bytes(kHeaderSize, '\0');
  std::size_t got = 0;
  if (store.read(0, bytes.data(), kHeaderSize, &got) != 0 || got != kHeaderSize) return std::nullopt;
  if (!owner.empty()) PageCipher(owner).decipher(reinterpret_cast<std::uint8_t*>(bytes.data()), kHeaderSize);
  FileHeader h;
  if (!FileHeader::read(bytesOf(bytes), h)) return std::nullopt;
  return h;
}

// What the next open will do with the commit left between `onDisk` and
// `settled`, the header a read-only open settled on.
std::string pendingCommitFault(const FileHeader& onDisk, const FileHeader& settled) {
  const std::string what = "an unfinished commit is left in the redo area (" + std::to_string(onDisk.redoStart) +
                           " to " + std::to_string(onDisk.redoEnd) + "): ";
  if (settled.changes == onDisk.changes)
    return what + "its transaction never reached its commit point, so the next open rolls it back";
  return what + "the next open completes it; the rest is checked as it will then read";
}

// Opens the data file read-only, settling an unfinished commit in memory.
int openForCheck(std::unique_ptr<BlockStore> store, std::string_view owner, std::string_view path,
                 std::unique_ptr<DataFile>& file, int* rc) {
  // Recovery finds a control file named beside the data file through this.
  if (!path.empty()) setRecoveringPath(std::string(path));
  const int line = runGuarded([&] { *rc = DataFile::open(std::move(store), owner, file); });
  if (!path.empty()) setRecoveringPath(std::string());
  return line;
}

}  // namespace

CheckReport checkDataFile(std::unique_ptr<BlockStore> store, std::string_view owner, std::string_view path) {
  CheckReport report;
  std::uint64_t size = 0;
  report.newFile = store->size(&size) == 0 && size == 0;
  const std::optional<FileHeader> onDisk = headerOnDisk(*store, owner);
  report.commitPending = onDisk && onDisk->redoStart != onDisk->redoEnd;
  std::unique_ptr<DataFile> file;
  int rc = 0;
  const int line = openForCheck(std::move(store), owner, path, file, &rc);
  if (line) {
    report.faults.push_back("the header is damaged: " + internalErrorText(line));
    report.structuralFaults = 1;
    return report;
  }
  if (rc == runtime::err::kInvalidDataFile) {
    report.faults.push_back("not a data file (too short, or no magic in the header)");
    report.structuralFaults = 1;
    return report;
  }
  if (rc == kControlFileUnreadable && report.commitPending) {
    report.faults.push_back(
        "an unfinished commit over several data files is left in the redo area, and the transaction control "
        "file it names cannot be opened: whether it reached its commit point cannot be told, so the file "
        "does not open until that control file can be");
    return report;
  }
  if (rc) {
    report.faults.push_back("the file cannot be read (system error " + std::to_string(rc) + ")");
    report.structuralFaults = 1;
    return report;
  }
  if (report.commitPending) report.faults.push_back(pendingCommitFault(*onDisk, file->header()));
  Checker(*file, report).run();
  return report;
}

}  // namespace linkar::keyed
