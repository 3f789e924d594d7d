#include "support/string_utils.h"

#include <gtest/gtest.h>

#include <string>

namespace brimvel {
namespace {

struct TextCase {
  std::string input;
  std::string expected;
};

TEST(UpperTextTest, UpperCasesLatinAndCode866CyrillicOnly) {
  // Each byte at the edge of a mapped range, next to its neighbour outside it.
  const TextCase cases[] = {
      {"abc-xyz", "ABC-XYZ"},
      {"`az{", "`AZ{"},
      {"\x7F\x80\x9F", "\x7F\x80\x9F"},
      {"\xA0\xAF", "\x80\x8F"},          // small a .. pe
      {"\xB0\xC4\xDF", "\xB0\xC4\xDF"},  // pseudo-graphics
      {"\xE0\xEF", "\x90\x9F"},          // small er .. ya
      {"\xF0\xF1\xFF", "\xF0\xF1\xFF"},  // yo is not upper-cased
      {std::string("a\0b", 3), std::string("A\0B", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(UpperText(c.input), c.expected) << c.input;
}

TEST(WordHelpersTest, FirstWordAfterFirstWordAndTrim) {
  const TextCase first[] = {
      {"   POSTPROG  run.exe @File", "POSTPROG"},
      {"", ""},
      {"    ", ""},
      {"AREA\tX", "AREA\tX"},  // a tab does not separate words
      {"one", "one"},
  };
  for (const auto& c : first) EXPECT_EQ(FirstWord(c.input), c.expected) << c.input;

  const TextCase after[] = {
      {"POSTPROG   run.exe  @File ", "run.exe  @File "},
      {"AREA", "AREA"},  // a one-word text yields the word itself
      {"  AREA", "AREA"},
      {"AREA ", ""},
      {"", ""},
      {"   ", ""},
  };
  for (const auto& c : after) EXPECT_EQ(AfterFirstWord(c.input), c.expected) << c.input;

  const TextCase trim[] = {{"     ", ""}, {"  a b ", "a b "}, {"\ta", "\ta"}, {"", ""}};
  for (const auto& c : trim) EXPECT_EQ(TrimLeadingBlanks(c.input), c.expected) << c.input;

  // The word is a view into the text, not cut at 255.
  const std::string longWord(300, 'w');
  const std::string longLine = "  " + longWord + " x";
  EXPECT_EQ(FirstWord(longLine), longWord);
}

TEST(WordHelpersTest, SameUpperComparesAKeywordWithoutRegardToCase) {
  struct Case {
    std::string text, keyword;
    bool same;
  };
  const Case cases[] = {
      {"area", "AREA", true},   {"ArEa", "AREA", true},
      {"AREAS", "AREA", false}, {"ARE", "AREA", false},
      {"AREA ", "AREA", false}, {"\xA0\xE0", "\x80\x90", true},  // Cyrillic small a and er
      {"\xF1", "\xF0", false},  // yo has no capital in the upper-casing
  };
  for (const auto& c : cases)
    EXPECT_EQ(SameUpper(c.text, c.keyword), c.same) << c.text << " / " << c.keyword;
}

TEST(WordHelpersTest, ArgumentText) {
  const TextCase cases[] = {
      {"SIZE 100", "100"},
      {"SIZE   100 200", "100 200"},
      {"DIRECTORY \"my files\" -stay", "my files"},
      {"DESC \"open ended", "open ended"},
      {"SIZE", "SIZE"},
      {"A \"\" B", ""},
      {"FILE " + std::string(300, 'x'), std::string(300, 'x')},
  };
  for (const auto& c : cases) EXPECT_EQ(ArgumentText(c.input), c.expected) << c.input;
}

TEST(OptionHelpersTest, GetOptionValue) {
  struct Case {
    std::string name, text, expected;
  };
  const std::string kept = "preset";
  const Case cases[] = {
      {"-CFG", " -CFG my.cfg", "my.cfg"},
      {"-CFG", " -area X -cfg other.cfg", "other.cfg"},
      {"-cfg", "-Cfg Mixed.CFG", "Mixed.CFG"},
      {"-CFG", "-cfg first.cfg -CFG second.cfg", "first.cfg"},
      {"-CFG", " -CFGmy.cfg", kept},
      {"-CFG", "x.zip -CFG=x.cfg", kept},
      {"-CFG", "-CFG\tx.cfg", kept},
      {"-CFG", " -CFG", ""},
      {"-CFG", " -CFG  ", ""},
      {"-CFG", " -AREA -CFG", kept},  // the name ends the text
      {"-CFG", "-AREA x", kept},
      {"-DESC", "-desc Hello world", "Hello"},
      {"-DESC", "-desc \"Hello world\" -stay", "Hello world"},
      {"-DESC", "-stay -desc \"Hello world", "Hello world"},
      {"-DESC", "-desc \"\" -stay", ""},
  };
  for (const auto& c : cases) {
    std::string value = kept;
    GetOptionValue(c.name, value, c.text);
    EXPECT_EQ(value, c.expected) << c.name << " in '" << c.text << "'";
  }
}

TEST(TextToNumberTest, ValuesAndErrorPositions) {
  constexpr int kAnyNonZero = -1;
  struct Case {
    std::string text;
    std::int32_t number;
    int errorPos;
  };
  const Case cases[] = {
      {" 42", 42, 0},
      {"-7", -7, 0},
      {"+7", 7, 0},
      {"$1F", 31, 0},
      {"$1f", 31, 0},
      {"-$10", -16, 0},
      {"2147483647", 2147483647, 0},
      {"$FFFFFFFF", -1, 0},
      {"42 ", 0, 3},  // a trailing blank is a bad character
      {"12a", 0, 3},
      {"1A", 0, 2},  // hexadecimal digits need the '$'
      {"$G", 0, 2},
      {"  x", 0, 3},  // leading blanks are counted
      {"\t5", 0, 1},  // a tab is not a blank
      {"- 5", 0, 2},
      {"0x10", 0, 2},
      {"", 0, kAnyNonZero},
      {"   ", 0, kAnyNonZero},
      {"-", 0, kAnyNonZero},
      {"$", 0, kAnyNonZero},
      {"2147483648", 0, kAnyNonZero},
      {"-2147483648", 0, kAnyNonZero},  // the magnitude is limited, not the value
      {"$100000000", 0, kAnyNonZero},
  };
  for (const auto& c : cases) {
    int errorPos = 12345;
    EXPECT_EQ(TextToNumber(c.text, errorPos), c.number) << "'" << c.text << "'";
    if (c.errorPos == kAnyNonZero) {
      EXPECT_NE(errorPos, 0) << "'" << c.text << "'";
    } else {
      EXPECT_EQ(errorPos, c.errorPos) << "'" << c.text << "'";
    }
  }
}

}  // namespace
}  // namespace brimvel
