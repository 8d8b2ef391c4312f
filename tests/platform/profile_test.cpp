// Profile (INI) files: reading with defaults, round trips through writing,
// case-blind names, broken and overlong lines, and atomic replacement.

#include <gtest/gtest.h>

#include <dirent.h>

#include <climits>
#include <string>

#include "platform/fault_injection.h"
#include "platform/file.h"
#include "platform/profile.h"
#include "tests/support/crash_points.h"
#include "tests/support/temp_dir.h"

namespace linkar::platform {
namespace {

using test::readWholeFile;
using test::writeWholeFile;

class ProfileTest : public ::testing::Test {
 protected:
  int entriesInFolder() {
    int n = 0;
    DIR* d = ::opendir(m_dir.path().c_str());
    while (dirent* e = ::readdir(d))
      if (e->d_name[0] != '.') ++n;
    ::closedir(d);
    return n;
  }
  test::TempDir m_dir;
  std::string m_path = m_dir.file("LINKAR.INI");
};

TEST_F(ProfileTest, WrittenWindowPlacesReadBack) {
  EXPECT_EQ(writeProfileString(m_path, "Main", "Maximize", "No"), 0);
  EXPECT_EQ(writeProfileString(m_path, "Main", "XPosit", "12"), 0);
  EXPECT_EQ(writeProfileString(m_path, "BrowseURL:K_Category", "XPosit", "40"), 0);
  EXPECT_EQ(writeProfileString(m_path, "Main", "YPosit", "7"), 0);
  EXPECT_EQ(readWholeFile(m_path),
            "[Main]\nMaximize=No\nXPosit=12\nYPosit=7\n\n[BrowseURL:K_Category]\nXPosit=40\n");
  EXPECT_EQ(readProfileString(m_path, "main", "XPOSIT", ""), "12");
  EXPECT_EQ(readProfileInt(m_path, "BROWSEurl:k_category", "xposit", 0), 40);
  EXPECT_EQ(readProfileString(m_path, "Main", "Width", "none"), "none");
  EXPECT_EQ(readProfileString(m_path, "Export", "XPosit", "none"), "none");
  // Replacing keeps the place and the file's spelling of the key.
  EXPECT_EQ(writeProfileString(m_path, "MAIN", "xposit", "300"), 0);
  EXPECT_EQ(readWholeFile(m_path),
            "[Main]\nMaximize=No\nXPosit=300\nYPosit=7\n\n[BrowseURL:K_Category]\nXPosit=40\n");
}

TEST_F(ProfileTest, MissingFileGivesDefaultsWithoutAnError) {
  setLastOsError(0);
  EXPECT_EQ(readProfileString(m_dir.file("none.ini"), "Main", "XPosit", "d"), "d");
  EXPECT_EQ(readProfileInt(m_dir.file("none.ini"), "Main", "XPosit", -3), -3);
  EXPECT_EQ(lastOsError(), 0);
}

TEST_F(ProfileTest, BlanksQuotesCommentsAndRepeatedSections) {
  ASSERT_TRUE(writeWholeFile(m_path,
                             "; a comment\n"
                             "  [ Main ]  \n"
                             "\tXPosit =  15 \n"
                             ";Width=1\n"
                             "Title=\"  spaced  \"\n"
                             "[Other]\n"
                             "XPosit=1\n"
                             "[main]\n"
                             "Width=99\n"
                             "XPosit=2\n"));
  EXPECT_EQ(readProfileString(m_path, "Main", "XPosit", ""), "15");
  EXPECT_EQ(readProfileString(m_path, "Main", "Title", ""), "  spaced  ");
  EXPECT_EQ(readProfileString(m_path, "Main", "Width", ""), "99");  // found in the repeat
  EXPECT_EQ(readProfileString(m_path, "Main", ";Width", "no"), "no");
}

TEST_F(ProfileTest, BrokenAndOverlongLinesArePassedOverAndKept) {
  const std::string overlong = "XPosit=" + std::string(kMaxProfileLine, '9');
  const std::string overlongHeader = "[Main" + std::string(kMaxProfileLine, ' ') + "]";
  const std::string original = "[Main\n"
                               "XPosit=5\n"
                               "[Main]\n"
                               "no equals sign\n"
                               "=no key\n" +
                               overlong + "\n" + "YPosit=6\n" + overlongHeader + "\n" +
                               "Width=7\n" + std::string("bin\0ary=1\n", 10);
  ASSERT_TRUE(writeWholeFile(m_path, original));
  // "XPosit=5" lies under a broken header, so belongs to no section.
  EXPECT_EQ(readProfileString(m_path, "Main", "XPosit", "missing"), "missing");
  EXPECT_EQ(readProfileInt(m_path, "Main", "YPosit", 0), 6);
  EXPECT_EQ(readProfileInt(m_path, "Main", "Width", 0), 7);  // the overlong header counted for nothing
  EXPECT_EQ(readProfileString(m_path, "Main", "", "d"), "d");

  ASSERT_EQ(writeProfileString(m_path, "Main", "Height", "8"), 0);
  EXPECT_EQ(readWholeFile(m_path), original + "Height=8\n");
}

TEST_F(ProfileTest, IntegersAreTruncatedAndSaturated) {
  ASSERT_TRUE(writeWholeFile(m_path,
                             "[N]\na=12.7\nb= -5\nc=abc\nd=99999999999999\ne=-99999999999999\n"
                             "f=+3x\ng=\n"));
  EXPECT_EQ(readProfileInt(m_path, "N", "a", 0), 12);
  EXPECT_EQ(readProfileInt(m_path, "N", "b", 0), -5);
  EXPECT_EQ(readProfileInt(m_path, "N", "c", 42), 42);
  EXPECT_EQ(readProfileInt(m_path, "N", "d", 0), INT_MAX);
  EXPECT_EQ(readProfileInt(m_path, "N", "e", 0), INT_MIN);
  EXPECT_EQ(readProfileInt(m_path, "N", "f", 0), 3);
  EXPECT_EQ(readProfileInt(m_path, "N", "g", 11), 11);
}

TEST_F(ProfileTest, NewKeysJoinTheirSectionAndLineEndsAreKept) {
  ASSERT_TRUE(writeWholeFile(m_path, "[A]\r\nx=1\r\n\r\n[B]\r\ny=2"));
  ASSERT_EQ(writeProfileString(m_path, "a", "z", "3"), 0);
  ASSERT_EQ(writeProfileString(m_path, "B", "w", "4"), 0);
  EXPECT_EQ(readWholeFile(m_path), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\nw=4\r\n");
}

TEST_F(ProfileTest, MixedAndStrayLineEndsSurviveARewrite) {
  const std::string original = "[A]\r\nx=1\n\r\n[B]\ny=2\r\r\n[C]\nz=3\r";
  ASSERT_TRUE(writeWholeFile(m_path, original));
  EXPECT_EQ(readProfileString(m_path, "B", "y", ""), "2");
  EXPECT_EQ(readProfileString(m_path, "C", "z", ""), "3");
  ASSERT_EQ(writeProfileString(m_path, "D", "w", "4"), 0);
  EXPECT_EQ(readWholeFile(m_path), original + "\r\n\r\n[D]\r\nw=4\r\n");
}

TEST_F(ProfileTest, EntriesThatWouldBreakTheFileAreRefused) {
  ASSERT_TRUE(writeWholeFile(m_path, "[A]\nx=1\n"));
  EXPECT_EQ(writeProfileString(m_path, "A", "x", "two\nlines"), kErrorInvalidParameter);
  EXPECT_EQ(writeProfileString(m_path, "A]", "x", "1"), kErrorInvalidParameter);
  EXPECT_EQ(writeProfileString(m_path, "A", "k=v", "1"), kErrorInvalidParameter);
  EXPECT_EQ(writeProfileString(m_path, "A", " ", "1"), kErrorInvalidParameter);
  EXPECT_EQ(writeProfileString(m_path, "", "x", "1"), kErrorInvalidParameter);
  EXPECT_EQ(writeProfileString(m_path, "A", ";x", "1"), kErrorInvalidParameter);
  EXPECT_EQ(writeProfileString(m_path, "A", "x", std::string(kMaxProfileLine, 'v')),
            kErrorInvalidParameter);
  EXPECT_EQ(readWholeFile(m_path), "[A]\nx=1\n");
}

TEST_F(ProfileTest, AFailedWriteLeavesTheOldFileWhole) {
  ASSERT_TRUE(writeWholeFile(m_path, "[A]\nx=1\n"));
  faults::FaultScope scope;
  faults::armFault(faults::Fault::FailWrite, 1);
  EXPECT_EQ(writeProfileString(m_path, "A", "x", "2"), kErrorWriteFault);
  faults::armFault(faults::Fault::FailFlush, 1);
  EXPECT_EQ(writeProfileString(m_path, "A", "x", "3"), kErrorWriteFault);
  EXPECT_EQ(readWholeFile(m_path), "[A]\nx=1\n");
  EXPECT_EQ(entriesInFolder(), 1) << "a temporary file was left behind";
}

TEST_F(ProfileTest, ACrashAnywhereInAWriteLeavesTheOldOrTheNewFile) {
  const std::string before = "[Main]\nXPosit=1\nYPosit=2\n";
  long points = test::forEachCrashPoint(
      [&] { ASSERT_TRUE(writeWholeFile(m_path, before)); },
      [&] { writeProfileString(m_path, "Main", "XPosit", "300"); },
      [&](const test::CrashPoint& point) {
        SCOPED_TRACE(point.describe());
        std::string after = readWholeFile(m_path);
        EXPECT_TRUE(after == before || after == "[Main]\nXPosit=300\nYPosit=2\n") << after;
        EXPECT_EQ(entriesInFolder(), 1) << "a temporary file was left behind";
      });
  EXPECT_EQ(points, 2);  // one write, one flush
}

TEST_F(ProfileTest, AFileThatIsNotAProfileIsHandledSafely) {
  std::string junk;
  for (int i = 0; i < 20000; ++i) junk.push_back(static_cast<char>((i * 7919) % 251));
  ASSERT_TRUE(writeWholeFile(m_path, junk));
  EXPECT_EQ(readProfileString(m_path, "Main", "XPosit", "d"), "d");
  ASSERT_EQ(writeProfileString(m_path, "Main", "XPosit", "1"), 0);
  EXPECT_EQ(readProfileInt(m_path, "Main", "XPosit", 0), 1);
  EXPECT_EQ(readWholeFile(m_path).substr(0, junk.size()), junk);
}

TEST_F(ProfileTest, AFolderInPlaceOfTheFileIsAnError) {
  EXPECT_EQ(readProfileString(m_dir.path(), "A", "x", "d"), "d");
  EXPECT_NE(writeProfileString(m_dir.path(), "A", "x", "1"), 0);
  EXPECT_NE(writeProfileString(m_dir.file("no/folder.ini"), "A", "x", "1"), 0);
}

TEST_F(ProfileTest, BareNamesLiveInTheConfigurationFolder) {
  test::EnvironmentScope config("XDG_CONFIG_HOME", m_dir.path().c_str());
  test::CurrentDirectoryScope cwd("/");
  ASSERT_EQ(writeProfileString("LINKAR.INI", "intl", "sTime", "."), 0);
  EXPECT_EQ(readWholeFile(m_dir.file("linkar/LINKAR.INI")), "[intl]\nsTime=.\n");
  EXPECT_EQ(readSystemProfileString("INTL", "stime", ":"), ".");
  EXPECT_EQ(readSystemProfileString("intl", "s1159", "AM"), "AM");
  std::string where;
  ASSERT_EQ(resolveProfileName("./LINKAR.INI", &where), 0);
  EXPECT_EQ(where, "./LINKAR.INI");
}

}  // namespace
}  // namespace linkar::platform
