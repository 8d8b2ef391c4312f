// International settings: pictures 17, 18, 7 and 8 built from the Windows
// keys (from LINKAR.INI's [intl] section or the defaults), the designators,
// and the start-up sequence with its environment file.
#include "runtime/intl.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <map>

#include "runtime/char_tables.h"
#include "runtime/date.h"
#include "runtime/error_texts.h"
#include "runtime/picture_format.h"
#include "runtime/picture_layout.h"
#include "tests/support/temp_dir.h"

namespace linkar::runtime {
namespace {

class IntlTest : public ::testing::Test {
protected:
    void SetUp() override { restore(); }
    void TearDown() override { restore(); }
    static void restore() {
        resetIntl();
        resetCharTables();
        clearMessageOverrides();
    }
};

IntlProfileReader readerOf(std::map<std::string, std::string> keys) {
    return [keys = std::move(keys)](std::string_view key) -> std::optional<std::string> {
        const auto it = keys.find(std::string(key));
        if (it == keys.end()) return std::nullopt;
        return it->second;
    };
}

const std::int32_t kJan5th1997 = composeDate(1997, 1, 5);
const double kAfternoon = 1 + (14 * 3600 + 5 * 60 + 9) * 100;

TEST_F(IntlTest, ShortDateWithDotsBuildsPicture17) {
    applyWindowsSettings(readerOf({{"sShortDate", "dd.MM.yyyy"}}));
    const PictureTemplate t = windowsDateTemplate(false);
    const PictureTemplate expected = {
        {'0', kPosDayDigit},   {'0', kPosDayDigit},   {'.', kPosSeparator},
        {'0', kPosMonthDigit}, {'0', kPosMonthDigit}, {'.', kPosSeparator},
        {'0', kPosYearDigit},  {'0', kPosYearDigit},  {'0', kPosYearDigit},
        {'0', kPosYearDigit}};
    EXPECT_EQ(t, expected);
    EXPECT_EQ(formatNumber(compilePicture("@D17"), kJan5th1997), "05.01.1997");
    EXPECT_EQ(dateLayoutText(17), "dd.mm.yyyy");
}

TEST_F(IntlTest, DefaultWindowsDatesAndLongDateParts) {
    applyWindowsSettings({});
    EXPECT_EQ(formatNumber(compilePicture("@D17"), kJan5th1997), "01/05/97");
    // The leading day of the week and the ", " after it are dropped.
    EXPECT_EQ(formatNumber(compilePicture("@D18"), kJan5th1997), "January   05, 1997");
    applyWindowsSettings(readerOf({{"sShortDate", "d/M/yy"}, {"sLongDate", "dddd d 'de' MMMM 'de' yyyy"}}));
    EXPECT_EQ(formatNumber(compilePicture("@D17"), kJan5th1997), " 5/ 1/97");
    EXPECT_EQ(formatNumber(compilePicture("@D18"), kJan5th1997), " 5 de January   de 1997");
    applyWindowsSettings(readerOf({{"sShortDate", "yyyy-MMM-dd"}}));
    EXPECT_EQ(formatNumber(compilePicture("@D17"), kJan5th1997), "1997-Jan-05");
    // A separator choice applies to the Windows separators too.
    applyWindowsSettings(readerOf({{"sShortDate", "dd.MM.yyyy"}}));
    EXPECT_EQ(formatNumber(compilePicture("@D17-"), kJan5th1997), "05-01-1997");
}

TEST_F(IntlTest, TimePicture7FromTwelveHourKeysWithoutLeadingZero) {
    applyWindowsSettings(readerOf({{"iTime", "0"}, {"iTLzero", "0"}, {"sTime", "."}}));
    const PictureTemplate expected = {
        {' ', kPosHourDigit},   {'0', kPosHourDigit},   {'.', kPosSeparator},
        {'0', kPosMinuteDigit}, {'0', kPosMinuteDigit}, {' ', kPosFixed},
        {0, kPosDesignator},    {'M', kPosFixed}};
    EXPECT_EQ(windowsTimeTemplate(false), expected);
    EXPECT_EQ(formatNumber(compilePicture("@T7"), kAfternoon), " 2.05 PM");
    EXPECT_EQ(formatNumber(compilePicture("@T8"), kAfternoon), " 2.05.09 PM");
    EXPECT_EQ(timeLayoutText(7), "Hh.mm PM");
}

TEST_F(IntlTest, TwentyFourHourClockAndDesignators) {
    applyWindowsSettings(readerOf({{"iTime", "1"}, {"s1159", "vm"}, {"s2359", "nm"}}));
    EXPECT_EQ(formatNumber(compilePicture("@T7"), kAfternoon), "14:05");
    // The Windows designators are read but only used when the environment asks.
    EXPECT_EQ(intlSettings().windowsAm, "vm");
    EXPECT_EQ(intlSettings().am, "AM");
    EXPECT_EQ(formatNumber(compilePicture("@T3"), kAfternoon), " 2:05PM");
}

TEST_F(IntlTest, StartupReadsLinkarIniAndTheEnvironmentFile) {
    test::TempDir dir;
    ASSERT_TRUE(test::writeWholeFile(dir.file("LINKAR.INI"),
                                     "[Main]\nX=1\n[intl]\nsShortDate=dd.MM.yyyy\ns1159=vm\ns2359=nm\n"));
    ASSERT_TRUE(test::writeWholeFile(dir.file("linkar.ENV"),
                                     "VELMSG37=Bestand niet open\nVELAMPM=WINDOWS\n"));
    CharTable changed = collationTable();
    std::swap(changed['a'], changed['b']);
    setCollationTable(changed);
    startIntl(profileIntlReader(dir.file("LINKAR.INI")), dir.file("linkar.bin"));
    EXPECT_EQ(formatNumber(compilePicture("@D17"), kJan5th1997), "05.01.1997");
    EXPECT_EQ(errorTextFor(37), "Bestand niet open");
    EXPECT_EQ(intlSettings().am, "vm");
    // The collation in force before the environment file is the saved copy.
    EXPECT_EQ(savedCollationTable()['a'], changed['a']);
}

TEST_F(IntlTest, ReaderFindsLinkarIniInTheConfigurationFolder) {
    test::TempDir dir;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    ASSERT_EQ(::mkdir(dir.file("linkar").c_str(), 0700), 0);
    ASSERT_TRUE(test::writeWholeFile(dir.file("linkar/LINKAR.INI"), "[INTL]\r\nsShortDate=yyyy-MM-dd\r\n"));
    applyWindowsSettings(linkarIniIntlReader());
    if (old != nullptr) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(formatNumber(compilePicture("@D17"), kJan5th1997), "1997-01-05");
}

TEST_F(IntlTest, StartupWithoutFilesKeepsTheDefaults) {
    test::TempDir dir;
    startIntl(profileIntlReader(dir.file("LINKAR.INI")), dir.file("linkar"));
    EXPECT_EQ(formatNumber(compilePicture("@D17"), kJan5th1997), "01/05/97");
    EXPECT_EQ(formatNumber(compilePicture("@T7"), kAfternoon), "02:05 PM");
    EXPECT_EQ(errorTextFor(37), std::string(*tableTextFor(37)));
}

TEST_F(IntlTest, EnvironmentFileIsNamedAfterTheProgram) {
    EXPECT_EQ(environmentFileFor("/opt/linkar/linkar"), "/opt/linkar/linkar.ENV");
    EXPECT_EQ(environmentFileFor("/opt/linkar/LINKAR.EXE"), "/opt/linkar/LINKAR.ENV");
    EXPECT_EQ(environmentFileFor("/opt/v1.2/linkar"), "/opt/v1.2/linkar.ENV");
    EXPECT_EQ(environmentFileFor("linkar.x.y"), "linkar.x.ENV");
}

TEST_F(IntlTest, MonthNamesAndDesignatorsAreCut) {
    setMonthName(1, "Januarius-Maximus");
    setMonthAbbrev(1, "Janu");
    setDesignators("a.m.", "p.m.");
    EXPECT_EQ(intlSettings().monthNames[0], "Januarius-Ma");
    EXPECT_EQ(intlSettings().monthAbbrevs[0], "Jan");
    EXPECT_EQ(intlSettings().am, "a.");
    EXPECT_EQ(formatNumber(compilePicture("@D4"), kJan5th1997), "Januarius-Ma  5, 1997");
}

}  // namespace
}  // namespace linkar::runtime
