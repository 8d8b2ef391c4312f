// Field lists, declared texts, record clearing and the view position text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "storage/layer/declarations.h"
#include "storage/layer/field_list.h"
#include "storage/layer/view_descriptor.h"

namespace linkar::storage {
namespace {

TEST(FieldList, BuiltListHasTheByteLayoutAndWalksBack)
{
    std::vector<uint8_t> list = FieldListBuilder().text("URL:LOCATION", 0, 128).decimal("URL:RATING", 203, 2, 0).build();
    std::vector<uint8_t> expected = {kListGroup, kListField, 0, 0, 0, 0};
    for (char c : std::string("URL:LOCATION"))
        expected.push_back(static_cast<uint8_t>(c));
    expected.insert(expected.end(), {0, kTypeString, 128, 0, 0, 0, 0});
    expected.insert(expected.end(), {kListField, 203, 0, 0, 0});
    for (char c : std::string("URL:RATING"))
        expected.push_back(static_cast<uint8_t>(c));
    expected.insert(expected.end(), {0, kTypeDecimal, 2, 0, kListEnd});
    EXPECT_EQ(list, expected);

    FieldList fields;
    ASSERT_EQ(parseFieldList(list.data(), fields), 0);
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].label, "URL:LOCATION");
    EXPECT_EQ(fields[0].size, 128u);
    EXPECT_TRUE(fields[0].isText());
    EXPECT_EQ(fields[1].offset, 203u);
    EXPECT_EQ(fields[1].type, kTypeDecimal);
    EXPECT_EQ(fields[1].size, 2u);
}

TEST(FieldList, ArraysMultiplyTheSizeAndDamagedListsAreRefused)
{
    std::vector<uint8_t> list = FieldListBuilder().array(3).array(2).number("T:N", 0, kTypeLong).build();
    FieldList fields;
    ASSERT_EQ(parseFieldList(list.data(), fields), 0);
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].totalSize(), 24u);

    EXPECT_EQ(parseFieldList(nullptr, fields), 75);
    std::vector<uint8_t> noGroup(list.begin() + 1, list.end());
    EXPECT_EQ(parseFieldList(noGroup.data(), fields), 75);
    // Cut short anywhere, the walk stops at the limit instead of running on.
    for (size_t cut = 1; cut < list.size(); ++cut)
        EXPECT_EQ(parseFieldList(list.data(), fields, cut), 75) << "cut at " << cut;
    std::vector<uint8_t> unknownType = list;
    unknownType[unknownType.size() - 2] = 0x7E;
    EXPECT_EQ(parseFieldList(unknownType.data(), fields), 75);
}

TEST(FieldList, ClearingARecordBlanksTextsAndZeroesNumbers)
{
    std::vector<uint8_t> list = FieldListBuilder()
                                    .text("R:NAME", 0, 5)
                                    .decimal("R:RATING", 5, 2, 0)
                                    .number("R:COUNT", 7, kTypeLong)
                                    .text("R:C", 11, 3, kTypeCString)
                                    .build();
    FieldList fields;
    ASSERT_EQ(parseFieldList(list.data(), fields), 0);
    uint8_t record[15];
    std::memset(record, 0xAB, sizeof record);
    clearRecord(record, 14, fields);
    const uint8_t expected[15] = {' ', ' ', ' ', ' ', ' ', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xAB};
    EXPECT_EQ(0, std::memcmp(record, expected, sizeof record)) << "the byte past the record is untouched";
}

TEST(DeclaredText, LengthConventions)
{
    EXPECT_EQ(declaredText("LINKAR", 6), "LINKAR");
    char variable[12] = "bookmark.h ";
    EXPECT_EQ(declaredText(variable, 11), "bookmark.h");
    char padded[8] = {'a', 'b', ' ', ' ', ' ', ' ', ' ', ' '};
    EXPECT_EQ(declaredText(padded, 8), "ab");
    EXPECT_EQ(declaredText("abc", kTextNulTerminated), "abc");
    EXPECT_EQ(declaredText("\x02xyz", kTextLengthPrefixed), "xy");
    EXPECT_EQ(declaredText(nullptr, 5), "");
}

TEST(ViewPosition, RoundTripAndTheRulesThatRefuseAText)
{
    ViewPosition p;
    p.order = 2;
    p.parts = {"abc", "", std::string("\0\1", 2)};
    std::string text = encodeViewPosition(p);
    EXPECT_EQ(text.size(), 4u + 4 + 3 + 4 + 4 + 2);
    ViewPosition back;
    ASSERT_EQ(decodeViewPosition(text, 5, 3, back), 0);
    EXPECT_EQ(back.order, 2);
    EXPECT_EQ(back.parts, p.parts);

    EXPECT_EQ(decodeViewPosition(text.substr(0, 3), 5, 3, back), 81) << "shorter than 4 bytes";
    EXPECT_EQ(decodeViewPosition(text, 1, 3, back), 81) << "order above the key count";
    EXPECT_EQ(decodeViewPosition(text.substr(0, text.size() - 1), 5, 3, back), 81) << "length past the end";
    std::string huge = text;
    huge[4] = '\xFF';
    huge[7] = '\x7F';
    EXPECT_EQ(decodeViewPosition(huge, 5, 3, back), 81);
    EXPECT_EQ(decodeViewPosition(text.substr(0, 4), 0, 0, back), 81) << "order 2 with no keys";
}

}  // namespace
}  // namespace linkar::storage
