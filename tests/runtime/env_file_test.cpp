// The environment file: line and list syntax, every key's effect, the
// "WINDOWS" environment, and files that are missing or malformed.
#include "runtime/env_file.h"

#include <gtest/gtest.h>

#include "runtime/char_tables.h"
#include "runtime/date.h"
#include "runtime/error_texts.h"
#include "runtime/expr_symbols.h"
#include "runtime/expr_value.h"
#include "runtime/intl.h"
#include "runtime/picture_format.h"
#include "tests/support/temp_dir.h"

namespace linkar::runtime {
namespace {

class EnvFileTest : public ::testing::Test {
protected:
    void SetUp() override { restore(); }
    void TearDown() override { restore(); }
    static void restore() {
        resetIntl();
        resetCharTables();
        clearMessageOverrides();
    }
};

const std::int32_t kJan5th1997 = composeDate(1997, 1, 5);

TEST_F(EnvFileTest, MessageOverrideReachesTheErrorTexts) {
    applyEnvironmentText("VELMSG37=Datei nicht offen\n");
    EXPECT_EQ(errorTextFor(37), "Datei nicht offen");
    // Commas belong to the text; a fully quoted text loses its quotes.
    applyEnvironmentText("  velmsg35 =  \"Satz, nicht gefunden\"  \r\nVELMSG2=a, b\r\n");
    EXPECT_EQ(errorTextFor(35), "Satz, nicht gefunden");
    EXPECT_EQ(errorTextFor(2), "a, b");
    EXPECT_EQ(errorTextFor(30), std::string(*tableTextFor(30)));
}

TEST_F(EnvFileTest, LinesKeysAndValuesAreBounded) {
    const std::string longText(300, 'x');
    applyEnvironmentText("VELMSG5=" + longText + "\nnot a setting\n=orphan\nVELNOTHING=1\n");
    EXPECT_EQ(*messageOverride(5), std::string(kMaxEnvValue, 'x'));
    // An overlong key is cut to 31 characters and so names no setting here.
    applyEnvironmentText("VELMSG7" + std::string(40, '0') + "=cut\n");
    EXPECT_FALSE(messageOverride(7).has_value());
    // A byte 0x1A ends the file.
    applyEnvironmentText(std::string("VELMSG8=kept\n\x1AVELMSG9=lost\n"));
    EXPECT_EQ(*messageOverride(8), "kept");
    EXPECT_FALSE(messageOverride(9).has_value());
    // Message numbers that are not numbers are passed over.
    applyEnvironmentText("VELMSGX=1\nVELMSG=2\nVELMSG-3=3\n");
    EXPECT_FALSE(messageOverride(3).has_value());
}

TEST_F(EnvFileTest, ListsWithQuotedItems) {
    EXPECT_EQ(splitEnvironmentList(" a , \"b, c\" ,d"),
              (std::vector<std::string>{"a", "b, c", "d"}));
    EXPECT_EQ(splitEnvironmentList("a,,b"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitEnvironmentList("\"open"), (std::vector<std::string>{"open"}));
    EXPECT_TRUE(splitEnvironmentList("").empty());
}

TEST_F(EnvFileTest, MonthNamesAbbreviationsAndDesignators) {
    applyEnvironmentText(
        "VELMONTH=januari,februari,maart,april,mei,juni,juli,augustus,september,oktober,"
        "november,december\n"
        "VELMON=jan,feb,mrt,apr,mei,jun,jul,aug,sep,okt,nov,dec\n"
        "VELAMPM=vm,nm\n");
    EXPECT_EQ(formatNumber(compilePicture("@D4"), kJan5th1997), "januari       5, 1997");
    EXPECT_EQ(formatNumber(compilePicture("@D8"), composeDate(1997, 3, 5)), " 5 mrt 1997");
    EXPECT_EQ(formatNumber(compilePicture("@T3"), 1 + 14 * 360000), " 2:00nm");
    applyEnvironmentText("VELAMPM=WINDOWS\n");
    EXPECT_EQ(intlSettings().am, intlSettings().windowsAm);
}

TEST_F(EnvFileTest, CollatingSequenceFromAList) {
    applyEnvironmentText("VELCOLSEQ=aAbB\n");
    EXPECT_LT(collationWeight('a'), collationWeight('A'));
    EXPECT_LT(collationWeight('A'), collationWeight('b'));
    EXPECT_LT(collationWeight('b'), collationWeight('B'));
    // The run stands where "A" stood; characters between move after it.
    EXPECT_LT(collationWeight('B'), collationWeight('C'));
    EXPECT_LT(collationWeight('@'), collationWeight('a'));
    EXPECT_LT(compareTexts("ab", "Ab"), 0);
    // Every order value is used once.
    std::array<int, 256> uses{};
    for (int c = 0; c < 256; ++c) ++uses[collationWeight(static_cast<std::uint8_t>(c))];
    for (int u : uses) EXPECT_EQ(u, 1);
}

TEST_F(EnvFileTest, WindowsCollationAndCaseTables) {
    applyEnvironmentText("VELCOLSEQ=WINDOWS\nVELCASE=WINDOWS\n");
    const auto e = static_cast<std::uint8_t>('e');
    const auto eAcute = static_cast<std::uint8_t>(0xE9);
    EXPECT_LT(collationWeight(e), collationWeight(eAcute));
    EXPECT_LT(collationWeight(eAcute), collationWeight('f'));
    EXPECT_LT(collationWeight('9'), collationWeight('a'));
    EXPECT_EQ(toUpper(eAcute), 0xC9);
    EXPECT_EQ(toLower(0xC9), eAcute);
    EXPECT_TRUE(isLower(0xDF));
    EXPECT_FALSE(isAlpha(0xD7));  // the multiplication sign
}

TEST_F(EnvFileTest, CasePairsAddToTheAsciiTables) {
    applyEnvironmentText("VELCASE=\xC9\xE9,\"\xC4\xE4\"\n");
    EXPECT_EQ(toUpper(0xE9), 0xC9);
    EXPECT_EQ(toUpper(0xE4), 0xC4);
    EXPECT_TRUE(isUpper(0xC4));
    EXPECT_EQ(toUpper('q'), 'Q');
}

TEST_F(EnvFileTest, DigraphsCollateAsOneCharacter) {
    EXPECT_LT(compareNames("CHX", "CZ"), 0);
    applyEnvironmentText("VELDIGRAPH=chD,toolong,x\n");
    ASSERT_EQ(intlSettings().digraphs.size(), 1u);
    EXPECT_GT(compareNames("CHX", "CZ"), 0);
    EXPECT_GT(compareNames("chx", "cz"), 0);
}

TEST_F(EnvFileTest, ButtonCaptionsOverrideTheButtonMessages) {
    applyEnvironmentText("VELBUTTON=&Ja,&Nee,Annuleren\n");
    EXPECT_EQ(*messageOverride(kButtonMessageBase), "&Ja");
    EXPECT_EQ(*messageOverride(kButtonMessageBase + 2), "Annuleren");
}

TEST_F(EnvFileTest, OemTextsAreConvertedToTheWindowsSet) {
    applyEnvironmentText("VELMSG1=\x82\nVELCHARSET=OEM\nVELMSG2=\x82t\x8E\n");
    EXPECT_EQ(*messageOverride(1), "\x82");  // before the switch: as it stands
    EXPECT_EQ(*messageOverride(2), "\xE9t\xC4");
    EXPECT_EQ(intlSettings().charset, CharacterSet::Oem);
}

TEST_F(EnvFileTest, FilesAndTheWindowsEnvironment) {
    test::TempDir dir;
    EXPECT_FALSE(loadEnvironmentFile(dir.file("missing.ENV")));
    EXPECT_EQ(errorTextFor(37), std::string(*tableTextFor(37)));
    ASSERT_TRUE(test::writeWholeFile(dir.file("a.ENV"), "VELMSG37=from file"));
    EXPECT_TRUE(loadEnvironmentFile(dir.file("a.ENV")));
    EXPECT_EQ(errorTextFor(37), "from file");
    setDesignators("x", "y");
    EXPECT_TRUE(loadEnvironmentFile("windows"));
    EXPECT_EQ(toUpper(0xE9), 0xC9);
    EXPECT_EQ(intlSettings().am, "AM");
}

}  // namespace
}  // namespace linkar::runtime
