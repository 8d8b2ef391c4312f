// The file checker against one-byte damage of a site file written by the
// driver: every byte of every page is changed in turn, the damaged file is
// read through the driver in a child process (every order, and GET by every
// key of every site) and compared with the sound file's reads, and each
// damage that makes any read differ must be named by the checker. The one
// exception is a changed byte inside a memo's text, which nothing in the
// file could tell from the writer's own.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/error_state.h"
#include "storage/keyed/block_store.h"
#include "storage/keyed/data_file.h"
#include "storage/keyed/file_checker.h"
#include "storage/keyed/internal_error.h"
#include "storage/keyed/sdf_format.h"
#include "storage/keyed/sdfbt.h"
#include "tests/storage/keyed/commit_test_support.h"
#include "tests/storage/keyed/strandel_test_records.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace linkar::test {
namespace {

using namespace linkar::storage;
using keyed::Entry;

constexpr int kSites = 14;
constexpr int kKeys = 5;
// One-byte changes, taken in turn along the file. None toggles only the 0x20
// bit: keys ignore case, so a letter changed to its other case alone is a
// change no key could show.
constexpr std::array<std::uint8_t, 4> kMasks = {0x01, 0x5A, 0x80, 0x04};
constexpr unsigned kChildSeconds = 20;  // a child reading one damaged file ends long before

int code() { return runtime::errorCode(); }

// A site file as the program writes it: long and short locations, a blank
// description, equal descriptions, several categories and ratings, memos
// on some sites; one site deleted and one changed afterwards.
void writeSites(LinkarFiles& f) {
  fileCreate(f.LINKAR);
  ASSERT_EQ(code(), 0);
  fileOpen(f.LINKAR, kOpenShared);
  ASSERT_EQ(code(), 0);
  for (int i = 0; i < kSites; ++i) {
    const std::string location = textNumber("http://site", i, ".example/") + std::string(i * 7 % 40, 'p');
    const std::string description = i == 3 ? "" : textNumber(i % 4 == 0 ? "Shared" : "Site ", i % 4 == 0 ? 0 : i);
    const std::string info = i % 3 == 0 ? textNumber("notes on site ", i) : "";
    ASSERT_EQ(f.addSite(location, description, textNumber("Cat", i % 3), i % 10, textNumber("kw", i % 5), info), 0);
  }
  fileGetPosition(f.LINKAR, 5);
  ASSERT_EQ(code(), 0);
  fileDelete(f.LINKAR);
  ASSERT_EQ(code(), 0);
  fileGetPosition(f.LINKAR, 9);
  ASSERT_EQ(code(), 0);
  f.setDescription("Changed");
  filePut(f.LINKAR);
  ASSERT_EQ(code(), 0);
  fileClose(f.LINKAR);
  ASSERT_EQ(code(), 0);
}

// The site bytes and memo of the current record, with its number.
std::string current(LinkarFiles& f) {
  return std::to_string(filePointer(f.LINKAR)) + ":" + f.siteBytes() + "|" + f.info() + "\n";
}

// Everything a reader can see through the driver: the open, the counts,
// file order, each key's order, and GET by each key of each `site`.
std::string readEverything(LinkarFiles& f, const std::vector<std::string>& sites) {
  std::string out;
  fileOpen(f.LINKAR, kOpenReadOnly);
  out += "open " + std::to_string(code()) + "\n";
  if (code() != 0) return out;
  out += "records " + std::to_string(fileRecords(f.LINKAR)) + "\n";
  fileSet(f.LINKAR);
  for (fileNext(f.LINKAR); code() == 0; fileNext(f.LINKAR)) out += current(f);
  out += "end " + std::to_string(code()) + "\n";
  for (int k = 0; k < kKeys; ++k) {
    KeyDecl& key = *f.linkarKey(k);
    out += "key " + std::to_string(k) + " counts " + std::to_string(fileRecordsKey(f.LINKAR, key)) + "\n";
    fileSetKey(f.LINKAR, key);
    for (fileNext(f.LINKAR); code() == 0; fileNext(f.LINKAR)) out += std::to_string(filePointer(f.LINKAR)) + " ";
    out += "end " + std::to_string(code()) + "\n";
    for (const std::string& site : sites) {
      f.clearSite();
      std::memcpy(f.LINKAR.record, site.data(), site.size());
      fileGet(f.LINKAR, key);
      out += "get " + std::to_string(code()) + " " + (code() == 0 ? current(f) : "\n");
    }
  }
  fileClose(f.LINKAR);
  return out;
}

// Reads `path` through the driver in a child process (a damaged file may
// end it with an internal error); the reads, or how the child ended. The
// child is waited for without polling, and its alarm ends it if it hangs.
std::string readInChild(const std::string& path, const std::vector<std::string>& sites, const std::string& out) {
  std::remove(out.c_str());
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(kChildSeconds);
    LinkarFiles f(path, path + ".CAT");
    writeWholeFile(out, readEverything(f, sites));
    ::_exit(0);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child ended with status " + std::to_string(status);
  return readWholeFile(out);
}

using Entries = std::map<std::string, std::string>;

// Every entry of the tree, or nothing when the file does not read as a tree.
std::optional<Entries> entriesOf(const std::string& bytes) {
  Entries out;
  bool opened = false;
  const int line = keyed::runGuarded([&] {
    std::unique_ptr<keyed::DataFile> file;
    opened = keyed::DataFile::open(std::make_unique<keyed::MemoryStore>(bytes, false), {}, file) == 0;
    if (!opened) return;
    keyed::Sdfbt tree(*file);
    tree.walk({}, [&](std::string_view key, std::string_view data) {
      out.emplace(std::string(key), std::string(data));
      return true;
    });
  });
  if (line != 0 || !opened) return std::nullopt;
  return out;
}

enum class Change { None, Structure, KeyEntry, Record, MemoText, Other };

// What a damage changed, judged from the entries of both files.
Change changeOf(const Entries& sound, const std::optional<Entries>& damaged) {
  if (!damaged) return Change::Structure;
  std::vector<std::string> differing;
  for (const auto& [key, data] : sound) {
    const auto it = damaged->find(key);
    if (it == damaged->end() || it->second != data) differing.push_back(key);
  }
  for (const auto& [key, data] : *damaged)
    if (!sound.count(key)) differing.push_back(key);
  if (differing.empty()) return Change::None;
  Change change = Change::Other;
  bool first = true;
  for (const std::string& key : differing) {
    Change c = Change::Other;
    const bool ofTable = key.size() > keyed::kStoredNumberBytes &&
                         static_cast<std::uint8_t>(key[0]) < keyed::kNamePrefix;
    if (ofTable) {
      const auto kind = static_cast<std::uint8_t>(key[keyed::kStoredNumberBytes]);
      if (kind < keyed::kKindRecord) c = Change::KeyEntry;
      if (kind == keyed::kKindRecord) c = Change::Record;
      // Only the text of a memo segment still under its own key.
      if (kind == keyed::kKindMemo && damaged->count(key) && sound.count(key)) c = Change::MemoText;
    }
    change = first || change == c ? c : Change::Other;
    first = false;
  }
  return change;
}

// The first key part whose entry differs, in hexadecimal, for messages.
std::string firstDifference(const Entries& sound, const std::optional<Entries>& damaged) {
  if (!damaged) return {};
  std::string key;
  for (const auto& [k, data] : sound)
    if (!damaged->count(k) || damaged->at(k) != data) {
      key = k;
      break;
    }
  if (key.empty())
    for (const auto& [k, data] : *damaged)
      if (!sound.count(k)) {
        key = k;
        break;
      }
  std::string hex;
  char byte[4];
  for (std::size_t i = 0; i < key.size() && i < 12; ++i) {
    std::snprintf(byte, sizeof byte, "%02X ", static_cast<unsigned char>(key[i]));
    hex += byte;
  }
  return hex;
}

// The first line in which two sets of reads differ.
std::string firstDifferingLine(const std::string& a, const std::string& b) {
  std::size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  const std::size_t start = a.rfind('\n', at) == std::string::npos ? 0 : a.rfind('\n', at) + 1;
  return b.substr(start, std::min<std::size_t>(b.find('\n', start) - start, 80));
}

const char* nameOf(Change c) {
  switch (c) {
    case Change::None: return "no entry changed";
    case Change::Structure: return "the tree does not read";
    case Change::KeyEntry: return "key entries";
    case Change::Record: return "record bodies";
    case Change::MemoText: return "memo text";
    case Change::Other: return "other entries";
  }
  return "?";
}

struct Tally {
  int cases = 0;
  int flagged = 0;
  int silent = 0;         // read differently, every statement succeeding as on the sound file
  int silentFlagged = 0;
  int refused = 0;        // read differently because OPEN failed or the reader was stopped
  int refusedFlagged = 0;
};

TEST(SdfcheckDamage, EveryOneByteChangeThatAltersAReadIsNamed) {
  // Some two thousand files are written and read: in memory when the system allows.
  const std::unique_ptr<TempDir> tempDir = keyed::testing::makeFastTempDir();
  const TempDir& dir = *tempDir;
  const std::string path = dir.file("LINKAR.SDF");
  std::vector<std::string> sites;
  {
    LinkarFiles f(path, dir.file("CATEGORIES"));
    writeSites(f);
    fileOpen(f.LINKAR, kOpenReadOnly);
    fileSet(f.LINKAR);
    for (fileNext(f.LINKAR); code() == 0; fileNext(f.LINKAR)) sites.push_back(f.siteBytes());
    fileClose(f.LINKAR);
  }
  ASSERT_EQ(sites.size(), static_cast<std::size_t>(kSites - 1));
  const std::string good = readWholeFile(path);
  const std::string out = dir.file("reads.txt");
  const std::string soundReads = readInChild(path, sites, out);
  ASSERT_NE(soundReads.find("open 0\n"), std::string::npos) << soundReads;
  const std::optional<Entries> soundEntries = entriesOf(good);
  ASSERT_TRUE(soundEntries);
  ASSERT_TRUE(keyed::checkDataFile(std::make_unique<keyed::MemoryStore>(good, false), {}).sound());

  std::map<Change, Tally> tallies;
  int toolRuns = 0;
  for (std::size_t at = keyed::kHeaderSize; at < good.size(); ++at) {
    std::string bad = good;
    bad[at] = static_cast<char>(bad[at] ^ kMasks[at % kMasks.size()]);
    const keyed::CheckReport report = keyed::checkDataFile(std::make_unique<keyed::MemoryStore>(bad, false), {});
    const Change change = changeOf(*soundEntries, entriesOf(bad));
    Tally& t = tallies[change];
    ++t.cases;
    if (!report.sound()) ++t.flagged;
    if (change == Change::None) continue;  // the same entries read the same
    if (change == Change::Structure) {
      EXPECT_FALSE(report.sound()) << "offset " << at << ": a tree that does not read passes";
      continue;
    }
    ASSERT_TRUE(writeWholeFile(path, bad));
    const std::string reads = readInChild(path, sites, out);
    if (reads == soundReads) continue;
    // A file the driver refuses to open tells its reader so; what the
    // checker must catch is damage that reads back without a word.
    if (reads.rfind("open 0\n", 0) != 0) {
      ++t.refused;
      if (!report.sound()) ++t.refusedFlagged;
      continue;
    }
    ++t.silent;
    if (!report.sound()) ++t.silentFlagged;
    if (change == Change::MemoText) continue;
    EXPECT_FALSE(report.sound()) << "offset " << at << " (" << nameOf(change) << ", first at key "
                                 << firstDifference(*soundEntries, entriesOf(bad))
                                 << ") changes what a read returns but the checker finds nothing: "
                                 << firstDifferingLine(soundReads, reads);
    // Now and then the tool itself, on the same file.
    if (!report.sound() && toolRuns < 6 && (change == Change::KeyEntry || change == Change::Record)) {
      ++toolRuns;
      const CommandRun tool = runCommand(std::string(LINKAR_TOOLS_DIR) + "/sdfcheck " + path, 60);
      EXPECT_EQ(tool.status, 1) << tool.output;
      EXPECT_NE(tool.output.find("fault: "), std::string::npos) << tool.output;
    }
  }
  for (const auto& [change, t] : tallies)
    std::printf("%-22s %5d damaged files, %4d named; read differently: %4d silently (%4d named), "
                "%4d refused at OPEN (%4d named)\n",
                nameOf(change), t.cases, t.flagged, t.silent, t.silentFlagged, t.refused, t.refusedFlagged);
  EXPECT_GT(tallies[Change::KeyEntry].silent, 100);
  EXPECT_GT(tallies[Change::Record].silent, 100);
  EXPECT_EQ(toolRuns, 6);
}

}  // namespace
}  // namespace linkar::test
