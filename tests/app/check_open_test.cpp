// The open-or-create policy: every branch against a scripted driver, then
// on real data files through the keyed driver (a missing file created
// silently, keys out of date rebuilt on "Yes", a file held by another open).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/check_open.h"
#include "app/records.h"
#include "platform/file.h"
#include "runtime/error_state.h"
#include "storage/layer/driver_dispatch.h"
#include "storage/layer/field_list.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/op_codes.h"
#include "storage/layer/thread_files.h"
#include "tests/support/temp_dir.h"
#include "ui/headless/test_driver.h"

namespace linkar::app {
namespace {

using namespace linkar::storage;

// ---- a driver whose answers the test scripts ----

struct Script {
  std::deque<int32_t> opens;   // the code of each OPEN in turn (0 once used up)
  int32_t create = 0;
  int32_t build = 0;
  int openCalls = 0;
  int createCalls = 0;
  int buildCalls = 0;
  int32_t lastMode = -1;
};
Script g_script;

constexpr const char* kReportedName = "/data/FAKE.DAT";

PreconditionRow rowFor(int32_t code) {
  switch (code) {
    case op::kOpen: return {kAfterClearError | kAfterRemember, 0, kStateOpen, kStateOpen, 0, 0};
    case op::kClose: return {kAfterClearError | kAfterDiscard, kStateOpen, 0, 0, kStateOpen, 0};
    case op::kCreate: return {kAfterClearError | kAfterDiscard, 0, kStateOpen, 0, 0, 0};
    case op::kBuild: return {kAfterClearError | kAfterDiscard, 0, kStateOpen, 0, 0, 0};
    default: return {};
  }
}

struct Rows {
  PreconditionRow rows[op::kHighest];
  Rows() {
    for (int32_t c = 1; c <= op::kHighest; ++c) rows[c - 1] = rowFor(c);
  }
};
const Rows kRows;

const uint8_t kCapabilities[] = {op::kOpen, op::kClose, op::kCreate, op::kBuild, op::kName};

std::unique_ptr<DriverInstance> createInstance(const FileDecl& file, int& error) {
  auto instance = std::make_unique<DriverInstance>();
  error = initInstance(*instance, file);
  return error == 0 ? std::move(instance) : nullptr;
}

OpOutcome perform(OpCall& c) {
  switch (c.code) {
    case op::kOpen: {
      ++g_script.openCalls;
      g_script.lastMode = c.args.mode;
      int32_t result = 0;
      if (!g_script.opens.empty()) {
        result = g_script.opens.front();
        g_script.opens.pop_front();
      }
      return result == 0 ? OpOutcome::ok() : OpOutcome::fail(result);
    }
    case op::kCreate:
      ++g_script.createCalls;
      return g_script.create == 0 ? OpOutcome::ok() : OpOutcome::fail(g_script.create);
    case op::kBuild:
      ++g_script.buildCalls;
      return g_script.build == 0 ? OpOutcome::ok() : OpOutcome::fail(g_script.build);
    case op::kClose: return OpOutcome::ok();
    case op::kName: return OpOutcome::okText(kReportedName);
    default: return OpOutcome::fail(80);
  }
}

DriverRegistration makeRegistration();
const DriverRegistration kRegistration = makeRegistration();
const DriverTable kSpec{kRows.rows, op::kHighest, &kRegistration, &createInstance, &perform, 0};

int32_t scriptedEntry(int32_t code, Descriptor* d, ArgBlock* a) { return dispatch(kSpec, code, d, a); }

DriverRegistration makeRegistration() {
  DriverRegistration r;
  r.name = registrationText<kRegNameSize>("SCRIPTED");
  r.entry = &scriptedEntry;
  r.capabilities = kCapabilities;
  r.capabilityCount = sizeof kCapabilities;
  return r;
}

class CheckOpenPolicy : public ::testing::Test {
 protected:
  void SetUp() override {
    g_script = Script{};
    m_fields = FieldListBuilder().text("FAKE:CH", 0, 1).build();
    m_file.entry = &scriptedEntry;
    m_file.name = "FAKE";
    m_file.nameLength = kTextNulTerminated;
    m_file.attributeBits = kAttrCreate;
    m_file.recordLength = 1;
    m_file.record = m_record;
    m_file.fieldList = m_fields.data();
    runtime::clearError();
    m_driver.startFrame();
  }

