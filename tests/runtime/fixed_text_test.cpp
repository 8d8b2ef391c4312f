// Fixed-length texts: cutting (UTF-8 safe), padding, comparisons that ignore
// trailing blanks, and the collated comparison through the character tables.
#include "runtime/fixed_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>

#include "runtime/char_tables.h"

namespace linkar::runtime {
namespace {

std::string assigned(size_t size, std::string_view text) {
    std::string buf(size, '#');
    assignFixed(buf.data(), size, text);
    return buf;
}

TEST(FixedTextAssign, PadsShortTextsWithBlanksAndCutsLongOnes) {
    EXPECT_EQ(assigned(6, "abc"), "abc   ");
    EXPECT_EQ(assigned(3, "abcdef"), "abc");
    EXPECT_EQ(assigned(4, ""), "    ");
    EXPECT_EQ(assigned(0, "abc"), "");
}

TEST(FixedTextAssign, NeverSplitsAValidUtf8Sequence) {
    // "é" is C3 A9, "€" is E2 82 AC, "😀" is F0 9F 98 80.
    EXPECT_EQ(assigned(2, "a\xC3\xA9"), "a ");
    EXPECT_EQ(assigned(3, "a\xC3\xA9"), "a\xC3\xA9");
    EXPECT_EQ(assigned(3, "a\xE2\x82\xAC"), "a  ");
    EXPECT_EQ(assigned(2, "a\xE2\x82\xAC"), "a ");
    EXPECT_EQ(assigned(4, "a\xE2\x82\xAC"), "a\xE2\x82\xAC");
    EXPECT_EQ(assigned(4, "\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(assigned(3, "\xF0\x9F\x98\x80"), "   ");
    EXPECT_EQ(assigned(5, "ab\xF0\x9F\x98\x80"), "ab   ");
}

TEST(FixedTextAssign, CutsInvalidBytesAsSingleCharacters) {
    // Windows-1252 bytes, a lone continuation byte and a truncated sequence
    // are not UTF-8: each byte is a character of its own.
    EXPECT_EQ(assigned(2, "a\xE9z"), "a\xE9");
    EXPECT_EQ(assigned(2, "a\x80\x80"), "a\x80");
    EXPECT_EQ(assigned(2, "a\xE2\x82"), "a\xE2");
    // Overlong and surrogate forms are not valid sequences either.
    EXPECT_EQ(assigned(2, "a\xC0\xAF"), "a\xC0");
    EXPECT_EQ(assigned(2, "a\xED\xA0\x80"), "a\xED");
    EXPECT_EQ(assigned(3, "a\xF4\x90\x80\x80"), "a\xF4\x90");
}

TEST(FixedTextAssign, Utf8SequenceLengthRecognisesOnlyWellFormedSequences) {
    EXPECT_EQ(utf8SequenceLength("\xC3\xA9", 0), 2u);
    EXPECT_EQ(utf8SequenceLength("\xE2\x82\xAC", 0), 3u);
    EXPECT_EQ(utf8SequenceLength("\xF4\x8F\xBF\xBF", 0), 4u);
    EXPECT_EQ(utf8SequenceLength("a", 0), 0u);
    EXPECT_EQ(utf8SequenceLength("\xE0\x80\x80", 0), 0u);
    EXPECT_EQ(utf8SequenceLength("\xC3", 0), 0u);
    EXPECT_EQ(utf8SequenceLength("\xC3\xA9", 5), 0u);
}

TEST(FixedTextAssign, EveryCutOfMixedTextIsMaximalAndSplitsNothing) {
    // Mixed pieces: ASCII, valid sequences of each length, and broken bytes.
    const std::string pieces[] = {"a", "Z", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                  "\xE9", "\x80", "\xE2\x82", "\xF5", "\xC0\xAF"};
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int count = 1 + next() % 12;
        for (int i = 0; i < count; ++i) text += pieces[next() % std::size(pieces)];
        for (size_t size = 0; size <= text.size() + 2; ++size) {
            const std::string out = assigned(size, text);
            const size_t kept = utf8SafeCut(text, size);
            ASSERT_LE(kept, size);
            ASSERT_EQ(out.substr(0, kept), text.substr(0, kept));
            ASSERT_EQ(out.substr(kept), std::string(size - kept, ' '));
            // No valid sequence starting before the cut runs past it.
            for (size_t start = 0; start < kept; ++start) {
                const size_t len = utf8SequenceLength(text, start);
                ASSERT_FALSE(len != 0 && start + len > kept) << "split at " << kept << " of size " << size;
            }
            // Nothing more could have been kept: either the limit or the
            // end of the text was reached, or a whole sequence was left out.
            if (kept < size && kept < text.size()) {
                const size_t len = utf8SequenceLength(text, kept);
                ASSERT_TRUE(len != 0 && kept + len > size) << "cut short at " << kept << " of size " << size;
            }
        }
    }
}

TEST(FixedTextCompare, IgnoresTrailingBlanksOnly) {
    EXPECT_EQ(compareFixed("ab", "ab   "), 0);
    EXPECT_EQ(compareFixed("", "    "), 0);
    EXPECT_NE(compareFixed(" ab", "ab"), 0);
    EXPECT_LT(compareFixed("ab", "abc"), 0);
    EXPECT_GT(compareFixed("abc ", "ab"), 0);
    EXPECT_LT(compareFixed("Ab", "ab"), 0);
}

TEST(FixedTextCompare, ShorterTextCountsAsBlankPadded) {
    // A byte below the blank sorts before the end of the shorter text.
    EXPECT_GT(compareFixed("ab", "ab\t"), 0);
    EXPECT_LT(compareFixed("ab\t", "ab"), 0);
    // Bytes compare unsigned.
    EXPECT_LT(compareFixed("a", "\xE9"), 0);
}

TEST(FixedTextCompare, TrimsAndViewsBuffers) {
    const char buf[6] = {'x', ' ', 'y', ' ', ' ', ' '};
    EXPECT_EQ(fixedView(buf, 6), "x y");
    EXPECT_EQ(trimLeadingBlanks("  a b "), "a b ");
    EXPECT_EQ(trimTrailingBlanks("   "), "");
}

TEST(FixedStringValue, AssignsComparesAndKeepsItsWidth) {
    FixedString<8> s;
    EXPECT_TRUE(s.isBlank());
    EXPECT_EQ(s.raw(), "        ");
    s = "bookmark.htm";
    EXPECT_EQ(s.raw(), "bookmark");
    s = "a.htm";
    EXPECT_EQ(s.raw(), "a.htm   ");
    EXPECT_EQ(s.view(), "a.htm");
    EXPECT_TRUE(s == "a.htm  ");
    FixedString<12> other("a.htm");
    EXPECT_EQ(compare(s, other.raw()), 0);
    EXPECT_LT(compare(s, "b"), 0);
}

TEST(FixedStringValue, SelfAssignmentFromItsOwnBufferIsSafe) {
    FixedString<10> s("  hello");
    s = s.view().substr(2);
    EXPECT_EQ(s.raw(), "hello     ");
}

class CollationTest : public ::testing::Test {
protected:
    void TearDown() override { resetCharTables(); }
};

TEST_F(CollationTest, DefaultsAreAsciiCaseAndByteOrder) {
    EXPECT_EQ(toUpper('a'), 'A');
    EXPECT_EQ(toLower('Z'), 'z');
    EXPECT_EQ(toUpper(0xE9), 0xE9);
    EXPECT_TRUE(isAlpha('q'));
    EXPECT_FALSE(isAlpha(0xE9));
    EXPECT_FALSE(isAlpha('1'));
    EXPECT_TRUE(isDigit('7'));
    EXPECT_TRUE(isUpper('Q'));
    EXPECT_FALSE(isUpper('q'));
    EXPECT_TRUE(isLower('q'));
    EXPECT_EQ(collationWeight(0x41), 0x41);
}

TEST_F(CollationTest, MapsLowerCaseBeforeComparingAndIgnoresTrailingBlanks) {
    EXPECT_EQ(collateCompare("news", "NEWS  "), 0);
    EXPECT_LT(collateCompare("apple", "Banana"), 0);
    EXPECT_GT(collateCompare("apples", "APPLE"), 0);
    EXPECT_LT(collateCompare("a", "a!"), 0);
}

TEST_F(CollationTest, FollowsAReplacedCollationAndCaseTable) {
    // Let 0xE9 be a lower-case letter whose capital 0xC9 sorts between E and F.
    CharTable classes = defaultClassTable();
    classes[0xE9] = kClassLower;
    classes[0xC9] = kClassUpper;
    setClassTable(classes);
    CharTable upper = defaultUpperTable();
    upper[0xE9] = 0xC9;
    setUpperTable(upper);
    CharTable order = defaultCollationTable();
    for (int c = 'F'; c <= 'Z'; ++c) order[c] = static_cast<uint8_t>(c + 1);
    order[0xC9] = 'F';
    setCollationTable(order);

    EXPECT_TRUE(isAlpha(0xE9));
    EXPECT_LT(collateCompare("E", "\xE9"), 0);
    EXPECT_LT(collateCompare("\xE9", "f"), 0);
    EXPECT_EQ(collateCompare("\xC9", "\xE9"), 0);

    char text[] = "caf\xE9";
    upperInPlace(text, 4);
    EXPECT_STREQ(text, "CAF\xC9");
}

TEST_F(CollationTest, SavedCopyKeepsTheOrderUntilSavedAgain) {
    CharTable reversed{};
    for (size_t i = 0; i < kCharTableSize; ++i) reversed[i] = static_cast<uint8_t>(255 - i);
    setCollationTable(reversed);
    EXPECT_EQ(savedCollationTable(), defaultCollationTable());
    EXPECT_GT(collateCompare("A", "B"), 0);
    saveCollationTable();
    EXPECT_EQ(savedCollationTable(), reversed);
    resetCharTables();
    EXPECT_EQ(collationTable(), defaultCollationTable());
    EXPECT_EQ(savedCollationTable(), defaultCollationTable());
}

}  // namespace
}  // namespace linkar::runtime
