// The keyed driver against SQLite on the LINKAR record shape (215-byte
// record, memo up to 500 bytes, five secondary keys, one unique and
// case-insensitive): bulk and single-commit adds, random gets by the unique
// key, full scans in two orders, one browse page at three sizes, and file
// sizes. Prints SQLite time / our time per row (above 1: we are faster) for
// SQLite with a rollback journal and with WAL, both synchronous=FULL.
// Row 5 is timed straight after the load and again on the reopened files
// after they have been read once (warm in the system's cache); row 2 is
// printed beside the floor of this disk: four flushes of a 4 KB write per
// commit, which every commit of ours needs.
// Run by hand: strandel_vs_sqlite [--warm] [folder] [scale] [rows], scale
// 1.0 = full size, rows a selection such as "125" (default: every row).
// --warm reads each file once before every timed row; --largest N leaves
// out the browse sizes above N records.
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/fault_injection.h"
#include "runtime/error_state.h"
#include "storage/layer/file_statements.h"
#include "tests/storage/keyed/strandel_test_records.h"

namespace {

using namespace linkar;
using Clock = std::chrono::steady_clock;

constexpr int kBulk = 100000;         // row 1, 3, 4, 6
constexpr int kSingles = 2000;        // row 2
constexpr int kPageRows = 20;         // row 5: one browse page
constexpr int kPages = 200;           // row 5: pages timed per size
constexpr int kLoadBatch = 50000;     // records per commit while loading large files
const int kBrowseSizes[] = {1000, 100000, 1000000};
constexpr int kFloorFlushes = 4;       // flushes of every commit
constexpr size_t kFloorWrite = 4096;   // bytes written before each of them
constexpr size_t kWarmChunk = 1 << 20; // bytes per read while warming a file

bool g_warm = false;     // --warm
long g_largest = -1;     // --largest N: browse sizes up to N records (-1: all)

struct Site {
  std::string location, description, category, keyword, info;
  int rating = 0;
};

std::vector<Site> makeSites(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<Site> out;
  out.reserve(static_cast<size_t>(n));
  const char* words[] = {"news", "tech", "sport", "Music", "art", "travel", "Food", "code", "science", "games"};
  for (int i = 0; i < n; ++i) {
    Site s;
    s.location = "http://www." + std::string(words[rng() % 10]) + std::to_string(rng() % 100000) + ".example.com/" +
                 std::to_string(i);
    s.description = std::string(words[rng() % 10]) + " site " + std::to_string(rng() % 50000);
    s.category = std::string("Cat") + std::to_string(rng() % 20);
    s.keyword = words[rng() % 10];
    s.rating = static_cast<int>(rng() % 11);
    s.info.assign(rng() % 501, static_cast<char>('a' + rng() % 26));
    out.push_back(std::move(s));
  }
  return out;
}

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

long fileSize(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

// Reads the whole file once, so that its pages are in the system's cache.
void warmFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return;
  std::vector<char> buffer(kWarmChunk);
  while (::read(fd, buffer.data(), buffer.size()) > 0) {
  }
  ::close(fd);
}

// The time `commits` commits take that do nothing but the four flushes of
// a 4 KB write each: the least any commit of ours can cost on this disk.
double flushFloor(const std::string& dir, int commits) {
  const std::string path = dir + "/bench_floor.bin";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return 0;
  const std::vector<char> block(kFloorWrite, 'x');
  const auto t = Clock::now();
  for (int i = 0; i < commits; ++i)
    for (int f = 0; f < kFloorFlushes; ++f) {
      if (::pwrite(fd, block.data(), block.size(), static_cast<off_t>(f * kFloorWrite)) < 0 || ::fdatasync(fd) != 0) {
        ::close(fd);
        return 0;
      }
    }
  const double s = std::chrono::duration<double>(Clock::now() - t).count();
  ::close(fd);
  unlink(path.c_str());
  return s;
}

void must(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "failed: %s (error %d)\n", what, runtime::errorCode());
    std::exit(1);
  }
}

