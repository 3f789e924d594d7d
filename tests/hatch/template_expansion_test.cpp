#include "hatch/template_expansion.h"

#include <gtest/gtest.h>

#include <string>

namespace brimvel {
namespace {

const std::string kLfCr = "\n\r";
const std::string kCr = "\r";

std::string Blanks(std::size_t n) { return std::string(n, ' '); }

TEST(FieldFormatTest, Table) {
  struct Row {
    std::string templateText;
    std::string value;
    std::string expected;
  };
  const std::string news = "Weekly news";  // 11 characters
  const Row rows[] = {
      {"File @Desc(20,L)|", news, "File Weekly news" + Blanks(9) + "|"},
      {"File @Desc(20)|", news, "File " + Blanks(9) + "Weekly news|"},
      {"File @Desc(20,R)|", news, "File " + Blanks(9) + "Weekly news|"},
      {"File @Desc(20,x)|", news, "File " + Blanks(9) + "Weekly news|"},
      {"File @Desc(20,)|", news, "File " + Blanks(9) + "Weekly news|"},
      {"File @Desc( 20 , l )|", news, "File Weekly news" + Blanks(9) + "|"},
      {"File @Desc($14,Left)|", news, "File Weekly news" + Blanks(9) + "|"},
      // Cutting keeps one character less than the width, then fills.
      {"File @Desc(8,L*)|", news, "File Weekly  |"},
      {"File @Desc(8,R*)|", news, "File  Weekly |"},
      {"File @Desc(8,*L)|", news, "File  Weekly |"},  // '*' anywhere; 'L' not first
      {"File @Desc(11,L*)|", news, "File Weekly news|"},
      {"File @Desc(1,L*)|", news, "File  |"},
      {"File @Desc(0,L*)|", news, "File Weekly news|"},
      {"File @Desc(8)|", news, "File Weekly news|"},
      {"File @Desc(8*)|", news, "File Weekly news|"},
      {"File @Desc(20 )|", news, "File Weekly news|"},
      // Centred: the blanks are shared, the first (and odd) one goes behind.
      {"[@Desc(5,C)]", "ab", "[ ab  ]"},
      {"[@Desc(6,c)]", "ab", "[  ab  ]"},
      {"[@Desc(4,C)]", "abc", "[abc ]"},
      {"[@Desc(6,C*)]", news, "[Weekl ]"},
      // Widths beyond what a text can hold are clamped to 0..255.
      {"@Desc(-1)", "x", "x"},
      {"@Desc(-5,L*)", news, news},
      {"@Desc(300)", "x", Blanks(254) + "x"},
      {"@Desc(256,L)", "x", "x" + Blanks(254)},
      {"@Desc(255,L)", "x", "x" + Blanks(254)},
      {"File @Desc(300,L)|", "x", "File x" + Blanks(254) + "|"},
      // The format is removed whatever it says; a blank makes it plain text.
      {"Info @Desc(see below)", "x", "Info x"},
      {"Info @Desc (see below)", "x", "Info x (see below)"},
      // An unclosed format is read, and kept behind the value as well.
      {"Info @Desc(20,L", news, "Info Weekly news" + Blanks(9) + "20,L"},
      {"Info @Desc(", "x", "Info x"},
      {"@Desc(3)", "", Blanks(3)},
      {"A @desc B @DESC C", "x", "A x B x C"},
      {"A @Desc(3,L)B @Desc(2)C", "x", "A x  B  xC"},
      {"@Description", "x", "xription"},
      {"No macro here (3)", "x", "No macro here (3)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("'" + row.templateText + "' with '" + row.value + "'");
    EXPECT_EQ(ExpandTemplate(row.templateText, row.value, "@Desc"), row.expected);
  }
}

TEST(EscapeTest, Table) {
  struct Row {
    std::string templateText;
    std::string expected;
  };
  const Row rows[] = {
      {"one\\ntwo\\Kthree", "one" + kLfCr + "two" + kCr + "three"},
      {"A@Space(5)B", "A" + Blanks(5) + "B"},
      {"A@Space(0)B", "A B"},
      {"A@SPACEB", "A B"},
      {"a\\N\\kb", "a" + kLfCr + kCr + "b"},
      {"\\n(3,L)|", kLfCr + " |"},
      {"\\\\n", "\\" + kLfCr},
      {"plain \\x text", "plain \\x text"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.templateText);
    EXPECT_EQ(ExpandTemplate(row.templateText, "unused", ""), row.expected);
  }
}

TEST(NumberOrZeroTest, Table) {
  struct Row {
    const char* text;
    std::int32_t expected;
  };
  const Row rows[] = {
      {"20", 20},        {" 20", 20},  {"+20", 20}, {"-1", -1},
      {"$14", 20},       {"$ff", 255}, {"20 ", 0},  {"8*", 0},
      {"", 0},           {"L", 0},     {"$", 0},    {"2147483647", 2147483647},
      {"2147483648", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(NumberOrZero(row.text), row.expected);
  }
}

TEST(FormatFieldTest, ReplacesTheFormatAtThePosition) {
  TemplateText text = TemplateText::FromTemplate("ab(3,L)cd");
  FormatField(text, 2, "x");
  EXPECT_EQ(text.text, "abx  cd");
}

// Whatever is put in for a macro is never examined again, neither by the same
// replacement nor by a later one.
TEST(InsertedTextTest, IsNeverExpandedAgain) {
  struct Row {
    std::string name;
    std::string templateText;
    std::string value;
    std::string expected;
  };
  const Row rows[] = {
      {"own name", "A @Desc B @desc", "x@DESCy", "A x@DESCy B x@DESCy"},
      {"own name only", "@Desc", "@Desc", "@Desc"},
      {"escape", "[@Desc]", "one\\ntwo", "[one\\ntwo]"},
      {"space escape", "[@Desc]", "a@Spaceb", "[a@Spaceb]"},
      {"parenthesis", "[@Desc]", "(3)", "[(3)]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ExpandTemplate(row.templateText, row.value, "@Desc"), row.expected);
  }
}

TEST(InsertedTextTest, LaterStepsLeaveEarlierValuesAlone) {
  TemplateText t = TemplateText::FromTemplate("P @File @Area @Desc@Option");
  t = ExpandTemplate(t, "C:\\NEWS\\K@Area@Space(9)", "@File");
  t = ExpandTemplate(t, "@Option", "@Area");
  // The value put in directly behind @Desc is no format for it.
  t = ExpandTemplate(t, "(20,L*)", "@Option");
  t = ExpandTemplate(t, "d", "@Desc");
  EXPECT_EQ(t.text, "P C:\\NEWS\\K@Area@Space(9) @Option d(20,L*)");

  // A value laid out by a field format is just as final.
  t = TemplateText::FromTemplate("@File(16,L)|@Area");
  t = ExpandTemplate(t, "C:\\NEWS\\@Area", "@File");
  t = ExpandTemplate(t, "INFO", "@Area");
  EXPECT_EQ(t.text, "C:\\NEWS\\@Area   |INFO");

  // Template text and a value put in beside it never join into an escape.
  t = TemplateText::FromTemplate("\\@Desc \\@Area");
  t = ExpandTemplate(t, "n", "@Desc");
  t = ExpandTemplate(t, "k", "@Area");
  t = ExpandTemplate(t, "", "");
  EXPECT_EQ(t.text, "\\n \\k");
}

TEST(InsertedTextTest, AClosingParenthesisInAValueDoesNotCloseAFormat) {
  TemplateText t = TemplateText::FromTemplate("@Desc(4,L @File");
  t = ExpandTemplate(t, "a)b", "@File");
  t = ExpandTemplate(t, "xy", "@Desc");
  EXPECT_EQ(t.text, "xy  4,L a)b");
}

TEST(ExpandTemplateTest, CutsTheTemplateButNeverItsExpansion) {
  const std::string value(200, 'v');
  TemplateText t = ExpandTemplate(TemplateText::FromTemplate("@Desc-@Desc-@Desc"), value, "@Desc");
  EXPECT_EQ(t.text, value + "-" + value + "-" + value);
  EXPECT_EQ(t.inserted.size(), t.text.size());

  const std::string longTemplate = std::string(250, 't') + "@Desc!";
  EXPECT_EQ(ExpandTemplate(longTemplate, "Weekly news", "@Desc"),
            std::string(250, 't') + "Weekly news");
}

}  // namespace
}  // namespace brimvel
