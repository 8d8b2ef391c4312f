// The import command of the program: exit codes, the summary line,
// --category and --data, run as a person runs it from a shell.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tests/transfer/transfer_fixture.h"

namespace linkar::transfer::test_import {
namespace {

namespace fs = std::filesystem;

using test::CommandRun;

class ImportCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    m_program = fs::path(LINKAR_TOOLS_DIR).parent_path() / "app" / "main" / "linkar";
    if (!fs::exists(m_program)) GTEST_SKIP() << "the program is not built: " << m_program;
  }

  CommandRun run(const std::string& args) { return test::runInFolder(test::shellQuoted(m_program.string()) + " " + args, m_dir.path()); }

  std::string write(const std::string& name, const std::string& text) {
    std::string path = m_dir.file(name);
    EXPECT_TRUE(test::writeWholeFile(path, text));
    return path;
  }

  test::TempDir m_dir;
  fs::path m_program;
};

TEST_F(ImportCommand, ImportsAFileAndSaysWhatItDid) {
  write("b.htm", "<H3 ADD_DATE=\"1\">Tools</H3>\n<a href=\"http://a/\">A</a>\n<a href=\"http://b/\">B</a>\n");
  CommandRun first = run("import html b.htm");
  EXPECT_EQ(first.status, 0);
  EXPECT_EQ(first.output, "imported 2 sites, 0 already stored, 1 new category, 0 addresses longer than 128 bytes cut\n");
  CommandRun second = run("import html b.htm");
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(second.output, "imported 0 sites, 2 already stored, 0 new categories, 0 addresses longer than 128 bytes cut\n");
  EXPECT_TRUE(fs::exists(m_dir.file("LINKAR.SDF")));
}

TEST_F(ImportCommand, ACategoryByNameIsAddedAndUsedAndDataGoesToItsFolder) {
  write("t.txt", "\"http://a/\",\"A\"\n");
  fs::create_directory(m_dir.file("data"));
  CommandRun r = run("import text t.txt --category Reading --data data");
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(fs::exists(m_dir.file("LINKAR.SDF")));
  test::CurrentDirectoryScope here(m_dir.file("data"));
  std::vector<StoredSite> sites = storedSites();
  ASSERT_EQ(sites.size(), 1u);
  EXPECT_EQ(sites[0].category, "Reading");
  EXPECT_EQ(storedCategories(), std::vector<std::string>{"Reading"});

  // A file deep in folders: its whole name is well past the short names
  // of old, and still read.
  const std::string deep = m_dir.file(std::string(80, 'd') + "/" + std::string(80, 'e'));
  fs::create_directories(deep);
  write(deep.substr(m_dir.path().size() + 1) + "/more.txt", "\"http://b/\",\"B\"\n");
  ASSERT_GT(deep.size() + 9, 144u);
  EXPECT_EQ(run("import text '" + deep + "/more.txt' --data data").status, 0);
  EXPECT_EQ(storedSites().size(), 2u);
}

// Another process's transaction holds the site file while the command
// imports: the command waits for it (it does not end early or fail) and
// neither side loses a record.
TEST_F(ImportCommand, AnImportWaitsForAnotherProcesssTransactionAndBothKeepTheirSites) {
  write("t.txt", "\"http://cmd-1/\",\"One\"\n\"http://cmd-2/\",\"Two\"\n");
  test::CurrentDirectoryScope here(m_dir.path());
  storage::fileCreate(app::LINKAR);
  storage::fileOpen(app::LINKAR, app::kCheckOpenMode);
  storage::fileLogout(app::LINKAR);
  ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
  app::putSite({"http://mine/", "Mine", "", 0, ""});
  storage::fileAdd(app::LINKAR);
  ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();

  CommandRun r;
  std::thread command([&] { r = run("import text t.txt"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  storage::fileCommit(app::LINKAR);
  EXPECT_EQ(runtime::errorCode(), 0) << runtime::errorText();
  storage::fileClose(app::LINKAR);
  command.join();

  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "imported 2 sites, 0 already stored, 0 new categories, 0 addresses longer than 128 bytes cut\n");
  std::vector<std::string> locations;
  for (const StoredSite& s : storedSites()) locations.push_back(s.location);
  std::sort(locations.begin(), locations.end());
  EXPECT_EQ(locations, (std::vector<std::string>{"http://cmd-1/", "http://cmd-2/", "http://mine/"}));
}

TEST_F(ImportCommand, UnreadableOrEmptyInputAndBadArgumentsExitOne) {
  EXPECT_EQ(run("import scan missing.txt").status, 1);
  write("empty.txt", "");
  CommandRun empty = run("import scan empty.txt");
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.output.rfind("imported 0 sites", 0), 0u) << empty.output;
  EXPECT_EQ(run("import pdf empty.txt").status, 1);
  EXPECT_EQ(run("import html").status, 1);
  EXPECT_EQ(run("import html empty.txt --data no-such-folder").status, 1);
  CommandRun help = run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("linkar import html|text|scan FILE"), std::string::npos);
}

}  // namespace
}  // namespace linkar::transfer::test_import
