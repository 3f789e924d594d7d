#include "support/error_text.h"

#include <gtest/gtest.h>

#include <string>

namespace brimvel {
namespace {

TEST(ErrorTextTest, FixedTextsAndFallback) {
  struct Case {
    std::int32_t code;
    std::string expected;
  };
  const Case cases[] = {
      {0, "allright"},
      {2, "File C:\\IN\\*.ZIP not found"},
      {3, "Path to file C:\\IN\\*.ZIP not found"},
      {5, "Access to file C:\\IN\\*.ZIP denied"},
      {6, "Invalid handle"},
      {8, "Not enough memory"},
      {10, "Invalid environment"},
      {11, "Invalid format"},
      {18, "No more files"},
      {32, "Unknown error... =) Error#32, while working with C:\\IN\\*.ZIP"},
      {-1, "Unknown error... =) Error#-1, while working with C:\\IN\\*.ZIP"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorText(c.code, "C:\\IN\\*.ZIP"), c.expected);
}

TEST(ErrorTextTest, LongNamesAreCutAt255) {
  const std::string name(300, 'n');
  ShortString text = ErrorText(3, name);
  EXPECT_EQ(text, "Path to file " + name.substr(0, 255 - 13));
}

}  // namespace
}  // namespace brimvel