  void run() {
    m_thread = m_driver.start(
        [this] {
          CheckOpen(m_file);
          m_returned = true;
          m_codeAfter = runtime::errorCode();
        },
        0);
  }

  ui::Window* box() { return m_driver.messageBox(m_thread); }

  // Answers the box up now with `button`, expecting `title` on it.
  void expectBox(const std::string& title, const std::string& button) {
    ui::Window* b = box();
    ASSERT_NE(b, nullptr) << "expected " << title;
    EXPECT_EQ(b->title(), title);
    ASSERT_TRUE(m_driver.answer(button));
  }

  void expectHalt(const std::string& text) {
    ui::Window* b = box();
    ASSERT_NE(b, nullptr) << "expected the halt " << text;
    EXPECT_EQ(b->title(), "Halt");
    EXPECT_EQ(b->text(1), text);
    ASSERT_TRUE(m_driver.answer("OK"));
    EXPECT_TRUE(m_driver.ended());
    EXPECT_EQ(m_driver.exitCode(), 0);
    EXPECT_FALSE(m_returned);
  }

  std::vector<uint8_t> m_fields;
  uint8_t m_record[1] = {' '};
  FileDecl m_file;
  ui::TestDriver m_driver{programCatalogue()};
  int m_thread = 0;
  bool m_returned = false;
  int32_t m_codeAfter = -1;
};

TEST_F(CheckOpenPolicy, AnOpenFileOrOneAlreadyOpenReturnsAtOnceWithTheSharedMode) {
  run();
  EXPECT_EQ(box(), nullptr);
  EXPECT_TRUE(m_returned);
  EXPECT_EQ(g_script.openCalls, 1);
  EXPECT_EQ(g_script.lastMode, 0x42);
  // Opened again while open: the layer answers "File Already Open".
  m_returned = false;
  run();
  EXPECT_EQ(box(), nullptr);
  EXPECT_TRUE(m_returned);
  EXPECT_EQ(m_codeAfter, 52);
  EXPECT_EQ(g_script.openCalls, 1);
  EXPECT_EQ(g_script.createCalls, 0);
}

TEST_F(CheckOpenPolicy, AMissingFileIsCreatedAndOpenedWithoutAWord) {
  g_script.opens = {2, 0};
  run();
  EXPECT_EQ(box(), nullptr);
  EXPECT_TRUE(m_returned);
  EXPECT_EQ(m_codeAfter, 0);
  EXPECT_EQ(g_script.createCalls, 1);
  EXPECT_EQ(g_script.openCalls, 2);
}

TEST_F(CheckOpenPolicy, FailingToCreateShowsMessageFourWithTheReportedName) {
  g_script.opens = {2};
  g_script.create = 5;
  run();
  ASSERT_NE(box(), nullptr);
  EXPECT_EQ(box()->text(1), std::string("Error: (Access Denied (5)) creating ") + kReportedName +
                                ".  Press OK to end this application.");
  expectBox("File Creation Error", "OK");
  expectHalt("File Creation Error!");
  EXPECT_EQ(g_script.openCalls, 1);
}

TEST_F(CheckOpenPolicy, FailingToOpenTheCreatedFileShowsMessageFive) {
  g_script.opens = {2, 5};
  run();
  ASSERT_NE(box(), nullptr);
  EXPECT_EQ(box()->text(1), std::string("Error: (Access Denied (5)) opening created file:") + kReportedName +
                                ".  Press OK to end this application.");
  expectBox("File Creation Error", "OK");
  expectHalt("File Creation Error!");
}

TEST_F(CheckOpenPolicy, AnInvalidDeclarationShowsMessageOneAndEnds) {
  g_script.opens = {47};
  run();
  expectBox("Invalid File", "OK");
  expectHalt("Invalid File!");
}

TEST_F(CheckOpenPolicy, KeysToRebuildAskOnceAndYesRebuildsAndOpensAgain) {
  g_script.opens = {46, 0};
  run();
  ASSERT_NE(box(), nullptr);
  EXPECT_EQ(box()->text(1), std::string(kReportedName) + " key file is invalid.  Do you want to rebuild the key?");
  expectBox("Invalid Key", "&Yes");
  EXPECT_EQ(box(), nullptr) << "asked only once";
  EXPECT_TRUE(m_returned);
  EXPECT_EQ(m_codeAfter, 0);
  EXPECT_EQ(g_script.buildCalls, 1);
  EXPECT_EQ(g_script.openCalls, 2);
}

TEST_F(CheckOpenPolicy, KeysToRebuildAnsweredNoEndWithInvalidKey) {
  g_script.opens = {46};
  run();
  expectBox("Invalid Key", "&No");
  expectHalt("Invalid Key!");
  EXPECT_EQ(g_script.buildCalls, 0);
}

TEST_F(CheckOpenPolicy, AFailedRebuildShowsMessageThree) {
  g_script.opens = {46};
  g_script.build = 40;
  run();
  expectBox("Invalid Key", "&Yes");
  expectBox("Key Rebuild Error", "OK");
  expectHalt("Error Rebuilding Key!");
}

TEST_F(CheckOpenPolicy, AFailedOpenAfterTheRebuildShowsMessageThirty) {
  g_script.opens = {46, 5};
  run();
  expectBox("Invalid Key", "&Yes");
  ASSERT_NE(box(), nullptr);
  EXPECT_EQ(box()->text(1), std::string("File (") + kReportedName + ") could not be opened.  Error: Access Denied (5).");
  expectBox("File Access Error", "OK");
  expectHalt("Disk Error");
}

TEST_F(CheckOpenPolicy, AnyOtherFailureShowsMessageThirtyAndEndsWithDiskError) {
  g_script.opens = {32};
  run();
  ASSERT_NE(box(), nullptr);
  EXPECT_NE(box()->text(1).find(std::string("File (") + kReportedName + ") could not be opened.  Error: "),
            std::string::npos);
  expectBox("File Access Error", "OK");
  expectHalt("Disk Error");
  EXPECT_EQ(g_script.createCalls, 0);
}

// ---- real data files through the keyed driver ----

std::vector<std::string> filesIn(const std::string& dir) {
  std::vector<std::string> out;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') out.push_back(e->d_name);
    closedir(d);
  }
  return out;
}

void setSite(int i) {
  std::string location = "http://site" + std::to_string(i) + ".example/";
  std::memset(&URL(), ' ', sizeof(LinkarRecord));
  std::memcpy(URL().LOCATION, location.data(), location.size());
  std::memcpy(URL().DESCRIPTION, "Site", 4);
  URL().RATING[0] = 0x00;
  URL().RATING[1] = 0x0C;  // packed +0
}

class CheckOpenFiles : public ::testing::Test {
 protected:
  CheckOpenFiles() : m_cwd(m_dir.path()) {}
  void SetUp() override {
    setenv("XDG_STATE_HOME", m_state.path().c_str(), 1);  // the keyed driver's control file stays here
    runtime::clearError();
    m_driver.startFrame();
  }
  void TearDown() override {
    if (instanceOf(LINKAR)) fileClose(LINKAR);
    if (instanceOf(Categories)) fileClose(Categories);
  }

