// The configuration and state folders, temporary page-file names, and the
// runtime clocks.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <time.h>

#include <set>
#include <string>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/os_error.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace linkar::platform {
namespace {

using test::EnvironmentScope;

TEST(PathsTest, FoldersFollowTheEnvironmentAndAreCreated) {
  test::TempDir dir;
  EnvironmentScope home("HOME", dir.path().c_str());
  {
    EnvironmentScope config("XDG_CONFIG_HOME", (dir.path() + "/cfg/").c_str());
    EnvironmentScope state("XDG_STATE_HOME", (dir.path() + "/st").c_str());
    std::string out;
    ASSERT_EQ(configDirectory(&out), 0);
    EXPECT_EQ(out, dir.path() + "/cfg/linkar");
    EXPECT_TRUE(directoryExists(out));
    ASSERT_EQ(stateDirectory(&out), 0);
    EXPECT_EQ(out, dir.path() + "/st/linkar");
    EXPECT_TRUE(directoryExists(out));
    ASSERT_EQ(configFilePath("LINKAR.INI", &out), 0);
    EXPECT_EQ(out, dir.path() + "/cfg/linkar/LINKAR.INI");
  }
  {
    // Unset or relative: the home defaults.
    EnvironmentScope config("XDG_CONFIG_HOME", "relative/dir");
    EnvironmentScope state("XDG_STATE_HOME", nullptr);
    std::string out;
    ASSERT_EQ(configDirectory(&out), 0);
    EXPECT_EQ(out, dir.path() + "/.config/linkar");
    EXPECT_TRUE(directoryExists(out));
    ASSERT_EQ(stateDirectory(&out), 0);
    EXPECT_EQ(out, dir.path() + "/.local/state/linkar");
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
  }
}

TEST(PathsTest, AFileInPlaceOfTheFolderIsAnError) {
  test::TempDir dir;
  ASSERT_TRUE(test::writeWholeFile(dir.file("cfg"), "x"));
  EnvironmentScope config("XDG_CONFIG_HOME", dir.file("cfg").c_str());
  std::string out;
  EXPECT_NE(configDirectory(&out), 0);
}

TEST(PathsTest, TemporaryPageFilesAreNewPrivateAndUnique) {
  test::TempDir dir;
  EnvironmentScope tmp("TMPDIR", dir.path().c_str());
  EXPECT_EQ(temporaryDirectory(), dir.path());
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    std::string name;
    ASSERT_EQ(makeTemporaryFile(&name), 0);
    EXPECT_EQ(name.rfind(dir.path() + "/VEL", 0), 0u) << name;
    EXPECT_EQ(name.substr(name.size() - 4), ".TMP");
    struct stat st {};
    ASSERT_EQ(::stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_size, 0);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 20u);
  EnvironmentScope missing("TMPDIR", dir.file("absent").c_str());
  std::string name;
  EXPECT_EQ(makeTemporaryFile(&name), kErrorPathNotFound);
}

TEST(PathsTest, TheCurrentFolderChangesOnlyToAFolderThatIsThere) {
  test::TempDir dir;
  std::string before;
  ASSERT_EQ(currentDirectory(&before), 0);
  EXPECT_EQ(changeCurrentDirectory(dir.file("missing")), kErrorPathNotFound);
  EXPECT_EQ(changeCurrentDirectory(""), 0);
  std::string now;
  ASSERT_EQ(currentDirectory(&now), 0);
  EXPECT_EQ(now, before) << "a failed or empty change moved the current folder";
  ASSERT_EQ(changeCurrentDirectory(dir.path()), 0);
  ASSERT_EQ(currentDirectory(&now), 0);
  EXPECT_EQ(now, dir.path());
  ASSERT_EQ(changeCurrentDirectory(before), 0);
}

TEST(ClockTest, TimeOfDayAndDateAgreeWithTheLocalClock) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    time_t before = ::time(nullptr);
    std::int32_t hundredths = timeOfDayHundredths();
    CalendarDate date = today();
    time_t after = ::time(nullptr);
    if (before != after) continue;  // a second ticked over: look again
    tm local{};
    ::localtime_r(&before, &local);
    EXPECT_EQ(hundredths / 100, (local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec);
    EXPECT_GE(hundredths, 0);
    EXPECT_LT(hundredths, kHundredthsPerDay);
    EXPECT_EQ(date.year, local.tm_year + 1900);
    EXPECT_EQ(date.month, local.tm_mon + 1);
    EXPECT_EQ(date.day, local.tm_mday);
    return;
  }
  FAIL() << "the clock never held still for a moment";
}

TEST(ClockTest, MonotonicClockNeverGoesBack) {
  std::int64_t last = monotonicMilliseconds();
  for (int i = 0; i < 1000; ++i) {
    std::int64_t now = monotonicMilliseconds();
    ASSERT_GE(now, last);
    last = now;
  }
}

}  // namespace
}  // namespace linkar::platform
