// The layer check (tools/check_layers.sh) over small trees of its own with
// the project's real layer table: a clean tree passes, every kind of
// forbidden include fails and is named by file, line and layer, and a table
// it cannot read is an error rather than a pass.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace linkar::test {
namespace {

namespace fs = std::filesystem;

// Exit status of the check: every include allowed, some forbidden, no table.
constexpr int kAllowed = 0;
constexpr int kForbidden = 1;
constexpr int kNoTable = 2;

class LayerCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(LINKAR_SOURCE_DIR "/CMakeLists.txt", m_tree.file("CMakeLists.txt"));
    // Each layer using what it may: the one below, itself (bare and with a
    // path beside the file), and the backends and programs above.
    put("platform/file.h", "#include <cstdint>\n");
    put("runtime/error_codes.h", "#include \"platform/file.h\"\n");
    put("storage/layer/op_codes.h", "#include \"runtime/error_codes.h\"\n");
    put("storage/ascii/ascii_driver.h", "#include \"storage/layer/op_codes.h\"\n");
    put("storage/keyed/page.h", "#include \"storage/layer/op_codes.h\"\n#include \"../keyed/page_codec.h\"\n");
    put("storage/keyed/page_codec.h", "#include \"platform/file.h\"\n");
    put("ui/engine.h", "#include \"storage/layer/op_codes.h\"\n#include \"window.h\"\n");
    put("ui/window.h", "");
    put("ui/headless/test_driver.h", "#include \"ui/engine.h\"\n");
    put("ui/qt/qt_backend.h", "#include \"ui/engine.h\"\n");
    put("app/records.h", "#include \"ui/engine.h\"\n#include \"storage/keyed/page.h\"\n");
    put("app/main/screenshot_tour.h", "#include \"ui/qt/qt_backend.h\"\n");
    put("app/main/main.cpp", "#include \"app/records.h\"\n#include \"screenshot_tour.h\"\n");
    put("tools/sdfcheck.cpp", "#include \"storage/keyed/page.h\"\n#include \"ui/headless/test_driver.h\"\n");
  }

  void put(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(m_tree.file(path)).parent_path());
    ASSERT_TRUE(writeWholeFile(m_tree.file(path), text));
  }

  CommandRun check() { return runCommand("sh " LINKAR_SOURCE_DIR "/tools/check_layers.sh " + m_tree.path(), 60); }

  TempDir m_tree;
};

TEST_F(LayerCheck, EachForbiddenIncludeFailsNamingItsFileLineAndLayer) {
  const CommandRun clean = check();
  ASSERT_EQ(clean.status, kAllowed) << clean.output;

  struct Plant {
    const char* file;
    const char* include;
    const char* verdict;
  };
  const Plant plants[] = {
      {"ui/engine.cpp", "ui/qt/qt_backend.h", "layer ui may not use ui/qt"},
      {"ui/window.cpp", "qt/qt_backend.h", "layer ui may not use ui/qt"},
      {"ui/headless/test_driver.cpp", "../qt/qt_backend.h", "layer ui/headless may not use ui/qt"},
      {"ui/qt/qt_backend.cpp", "ui/headless/test_driver.h", "layer ui/qt may not use ui/headless"},
      {"app/records.cpp", "app/main/screenshot_tour.h", "layer app may not use app/main"},
      {"app/records.cpp", "ui/headless/test_driver.h", "layer app may not use ui/headless"},
      {"storage/keyed/page.cpp", "storage/ascii/ascii_driver.h", "layer storage/keyed may not use storage/ascii"},
      {"storage/layer/op_codes.cpp", "ui/engine.h", "layer storage/layer may not use ui"},
      {"platform/file.cpp", "runtime/error_codes.h", "layer platform may not use runtime"},
      {"runtime/date.cpp", "tests/support/temp_dir.h", "tests/support/temp_dir.h is outside every layer"},
  };
  for (const Plant& p : plants) {
    // An allowed include first, so that the line named is the planted one.
    put(p.file, std::string("#include \"platform/file.h\"\n#include \"") + p.include + "\"\n");
    const CommandRun run = check();
    EXPECT_EQ(run.status, kForbidden) << p.file << "\n" << run.output;
    const std::string named = std::string(p.file) + ":2: includes \"" + p.include + "\": " + p.verdict;
    EXPECT_NE(run.output.find(named), std::string::npos) << named << "\n" << run.output;
    fs::remove(m_tree.file(p.file));
  }

  const CommandRun again = check();
  EXPECT_EQ(again.status, kAllowed) << again.output;
}

TEST_F(LayerCheck, ATableItCannotReadIsAnErrorNotAPass) {
  put("CMakeLists.txt", "linkar_layer(platform platform)\nlinkar_layer(runtime runtime platfrom)\n");
  const CommandRun misspelt = check();
  EXPECT_EQ(misspelt.status, kNoTable) << misspelt.output;
  EXPECT_NE(misspelt.output.find("platfrom"), std::string::npos) << misspelt.output;

  put("CMakeLists.txt", "project(Empty)\n");
  EXPECT_EQ(check().status, kNoTable);
}

}  // namespace
}  // namespace linkar::test
