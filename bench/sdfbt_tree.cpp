// The keyed file's B-tree beside std::map on the same work: 1,000,000 random
// 20-byte keys with 8-byte data inserted, looked up, and scanned in order, and
// the data file's size against the raw bytes of the entries.
//   bench_sdfbt_tree [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "storage/keyed/data_file.h"
#include "storage/keyed/sdfbt.h"

namespace {

using namespace linkar::keyed;

constexpr std::size_t kEntries = 1000000;    // keys inserted
constexpr std::size_t kKeyBytes = 20;        // bytes per key
constexpr std::size_t kDataBytes = 8;        // bytes per data part
constexpr std::size_t kCommitEvery = 20000;  // inserts per commit, as a batch writer would
constexpr std::size_t kLookups = 200000;     // point lookups per run

const std::vector<std::string>& keys() {
  static const std::vector<std::string> k = [] {
    std::mt19937_64 rng(42);
    std::vector<std::string> out(kEntries, std::string(kKeyBytes, '\0'));
    for (std::string& s : out)
      for (char& c : s) c = static_cast<char>(rng());
    return out;
  }();
  return k;
}

std::string dataFor(std::size_t i) {
  std::string d(kDataBytes, '\0');
  for (std::size_t b = 0; b < kDataBytes; ++b) d[b] = static_cast<char>(i >> (8 * b));
  return d;
}

std::unique_ptr<DataFile> buildFile() {
  std::unique_ptr<DataFile> file;
  DataFile::open(std::make_unique<MemoryStore>(), {}, file);
  Sdfbt tree(*file);
  const auto& k = keys();
  for (std::size_t i = 0; i < k.size(); ++i) {
    tree.insert(k[i], dataFor(i));
    if ((i + 1) % kCommitEvery == 0) file->writeChanges();
  }
  file->close();
  return file;
}

std::map<std::string, std::string> buildMap() {
  std::map<std::string, std::string> m;
  const auto& k = keys();
  for (std::size_t i = 0; i < k.size(); ++i) m.emplace(k[i], dataFor(i));
  return m;
}

DataFile& sharedFile() {
  static std::unique_ptr<DataFile> f = buildFile();
  return *f;
}

const std::map<std::string, std::string>& sharedMap() {
  static const auto m = buildMap();
  return m;
}

void BM_SdfbtInsert(benchmark::State& state) {
  keys();
  for (auto _ : state) {
    auto file = buildFile();
    const double raw = static_cast<double>(kEntries * (kKeyBytes + kDataBytes));
    const double size = static_cast<double>(dynamic_cast<MemoryStore&>(file->store()).bytes().size());
    state.counters["file_MB"] = size / 1e6;
    state.counters["raw_MB"] = raw / 1e6;
    state.counters["file_per_raw"] = size / raw;
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kEntries));
}

void BM_MapInsert(benchmark::State& state) {
  keys();
  for (auto _ : state) benchmark::DoNotOptimize(buildMap());
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kEntries));
}

void BM_SdfbtLookup(benchmark::State& state) {
  Sdfbt tree(sharedFile());
  const auto& k = keys();
  for (auto _ : state) {
    std::size_t found = 0;
    for (std::size_t i = 0; i < kLookups; ++i) found += tree.find(k[(i * 7919) % kEntries]).has_value();
    if (found != kLookups) state.SkipWithError("a key went missing");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kLookups));
}

void BM_MapLookup(benchmark::State& state) {
  const auto& m = sharedMap();
  const auto& k = keys();
  for (auto _ : state) {
    std::size_t found = 0;
    for (std::size_t i = 0; i < kLookups; ++i) found += m.count(k[(i * 7919) % kEntries]);
    if (found != kLookups) state.SkipWithError("a key went missing");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kLookups));
}

void BM_SdfbtScan(benchmark::State& state) {
  Sdfbt tree(sharedFile());
  for (auto _ : state) {
    Cursor cursor;
    cursor.setKey({});
    std::size_t n = 0;
    while (tree.next(cursor)) ++n;
    if (n != kEntries) state.SkipWithError("scan count differs");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kEntries));
}

void BM_MapScan(benchmark::State& state) {
  const auto& m = sharedMap();
  for (auto _ : state) {
    std::size_t n = 0;
    for (const auto& kv : m) n += kv.second.size() == kDataBytes;
    if (n != kEntries) state.SkipWithError("scan count differs");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kEntries));
}

BENCHMARK(BM_SdfbtInsert)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MapInsert)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SdfbtLookup)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MapLookup)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SdfbtScan)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MapScan)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
