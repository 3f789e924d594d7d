#include "support/short_string.h"

#include <gtest/gtest.h>

#include <string>

namespace brimvel {
namespace {

TEST(ShortStringTest, StoringCutsAt255) {
  const std::string longText = std::string(200, 'a') + std::string(100, 'b');
  ShortString stored = longText;
  EXPECT_EQ(stored.size(), 255u);
  EXPECT_EQ(stored, longText.substr(0, 255));

  ShortString exact = std::string(255, 'c');
  EXPECT_EQ(exact.size(), 255u);
}

TEST(ShortStringTest, JoiningCutsAt255InEveryForm) {
  const std::string a(200, 'a'), b(100, 'b');
  const std::string expected = a + b.substr(0, 55);
  EXPECT_EQ(ShortString(a) + ShortString(b), expected);
  EXPECT_EQ(ShortString(a) + b, expected);
  EXPECT_EQ(ShortString(a) + b.c_str(), expected);
  EXPECT_EQ(a.c_str() + ShortString(b), expected);
  EXPECT_EQ(std::string_view(a) + ShortString(b), expected);

  ShortString full = std::string(255, 'x');
  full += "more";
  EXPECT_EQ(full, std::string(255, 'x'));
}

TEST(ShortStringTest, AnyByteMayOccurAndLengthTakesPartInEquality) {
  const std::string bytes("\0\xFF\x1A", 3);
  ShortString text = bytes;
  EXPECT_EQ(text.size(), 3u);
  EXPECT_EQ(text, bytes);
  EXPECT_FALSE(ShortString("ab") == std::string_view("ab\0", 3));
  EXPECT_FALSE(ShortString("ab") == "abc");
}

}  // namespace
}  // namespace brimvel
