// Shared helpers of the commit, recovery, locking and crash tests: data files
// on disk opened through FileAccess, snapshots of their entries, a soundness
// check, workloads that split pages and move regions, and a recording store
// that lets a crash leave unflushed writes dropped, written, torn or garbled.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "storage/keyed/block_store.h"
#include "storage/keyed/file_access.h"
#include "storage/keyed/internal_error.h"
#include "storage/keyed/sdfbt.h"
#include "storage/keyed/transaction_marker.h"
#include "tests/support/temp_dir.h"

#if __has_include("storage/keyed/file_checker.h")
#include "storage/keyed/file_checker.h"
#define LINKAR_HAVE_FILE_CHECKER 1
#endif

namespace linkar::keyed::testing {

using Entries = std::map<std::string, std::string>;

inline constexpr std::uint8_t kSharedReadWrite = platform::kAccessReadWrite | platform::kShareDenyNone;
inline constexpr std::uint8_t kSharedRead = platform::kAccessRead | platform::kShareDenyNone;

// A temporary folder in memory when the system has one: crash sweeps flush
// thousands of times, and crashes are simulated above the file system anyway.
inline std::unique_ptr<test::TempDir> makeFastTempDir() {
  struct stat st {};
  const bool shm = ::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) && ::access("/dev/shm", W_OK) == 0;
  test::EnvironmentScope tmp("TMPDIR", shm ? "/dev/shm" : std::getenv("TMPDIR"));
  return std::make_unique<test::TempDir>();
}

inline std::unique_ptr<FileAccess> openAccess(const std::string& path,
                                              std::uint8_t mode = kSharedReadWrite) {
  std::unique_ptr<FileAccess> access;
  const int rc = FileAccess::open(path, mode, platform::Disposition::OpenAlways, {}, access);
  EXPECT_EQ(rc, 0) << path;
  return access;
}

// Every entry but the empty one and the transaction marker, read in a read
// access (or the access already held).
inline Entries entriesOf(FileAccess& access) {
  Entries out;
  const bool held = access.accessHeld();
  EXPECT_EQ(access.beginAccess(AccessMode::Read), 0);
  access.file().beginOperation();
  if (access.file().hasTree()) {
    Sdfbt tree(access.file());
    Cursor cursor;
    cursor.setKey({});
    while (auto e = tree.next(cursor)) {
      if (e->key() == markerKey()) continue;
      out.emplace(std::string(e->key()), std::string(e->data()));
    }
  }
  if (!held) access.endAccess();
  return out;
}

// Opens `path` for reading only (no repair) and checks it: the tree reads
// without a structural fault, in order both ways, no commit is pending, and
// the file checker (when built) finds nothing. Returns the entries.
inline Entries checkSound(const std::string& path, bool* sound) {
  *sound = false;
  Entries entries;
  platform::File raw;
  if (raw.open(path, kSharedRead) != 0) return entries;
  std::unique_ptr<DataFile> file;
  bool ordered = true;
  const int fault = runGuarded([&] {
    if (DataFile::open(std::make_unique<FileStore>(std::move(raw)), {}, file) != 0) return;
    if (!file->hasTree()) return;
    Sdfbt tree(*file);
    Cursor cursor;
    cursor.setKey({});
    std::string last;
    while (auto e = tree.next(cursor)) {
      if (!entries.empty() && !(last < std::string(e->key()))) ordered = false;
      last.assign(e->key());
      if (e->key() != markerKey()) entries.emplace(last, std::string(e->data()));
    }
    std::size_t back = 0;
    for (auto e = tree.last(); e && !e->key().empty(); e = tree.previous(e->key())) ++back;
    const std::size_t forward = entries.size() + (tree.find(markerKey()) ? 1 : 0);
    if (back != forward) ordered = false;
  });
  if (fault != 0 || !file || !ordered) return entries;
  if (file->header().redoStart != file->header().redoEnd) return entries;
#ifdef LINKAR_HAVE_FILE_CHECKER
  platform::File again;
  if (again.open(path, kSharedRead) != 0) return entries;
  const CheckReport report = checkDataFile(std::make_unique<FileStore>(std::move(again)), {});
  for (const std::string& f : report.faults) ADD_FAILURE() << path << ": " << f;
  if (!report.sound()) return entries;
#endif
  *sound = true;
  return entries;
}