  // Creates LINKAR with keys left out of date: records appended, not added.
  void makeFileNeedingRebuild() {
    fileCreate(LINKAR);
    ASSERT_EQ(runtime::errorCode(), 0);
    fileOpen(LINKAR, 0x22);
    ASSERT_EQ(runtime::errorCode(), 0);
    for (int i = 0; i < 3; ++i) {
      setSite(i);
      fileAppend(LINKAR);
      ASSERT_EQ(runtime::errorCode(), 0);
    }
    fileClose(LINKAR);
    fileOpen(LINKAR, kCheckOpenMode);
    ASSERT_EQ(runtime::errorCode(), 46) << "the keyed driver no longer reports keys to rebuild";
  }

  // Runs CheckOpen on a thread of its own; what the thread then has of the
  // file is noted before the thread ends (and its files with it).
  int runCheckOpen(FileDecl& file) {
    return m_driver.start(
        [this, &file] {
          CheckOpen(file);
          m_returned = true;
          m_openOnReturn = instanceOf(file) && instanceOf(file)->has(kStateOpen);
          m_locationsOnReturn = &file == &LINKAR ? fileRecordsKey(LINKAR, URL_K_LOCATION) : -1;
        },
        0);
  }

  test::TempDir m_dir;
  test::TempDir m_state;
  test::CurrentDirectoryScope m_cwd;
  ui::TestDriver m_driver{programCatalogue()};
  bool m_returned = false;
  bool m_openOnReturn = false;
  int32_t m_locationsOnReturn = -1;
};

TEST_F(CheckOpenFiles, StartingWithoutDataFilesCreatesThemSilently) {
  ASSERT_TRUE(filesIn(m_dir.path()).empty());
  int thread = runCheckOpen(LINKAR);
  EXPECT_EQ(m_driver.messageBox(thread), nullptr);
  EXPECT_TRUE(m_returned);
  EXPECT_TRUE(m_openOnReturn);
  m_returned = false;
  thread = runCheckOpen(Categories);
  EXPECT_EQ(m_driver.messageBox(thread), nullptr);
  EXPECT_TRUE(m_returned);
  EXPECT_EQ(filesIn(m_dir.path()).size(), 2u);
}

TEST_F(CheckOpenFiles, KeysOutOfDateAreRebuiltOnYesAndTheFileOpens) {
  makeFileNeedingRebuild();
  int thread = runCheckOpen(LINKAR);
  ui::Window* box = m_driver.messageBox(thread);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->title(), "Invalid Key");
  EXPECT_NE(box->text(1).find("LINKAR"), std::string::npos) << box->text(1);
  ASSERT_TRUE(m_driver.answer("&Yes"));
  EXPECT_EQ(m_driver.messageBox(thread), nullptr);
  EXPECT_TRUE(m_returned);
  EXPECT_TRUE(m_openOnReturn);
  EXPECT_EQ(m_locationsOnReturn, 3);
}