// ---- ours -------------------------------------------------------------------

class Ours {
 public:
  explicit Ours(const std::string& dir) : m_path(dir + "/BENCH.SDF"), m_files(dir + "/BENCH", dir + "/BENCHCAT") {
    unlink(m_path.c_str());
    storage::fileCreate(m_files.LINKAR);
    storage::fileOpen(m_files.LINKAR, test::kOpenShared);
    must(runtime::errorCode() == 0, "open");
  }
  ~Ours() {
    storage::fileClose(m_files.LINKAR);
    unlink(m_path.c_str());
  }
  void add(const Site& s) {
    m_files.setSite(s.location, s.description, s.category, s.rating, s.keyword, s.info);
    storage::fileAdd(m_files.LINKAR);
  }
  void begin() { storage::fileLogout(m_files.LINKAR); }
  void commit() {
    storage::fileCommit(m_files.LINKAR);
    must(runtime::errorCode() == 0, "commit");
  }
  bool getByLocation(const std::string& location) {
    m_files.setLocation(location);
    storage::fileGet(m_files.LINKAR, m_files.K_LOCATION);
    return runtime::errorCode() == 0;
  }
  int scan(storage::KeyDecl& key) {
    storage::fileSetKey(m_files.LINKAR, key);
    int n = 0;
    for (storage::fileNext(m_files.LINKAR); runtime::errorCode() == 0; storage::fileNext(m_files.LINKAR)) ++n;
    return n;
  }
  int page(const std::string& from) {
    m_files.clearSite();
    m_files.setLocation(from);
    storage::fileSetKeyValues(m_files.LINKAR, m_files.K_LOCATION, m_files.K_LOCATION);
    int n = 0;
    for (int i = 0; i < kPageRows; ++i) {
      storage::fileNext(m_files.LINKAR);
      if (runtime::errorCode() != 0) break;
      ++n;
    }
    return n;
  }
  void deleteByLocation(const std::string& location) {
    if (getByLocation(location)) storage::fileDelete(m_files.LINKAR);
  }
  void flush() {
    storage::fileClose(m_files.LINKAR);
    storage::fileOpen(m_files.LINKAR, test::kOpenShared);
    must(runtime::errorCode() == 0, "reopen");
  }
  void warm() const { warmFile(m_path); }
  long size() const { return fileSize(m_path); }
  test::LinkarFiles& files() { return m_files; }

 private:
  std::string m_path;
  test::LinkarFiles m_files;
};

// ---- SQLite -------------------------------------------------------------------