// A workload step on an open file, shaped as one table of the driver would
// leave it (name entry, definition, record counter, records, memo segments),
// so that the file checker can hold it to every rule. Adding records splits
// pages; memos that grow and shrink by whole segments change page classes
// and so move regions; deleting records drops their memos. `model` follows
// every change (keys to data parts).
class TableWorkload {
 public:
  static constexpr std::size_t kRecordLength = 40;    // bytes of every test record
  static constexpr std::uint16_t kMemoSize = 3072;    // declared memo size
  static constexpr int kMaxSegments = 12;             // 12 x 256 = kMemoSize
  static constexpr std::uint8_t kMemoNumber = 0;      // the table's one memo

  TableWorkload(DataFile& file, Entries& model) : m_file(file), m_tree(file), m_model(model) {
    file.beginOperation();
    const std::string name = std::string(1, static_cast<char>(kNamePrefix)) + "SITES";
    if (const auto entry = m_tree.find(name)) {
      m_table = getBe32(bytesOf(entry->data()));
      return;
    }
    m_table = file.issueNumber();
    std::string number;
    appendBe32(number, m_table);
    put(name, number);
    std::string definition;
    appendLe16(definition, 1);              // version
    appendLe16(definition, kRecordLength);  // record length
    appendLe16(definition, 0);              // fields
    appendLe16(definition, 1);              // memos
    appendLe16(definition, 0);              // keys
    definition += std::string(2, '\0');     // external name: empty
    definition += std::string("NOTES") + '\0';
    appendLe16(definition, kMemoSize);
    appendLe16(definition, 0);              // memo flags
    std::string key = tableKey(kKindDefinition);
    appendLe16(key, 0);
    put(key, definition);
    setCount(0);
  }

  void run(std::mt19937& rng, int inserts, int resizes, int deletes) {
    for (int i = 0; i < inserts; ++i) {
      const std::uint32_t record = m_file.issueNumber();
      std::string data(kRecordLength, static_cast<char>('a' + rng() % 26));
      data[rng() % kRecordLength] = static_cast<char>(rng());
      put(recordKey(record), data);
      setCount(count() + 1);
      if (rng() % 3 == 0) setMemo(record, 1 + static_cast<int>(rng() % kMaxSegments), rng);
    }
    for (int i = 0; i < resizes; ++i) {
      const auto records = recordNumbers();
      if (records.empty()) break;
      setMemo(records[rng() % records.size()], static_cast<int>(rng() % (kMaxSegments + 1)), rng);
    }
    for (int i = 0; i < deletes; ++i) {
      const auto records = recordNumbers();
      if (records.empty()) break;
      const std::uint32_t record = records[rng() % records.size()];
      setMemo(record, 0, rng);
      erase(recordKey(record));
      setCount(count() - 1);
    }
  }

 private:
  std::string tableKey(std::uint8_t kind) const {
    std::string key;
    appendBe32(key, m_table);
    key.push_back(static_cast<char>(kind));
    return key;
  }
  std::string recordKey(std::uint32_t record) const {
    std::string key = tableKey(kKindRecord);
    appendBe32(key, record);
    return key;
  }
  std::string memoKey(std::uint32_t record, int segment) const {
    std::string key = tableKey(kKindMemo);
    appendBe32(key, record);
    key.push_back(static_cast<char>(kMemoNumber));
    key.push_back(static_cast<char>(segment >> 8));
    key.push_back(static_cast<char>(segment & 0xFF));
    return key;
  }
  std::string counterKey() const {
    std::string key = tableKey(kKindCounter);
    key.push_back(static_cast<char>(kKindRecord));
    return key;
  }
  std::uint32_t count() const { return getLe32(bytesOf(m_model.at(counterKey()))); }
  void setCount(std::uint32_t n) {
    std::string data;
    appendLe32(data, n);
    appendLe32(data, 0);
    put(counterKey(), data);
  }
  std::vector<std::uint32_t> recordNumbers() const {
    std::vector<std::uint32_t> out;
    const std::string prefix = tableKey(kKindRecord);
    for (auto it = m_model.lower_bound(prefix); it != m_model.end() && it->first.starts_with(prefix); ++it)
      out.push_back(getBe32(bytesOf(it->first) + prefix.size()));
    return out;
  }
  void setMemo(std::uint32_t record, int segments, std::mt19937& rng) {
    for (int s = 0; s < kMaxSegments; ++s) {
      const std::string key = memoKey(record, s);
      if (s >= segments) {
        if (m_model.count(key)) erase(key);
        continue;
      }
      std::string data(kMemoSegment, '\0');
      for (char& c : data) c = static_cast<char>(rng());
      put(key, data);
    }
  }
  void put(const std::string& key, const std::string& data) {
    m_tree.put(key, data);
    m_model[key] = data;
  }
  void erase(const std::string& key) {
    EXPECT_TRUE(m_tree.erase(key));
    m_model.erase(key);
  }

  DataFile& m_file;
  Sdfbt m_tree;
  Entries& m_model;
  std::uint32_t m_table = 0;
};