TEST_F(CheckOpenFiles, KeysOutOfDateAnsweredNoEndTheProgram) {
  makeFileNeedingRebuild();
  int thread = runCheckOpen(LINKAR);
  ASSERT_TRUE(m_driver.answer("&No"));
  ui::Window* halt = m_driver.messageBox(thread);
  ASSERT_NE(halt, nullptr);
  EXPECT_EQ(halt->text(1), "Invalid Key!");
  ASSERT_TRUE(m_driver.answer("OK"));
  EXPECT_TRUE(m_driver.ended());
  EXPECT_FALSE(m_returned);
  // No open of the halted thread holds the file: an exclusive open is
  // stopped by the keys alone, not by a sharing refusal.
  fileOpen(LINKAR, kAccessReadWrite | kDenyAll);
  EXPECT_EQ(runtime::errorCode(), 46) << "left half-open";
}

TEST_F(CheckOpenFiles, AFileHeldByAnotherOpenShowsFileAccessErrorAndEndsWithDiskError) {
  int thread = runCheckOpen(LINKAR);  // creates it
  ASSERT_TRUE(m_returned);
  fileClose(LINKAR);
  std::vector<std::string> names = filesIn(m_dir.path());
  ASSERT_EQ(names.size(), 1u);
  platform::File holder;
  ASSERT_EQ(holder.open(m_dir.file(names[0]), platform::kShareDenyAll | 0x02), 0);

  m_returned = false;
  thread = runCheckOpen(LINKAR);
  ui::Window* box = m_driver.messageBox(thread);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->title(), "File Access Error");
  EXPECT_EQ(box->text(1).rfind("File (", 0), 0u) << box->text(1);
  EXPECT_NE(box->text(1).find(") could not be opened.  Error: "), std::string::npos) << box->text(1);
  ASSERT_TRUE(m_driver.answer("OK"));
  ui::Window* halt = m_driver.messageBox(thread);
  ASSERT_NE(halt, nullptr);
  EXPECT_EQ(halt->text(1), "Disk Error");
  ASSERT_TRUE(m_driver.answer("OK"));
  EXPECT_TRUE(m_driver.ended());
  EXPECT_FALSE(m_returned);
}

}  // namespace
}  // namespace linkar::app