class Lite {
 public:
  Lite(const std::string& dir, bool wal) : m_path(dir + (wal ? "/bench_wal.db" : "/bench.db")) {
    unlink(m_path.c_str());
    unlink((m_path + "-wal").c_str());
    unlink((m_path + "-shm").c_str());
    connect(wal);
    exec("CREATE TABLE linkar(id INTEGER PRIMARY KEY, location TEXT, description TEXT, category TEXT,"
         " rating INTEGER, keyword TEXT, info TEXT)");
    exec("CREATE UNIQUE INDEX k_location ON linkar(location COLLATE NOCASE)");
    exec("CREATE INDEX k_description ON linkar(description COLLATE NOCASE)");
    exec("CREATE INDEX k_category ON linkar(category COLLATE NOCASE, location COLLATE NOCASE)");
    exec("CREATE INDEX k_rating ON linkar(rating, location COLLATE NOCASE)");
    exec("CREATE INDEX k_keyword ON linkar(keyword COLLATE NOCASE, location COLLATE NOCASE)");
    prepareAll();
    m_wal = wal;
  }
  ~Lite() {
    disconnect();
    unlink(m_path.c_str());
    unlink((m_path + "-wal").c_str());
    unlink((m_path + "-shm").c_str());
  }
  // Closes and opens the database again, as a program started afresh would.
  void flush() {
    disconnect();
    connect(m_wal);
    prepareAll();
  }
  void warm() const {
    warmFile(m_path);
    if (m_wal) warmFile(m_path + "-wal");
  }
  void connect(bool wal) {
    must(sqlite3_open(m_path.c_str(), &m_db) == SQLITE_OK, "sqlite open");
    exec(wal ? "PRAGMA journal_mode=WAL" : "PRAGMA journal_mode=DELETE");
    exec("PRAGMA synchronous=FULL");
  }
  void disconnect() {
    for (sqlite3_stmt* s : {m_insert, m_get, m_delete, m_page, m_scanLocation, m_scanCategory}) sqlite3_finalize(s);
    sqlite3_close(m_db);
    m_db = nullptr;
  }
  void prepareAll() {
    prepare(&m_insert, "INSERT INTO linkar(location, description, category, rating, keyword, info) VALUES(?,?,?,?,?,?)");
    prepare(&m_get, "SELECT * FROM linkar WHERE location = ? COLLATE NOCASE");
    prepare(&m_delete, "DELETE FROM linkar WHERE location = ? COLLATE NOCASE");
    prepare(&m_page, "SELECT * FROM linkar WHERE location >= ? COLLATE NOCASE ORDER BY location COLLATE NOCASE LIMIT 20");
    prepare(&m_scanLocation, "SELECT * FROM linkar ORDER BY location COLLATE NOCASE");
    prepare(&m_scanCategory, "SELECT * FROM linkar ORDER BY category COLLATE NOCASE, location COLLATE NOCASE");
  }
  void exec(const char* sql) { must(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK, sql); }
  void add(const Site& s) {
    sqlite3_bind_text(m_insert, 1, s.location.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(m_insert, 2, s.description.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(m_insert, 3, s.category.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(m_insert, 4, s.rating);
    sqlite3_bind_text(m_insert, 5, s.keyword.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(m_insert, 6, s.info.c_str(), -1, SQLITE_STATIC);
    sqlite3_step(m_insert);
    sqlite3_reset(m_insert);
  }
  void begin() { exec("BEGIN"); }
  void commit() { exec("COMMIT"); }
  bool getByLocation(const std::string& location) { return rows(m_get, location, 1) == 1; }
  int scan(bool category) { return rows(category ? m_scanCategory : m_scanLocation, {}, -1); }
  int page(const std::string& from) { return rows(m_page, from, kPageRows); }
  void deleteByLocation(const std::string& location) { rows(m_delete, location, 1); }
  long size() const { return fileSize(m_path) + std::max(0L, fileSize(m_path + "-wal")); }
  void checkpoint() { sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr); }

 private:
  void prepare(sqlite3_stmt** s, const char* sql) { must(sqlite3_prepare_v2(m_db, sql, -1, s, nullptr) == SQLITE_OK, sql); }
  int rows(sqlite3_stmt* s, const std::string& bound, int limit) {
    if (!bound.empty() || sqlite3_bind_parameter_count(s) > 0) sqlite3_bind_text(s, 1, bound.c_str(), -1, SQLITE_TRANSIENT);
    int n = 0;
    while ((limit < 0 || n < limit) && sqlite3_step(s) == SQLITE_ROW) {
      // Touch the columns, as a reader filling its record would.
      for (int c = 0; c < 7; ++c) (void)sqlite3_column_blob(s, c);
      ++n;
    }
    sqlite3_reset(s);
    return n;
  }

  std::string m_path;
  bool m_wal = false;
  sqlite3* m_db = nullptr;
  sqlite3_stmt *m_insert = nullptr, *m_get = nullptr, *m_delete = nullptr, *m_page = nullptr,
               *m_scanLocation = nullptr, *m_scanCategory = nullptr;
};

void row(const char* name, double ours, double journal, double wal) {
  std::printf("%-44s %10.3f s %10.3f s %10.3f s   %6.2f   %6.2f\n", name, ours, journal, wal, journal / ours, wal / ours);
  std::fflush(stdout);
}

template <typename Db>
double bulk(Db& db, const std::vector<Site>& sites) {
  const auto t = Clock::now();
  db.begin();
  for (const Site& s : sites) db.add(s);
  db.commit();
  return seconds(t);
}

// Each add commits on its own (no transaction around them).
template <typename Db>
double singleAdds(Db& db, const std::vector<Site>& sites) {
  const auto t = Clock::now();
  for (const Site& s : sites) db.add(s);
  return seconds(t);
}

template <typename Db>
double gets(Db& db, const std::vector<Site>& sites, int n) {
  std::mt19937 rng(3);
  int found = 0;
  const auto t = Clock::now();
  for (int i = 0; i < n; ++i) found += db.getByLocation(sites[rng() % sites.size()].location);
  const double s = seconds(t);
  must(found == n, "every get finds its record");
  return s;
}

template <typename Db>
double pages(Db& db, const std::vector<Site>& sites) {
  std::mt19937 rng(5);
  int read = 0;
  const auto t = Clock::now();
  for (int i = 0; i < kPages; ++i) read += db.page(sites[rng() % sites.size()].location);
  const double s = seconds(t);
  must(read > 0, "pages read records");
  return s / kPages;
}

template <typename Db>
void load(Db& db, const std::vector<Site>& sites, size_t from, size_t to) {
  for (size_t i = from; i < to; i += kLoadBatch) {
    db.begin();
    for (size_t j = i; j < std::min(to, i + kLoadBatch); ++j) db.add(sites[j]);
    db.commit();
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--warm") g_warm = true;
    else if (std::string(argv[i]) == "--largest" && i + 1 < argc) g_largest = std::atol(argv[++i]);
    else args.emplace_back(argv[i]);
  }
  const std::string dir = !args.empty() ? args[0] : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
  const double scale = args.size() > 1 ? std::atof(args[1].c_str()) : 1.0;
  const int bulkCount = std::max(1000, static_cast<int>(kBulk * scale));
  const int singles = std::max(100, static_cast<int>(kSingles * scale));
  const std::string rows = args.size() > 2 ? args[2] : "123456";
  auto warmAll = [](auto&... dbs) {
    if (g_warm) (dbs.warm(), ...);
  };
  auto wanted = [&](char r) { return rows.find(r) != std::string::npos; };
  std::printf("%-44s %12s %12s %12s   %6s   %6s\n", "row", "ours", "sqlite", "sqlite wal", "ratio", "wal");

  const std::vector<Site> sites = makeSites(bulkCount, 1);
  double t[3] = {};
  long sizes[3][2] = {};
  double scans[3][2] = {};
  double getTimes[3] = {};
  if (wanted('1') || wanted('3') || wanted('4') || wanted('6')) {
    Ours ours(dir);
    Lite journal(dir, false);
    Lite wal(dir, true);
    t[0] = bulk(ours, sites);
    t[1] = bulk(journal, sites);
    t[2] = bulk(wal, sites);
    row("1. bulk ADD in one transaction", t[0], t[1], t[2]);
    warmAll(ours, journal, wal);
    getTimes[0] = gets(ours, sites, bulkCount);
    getTimes[1] = gets(journal, sites, bulkCount);
    getTimes[2] = gets(wal, sites, bulkCount);
    row("3. GET by the unique key, random order", getTimes[0], getTimes[1], getTimes[2]);
    warmAll(ours, journal, wal);
    for (int k = 0; k < 2; ++k) {
      auto s0 = Clock::now();
      must(ours.scan(k == 0 ? ours.files().K_LOCATION : ours.files().K_CATEGORY) == bulkCount, "scan");
      scans[0][k] = seconds(s0);
      s0 = Clock::now();
      must(journal.scan(k == 1) == bulkCount, "scan");
      scans[1][k] = seconds(s0);
      s0 = Clock::now();
      must(wal.scan(k == 1) == bulkCount, "scan");
      scans[2][k] = seconds(s0);
    }
    row("4. full scan, location order", scans[0][0], scans[1][0], scans[2][0]);
    row("4. full scan, category order", scans[0][1], scans[1][1], scans[2][1]);
    wal.checkpoint();
    sizes[0][0] = ours.size();
    sizes[1][0] = journal.size();
    sizes[2][0] = wal.size();
    // Delete every second record, then add them again.
    auto churn = [&](auto& db) {
      db.begin();
      for (size_t i = 0; i < sites.size(); i += 2) db.deleteByLocation(sites[i].location);
      db.commit();
      db.begin();
      for (size_t i = 0; i < sites.size(); i += 2) db.add(sites[i]);
      db.commit();
    };
    churn(ours);
    churn(journal);
    churn(wal);
    wal.checkpoint();
    ours.flush();
    sizes[0][1] = ours.size();
    sizes[1][1] = journal.size();
    sizes[2][1] = wal.size();
  }
  if (sizes[0][0] > 0) {
  std::printf("%-44s %10ld B %10ld B %10ld B   %6.2f   %6.2f\n", "6. file size after row 1", sizes[0][0], sizes[1][0],
              sizes[2][0], static_cast<double>(sizes[1][0]) / sizes[0][0], static_cast<double>(sizes[2][0]) / sizes[0][0]);
  std::printf("%-44s %10ld B %10ld B %10ld B   %6.2f   %6.2f\n", "6. after deleting half and adding them again",
              sizes[0][1], sizes[1][1], sizes[2][1], static_cast<double>(sizes[1][1]) / sizes[0][1],
              static_cast<double>(sizes[2][1]) / sizes[0][1]);
  }
  if (wanted('2')) {
    const std::vector<Site> few = makeSites(singles, 2);
    Ours ours(dir);
    Lite journal(dir, false);
    Lite wal(dir, true);
    platform::faults::armFault(platform::faults::Fault::None, 0);
    t[0] = singleAdds(ours, few);
    const long flushes = platform::faults::flushesSinceArmed();
    platform::faults::resetFaults();
    t[1] = singleAdds(journal, few);
    t[2] = singleAdds(wal, few);
    row("2. ADD committed one by one", t[0], t[1], t[2]);
    const double floor = flushFloor(dir, singles);
    std::printf("%-44s %10.3f s   ours / floor %.2f, our flushes per commit: %.2f\n",
                "2. floor: 4 flushes of a 4 KB write each", floor, floor > 0 ? t[0] / floor : 0.0,
                static_cast<double>(flushes) / singles);
  }
  for (int size : kBrowseSizes) {
    if (!wanted('5')) break;
    const int n = std::max(1000, static_cast<int>(size * scale));
    if (g_largest >= 0 && n > g_largest) break;
    const std::vector<Site> many = makeSites(n, 4);
    Ours ours(dir);
    Lite journal(dir, false);
    Lite wal(dir, true);
    load(ours, many, 0, many.size());
    load(journal, many, 0, many.size());
    load(wal, many, 0, many.size());
    char name[64];
    // Per page, in milliseconds: straight after the load, then on the files
    // opened again and read once.
    auto printPages = [&](const char* when) {
      std::snprintf(name, sizeof name, "5. browse page of 20 at %d, %s", n, when);
      const double o = pages(ours, many), j = pages(journal, many), w = pages(wal, many);
      std::printf("%-44s %9.3f ms %9.3f ms %9.3f ms   %6.2f   %6.2f\n", name, o * 1000, j * 1000, w * 1000, j / o,
                  w / o);
      std::fflush(stdout);
    };
    warmAll(ours, journal, wal);
    printPages("after load");
    ours.flush();
    journal.flush();
    wal.flush();
    ours.warm();
    journal.warm();
    wal.warm();
    printPages("reopened");
  }
  return 0;
}