inline void applyWorkload(DataFile& file, std::mt19937& rng, Entries& model, int inserts,
                          int resizes, int deletes) {
  TableWorkload(file, model).run(rng, inserts, resizes, deletes);
}

// What a crash does to the writes that were not yet flushed.
enum class Damage { Dropped, Written, Torn, Garbage };
inline const char* damageName(Damage d) {
  switch (d) {
    case Damage::Dropped: return "dropped";
    case Damage::Written: return "written";
    case Damage::Torn: return "torn";
    case Damage::Garbage: return "garbage";
  }
  return "?";
}
inline constexpr Damage kAllDamage[] = {Damage::Dropped, Damage::Written, Damage::Torn,
                                        Damage::Garbage};
inline constexpr std::uint64_t kSector = 512;  // the device writes whole sectors atomically

// Writes through a data file's store since that file's last flush.
struct UnflushedWrite {
  std::string path;
  std::uint64_t offset;
  std::string bytes;
};

class WriteLog {
 public:
  static WriteLog& instance() {
    static WriteLog log;
    return log;
  }
  void record(const std::string& path, std::uint64_t offset, const void* data, std::size_t n) {
    m_writes.push_back({path, offset, std::string(static_cast<const char*>(data), n)});
  }
  void flushed(const std::string& path) {
    std::erase_if(m_writes, [&](const UnflushedWrite& w) { return w.path == path; });
  }
  void clear() { m_writes.clear(); }
  const std::vector<UnflushedWrite>& writes() const { return m_writes; }

 private:
  std::vector<UnflushedWrite> m_writes;
};

class RecordingStore final : public BlockStore {
 public:
  RecordingStore(std::unique_ptr<BlockStore> inner, std::string path)
      : m_inner(std::move(inner)), m_path(std::move(path)) {}
  int read(std::uint64_t o, void* b, std::size_t n, std::size_t* got) override {
    return m_inner->read(o, b, n, got);
  }
  int write(std::uint64_t o, const void* d, std::size_t n) override {
    const int rc = m_inner->write(o, d, n);
    if (rc == 0) WriteLog::instance().record(m_path, o, d, n);
    return rc;
  }
  int size(std::uint64_t* out) override { return m_inner->size(out); }
  int setSize(std::uint64_t s) override { return m_inner->setSize(s); }
  int flush() override {
    const int rc = m_inner->flush();
    if (rc == 0) WriteLog::instance().flushed(m_path);
    return rc;
  }
  bool writable() const override { return m_inner->writable(); }

 private:
  std::unique_ptr<BlockStore> m_inner;
  std::string m_path;
};

// Records the writes of every file FileAccess opens while it lives.
class RecordingScope {
 public:
  RecordingScope() {
    WriteLog::instance().clear();
    setStoreWrapper([](std::unique_ptr<BlockStore> inner, const std::string& path) {
      return std::make_unique<RecordingStore>(std::move(inner), path);
    });
  }
  ~RecordingScope() {
    setStoreWrapper({});
    WriteLog::instance().clear();
  }
  RecordingScope(const RecordingScope&) = delete;
  RecordingScope& operator=(const RecordingScope&) = delete;
};

// After a simulated crash has put every file back to its last flushed bytes
// (the "dropped" outcome) and the faults are reset: lets the unflushed
// writes land whole, sector by sector at random, or as garbage. The header
// sector (offset 0) is taken as written atomically: under "garbage" it is
// either old or new, never noise.
inline void applyDamage(Damage damage, std::uint32_t seed) {
  if (damage == Damage::Dropped) return;
  std::mt19937 rng(seed);
  for (const UnflushedWrite& w : WriteLog::instance().writes()) {
    const int fd = ::open(w.path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0) << w.path;
    const std::uint64_t end = w.offset + w.bytes.size();
    for (std::uint64_t at = w.offset; at < end;) {
      const std::uint64_t sectorEnd = std::min(end, (at / kSector + 1) * kSector);
      std::string piece = w.bytes.substr(at - w.offset, sectorEnd - at);
      bool land = true;
      if (damage == Damage::Torn) land = rng() % 2;
      if (damage == Damage::Garbage) {
        if (at < kSector) {
          land = rng() % 2;
        } else {
          for (char& c : piece) c = static_cast<char>(rng());
        }
      }
      if (land) {
        ASSERT_EQ(::pwrite(fd, piece.data(), piece.size(), static_cast<off_t>(at)),
                  static_cast<ssize_t>(piece.size()));
      }
      at = sectorEnd;
    }
    ::close(fd);
  }
}

}  // namespace linkar::keyed::testing
