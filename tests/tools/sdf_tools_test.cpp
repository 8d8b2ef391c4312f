// The command-line tools over data files: sdfcheck passes a sound file and
// names the faults of damaged ones without crashing; sdfdump lists a file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "storage/keyed/data_file.h"
#include "storage/keyed/sdf_format.h"
#include "storage/keyed/sdfbt.h"
#include "storage/keyed/table_definition.h"
#include "storage/keyed/table_entries.h"
#include "tests/support/child_process.h"

namespace linkar::keyed {
namespace {


// With LINKAR_KEYED_FUZZ_SEEDS set, the files tests make are kept as fuzzing seeds.
void saveSeed(const std::string& name, const std::string& bytes) {
  const char* dir = std::getenv("LINKAR_KEYED_FUZZ_SEEDS");
  if (!dir) return;
  std::ofstream(std::string(dir) + "/" + name + ".sdf", std::ios::binary) << bytes;
}

// Runs a tool with a time limit; the exit status is the tool's, or 124 on timeout.
test::CommandRun runTool(const std::string& tool, const std::string& args) {
  return test::runCommand(std::string(LINKAR_TOOLS_DIR) + "/" + tool + " " + args, 60);
}

class SdfTools : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/linkar-sdftools-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    m_dir = dir;
  }
  void TearDown() override { std::system(("rm -rf " + m_dir).c_str()); }

  // A file with one table, its definition, counters, records, key entries and
  // a memo, each as its definition calls for.
  std::string soundFile(std::string_view owner = {}) {
    std::unique_ptr<DataFile> file;
    EXPECT_EQ(DataFile::open(std::make_unique<MemoryStore>(), owner, file), 0);
    Sdfbt tree(*file);
    const std::uint32_t table = file->issueNumber();
    writeName(tree, "UNNAMED", table);
    TableDefinition def;
    def.recordLength = 8;
    FieldDefinition f;
    f.type = 0x12;
    f.name = "T:NAME";
    f.size = 8;
    def.fields = {f};
    KeyDefinition byName;
    byName.components = {{0, 0}};
    def.keys = {byName};
    MemoDefinition note;
    note.size = 500;
    def.memos = {note};
    writeDefinition(tree, table, def);
    const int kRecords = 300;
    for (int i = 0; i < kRecords; ++i) {
      const std::uint32_t record = file->issueNumber();
      char name[9];
      std::snprintf(name, sizeof name, "n%07d", i);
      tree.insert(recordKey(table, record), name);
      std::string key = tablePrefix(table);
      key.push_back('\0');
      key += name;
      std::string data;
      appendBe32(data, record);
      tree.insert(key, data);
      if (i % 7 == 0) writeMemo(tree, table, record, 0, std::string(300, 'm'), false);
    }
    writeCounter(tree, table, kTableSubject, {kRecords, 0});
    writeCounter(tree, table, 0, {kRecords, 0});
    EXPECT_EQ(file->close(), 0);
    if (owner.empty()) saveSeed("table", dynamic_cast<MemoryStore&>(file->store()).bytes());
    return dynamic_cast<MemoryStore&>(file->store()).bytes();
  }
  std::string write(const std::string& name, const std::string& bytes) {
    const std::string path = m_dir + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string m_dir;
};

TEST_F(SdfTools, CheckPassesASoundFileAndDumpListsIt) {
  const std::string path = write("good.sdf", soundFile());
  const test::CommandRun check = runTool("sdfcheck", path);
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_NE(check.output.find("sound"), std::string::npos);
  const test::CommandRun dump = runTool("sdfdump", path);
  EXPECT_EQ(dump.status, 0) << dump.output;
  EXPECT_NE(dump.output.find("header:"), std::string::npos);
  EXPECT_NE(dump.output.find("name \"UNNAMED\" -> table 1"), std::string::npos);
  EXPECT_NE(dump.output.find("record 2: n0000000"), std::string::npos);
  EXPECT_NE(dump.output.find("counter: 300 records"), std::string::npos);
}

TEST_F(SdfTools, CheckReadsEncipheredFilesWithTheirOwner) {
  const std::string path = write("secret.sdf", soundFile("Keeper"));
  EXPECT_EQ(runTool("sdfcheck", path + " --owner Keeper").status, 0);
  const test::CommandRun wrong = runTool("sdfcheck", path);
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.output.find("not a data file"), std::string::npos);
}

TEST_F(SdfTools, CheckNamesContentFaults) {
  std::string bytes = soundFile();
  std::unique_ptr<DataFile> file;
  ASSERT_EQ(DataFile::open(std::make_unique<MemoryStore>(bytes), {}, file), 0);
  {
    Sdfbt tree(*file);
    // A record lost without its key entry, and a memo segment gap.
    ASSERT_TRUE(tree.erase(recordKey(1, 5)));
    ASSERT_TRUE(tree.erase(memoKey(1, 9, 0, 0)));
  }
  ASSERT_EQ(file->close(), 0);
  const test::CommandRun check = runTool("sdfcheck", write("faulty.sdf", dynamic_cast<MemoryStore&>(file->store()).bytes()));
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.output.find("leads to missing record 5"), std::string::npos) << check.output;
  EXPECT_NE(check.output.find("counts 300 records but holds 299"), std::string::npos) << check.output;
  EXPECT_NE(check.output.find("skips segment 0"), std::string::npos) << check.output;
}

// The driver takes an empty file for a data file that holds no table yet
// (OPEN of a table in it fails with 2, CREATE writes one); so does the checker.
TEST_F(SdfTools, CheckCallsAnEmptyFileANewDataFileWithoutTables) {
  const test::CommandRun check = runTool("sdfcheck", write("empty.sdf", ""));
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_NE(check.output.find("a new data file without any table"), std::string::npos) << check.output;
}

TEST_F(SdfTools, DamagedBytesNeverCrashTheTools) {
  const std::string good = soundFile();
  // Flip bytes across the header and the pages; every run must end with 0 or 1.
  int faulty = 0;
  for (std::size_t at = 3; at < good.size(); at += good.size() / 23) {
    std::string bad = good;
    bad[at] = static_cast<char>(bad[at] ^ 0x5A);
    const std::string path = write("bad.sdf", bad);
    const test::CommandRun check = runTool("sdfcheck", path);
    ASSERT_TRUE(check.status == 0 || check.status == 1) << "offset " << at << ": " << check.output;
    if (check.status == 1) ++faulty;
    const test::CommandRun dump = runTool("sdfdump", path);
    ASSERT_TRUE(dump.status == 0 || dump.status == 1) << "offset " << at << ": " << dump.output;
  }
  EXPECT_GT(faulty, 10);
  const test::CommandRun garbage = runTool("sdfcheck", write("garbage.sdf", std::string(3000, 'g')));
  EXPECT_EQ(garbage.status, 1);
  EXPECT_EQ(runTool("sdfcheck", m_dir + "/missing.sdf").status, 2);
}

}  // namespace
}  // namespace linkar::keyed
