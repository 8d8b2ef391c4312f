// Display and input checking of picture-formatted controls: what the
// accept-all pass and typed entries rely on.

#include "ui/picture_field.h"

#include <gtest/gtest.h>

namespace linkar::ui {
namespace {

TEST(PictureInput, RatingPictureTakesTwoDigitsAndRefusesThree) {
  EXPECT_EQ(deformatInput("7", "@N2"), "7");
  EXPECT_EQ(deformatInput(" 42 ", "@N2"), "42");
  EXPECT_EQ(deformatInput("", "@N2"), "0");
  EXPECT_EQ(deformatInput("007", "@N2"), "7");  // leading zeros take no room
  EXPECT_FALSE(deformatInput("123", "@N2"));
  EXPECT_FALSE(deformatInput("1a", "@N2"));
  EXPECT_FALSE(deformatInput("abc", "@N2"));
}

TEST(PictureInput, TextPicturesCutToTheirLength) {
  EXPECT_EQ(deformatInput("abcdefghijkl", "@s10"), "abcdefghij");
  EXPECT_EQ(deformatInput("short", "@S60"), "short");
  EXPECT_EQ(deformatInput("anything", ""), "anything");
}

TEST(PictureInput, PagePictureTakesWholePagesThatFit) {
  EXPECT_EQ(deformatInput("12", "@n5"), "12");
  EXPECT_FALSE(deformatInput("123456", "@n5"));
}

TEST(PictureDisplay, NumbersAreRightAlignedInTheirWidth) {
  EXPECT_EQ(formatForDisplay("7", "@N2"), " 7");
  EXPECT_EQ(formatForDisplay("45", "@N3"), " 45");
  EXPECT_EQ(formatForDisplay("123", "@N2"), "##");
  EXPECT_EQ(formatForDisplay("", "@N2"), " 0");
}

TEST(PictureDisplay, TextIsCutAndPatternsFillTheirPositions) {
  EXPECT_EQ(formatForDisplay("abcdefghijkl", "@s10"), "abcdefghij");
  EXPECT_EQ(formatForDisplay("7", "@pPage <<<#p"), "Page    7");
  EXPECT_EQ(formatForDisplay("1234", "@pPage <<<#p"), "Page 1234");
  EXPECT_EQ(formatForDisplay("x", "@Q9"), "x");  // an invalid picture shows the value
}

}  // namespace
}  // namespace linkar::ui
