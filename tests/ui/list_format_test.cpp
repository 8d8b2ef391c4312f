// List format strings: the columns the browses rely on, and the refusal of
// strings that do not follow the column grammar.

#include "ui/list_format.h"

#include <gtest/gtest.h>

namespace linkar::ui {
namespace {

TEST(ListFormat, BrowseLocationsFormatGivesFiveColumnsInOrder) {
  auto f = parseListFormat(
      "107L|M~Description~@S60@89L|M~Location~@S60@60L|M~Category~@S15@25L|M~Rating~@N2@40L|M~Keyword~@s10@");
  ASSERT_TRUE(f);
  ASSERT_EQ(f->columns.size(), 5u);
  const int widths[] = {107, 89, 60, 25, 40};
  const char* headers[] = {"Description", "Location", "Category", "Rating", "Keyword"};
  const char* pictures[] = {"@S60", "@S60", "@S15", "@N2", "@s10"};
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(f->columns[i].width, widths[i]);
    EXPECT_EQ(f->columns[i].header, headers[i]);
    EXPECT_EQ(f->columns[i].picture, pictures[i]);
    EXPECT_EQ(f->columns[i].justify, Justify::Left);
    EXPECT_FALSE(f->columns[i].indent.has_value());
    EXPECT_TRUE(f->columns[i].rightBorder);
    EXPECT_TRUE(f->columns[i].resizable);
  }
}

TEST(ListFormat, IndentAndHeaderJustificationAreKept) {
  auto f = parseListFormat("60L(0)|M~Category~@s15@20R(2)~&Rate~C(1)@N3@");
  ASSERT_TRUE(f);
  ASSERT_EQ(f->columns.size(), 2u);
  EXPECT_EQ(f->columns[0].indent, 0);
  EXPECT_EQ(f->columns[1].justify, Justify::Right);
  EXPECT_EQ(f->columns[1].indent, 2);
  EXPECT_FALSE(f->columns[1].rightBorder);
  EXPECT_EQ(f->columns[1].header, "&Rate");
  EXPECT_EQ(f->columns[1].headerJustify, Justify::Center);
  EXPECT_EQ(f->columns[1].headerIndent, 1);
  EXPECT_EQ(f->source, "60L(0)|M~Category~@s15@20R(2)~&Rate~C(1)@N3@");
}

TEST(ListFormat, ColumnsWithoutHeaderOrPicture) {
  auto f = parseListFormat("30L40R");
  ASSERT_TRUE(f);
  ASSERT_EQ(f->columns.size(), 2u);
  EXPECT_TRUE(f->columns[0].header.empty());
  EXPECT_TRUE(f->columns[1].picture.empty());
}

TEST(ListFormat, MalformedStringsAreRefusedWithAReason) {
  const char* bad[] = {"L|M~x~", "60L|M~Category", "60L|M~C~@s15", "60L(|M", "60L(3|M", "60Lx", "60L@@"};
  for (const char* text : bad) {
    SCOPED_TRACE(text);
    std::string why;
    EXPECT_FALSE(parseListFormat(text, &why));
    EXPECT_FALSE(why.empty());
  }
}

}  // namespace
}  // namespace linkar::ui
