#include "support/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brimvel {
namespace {

TEST(SplitCommandLineTest, WordsQuotesAndSeparators) {
  using Words = std::vector<std::string>;
  struct Case {
    std::string line;
    Words words;
  };
  const Case cases[] = {
      {"", {}},
      {" \t\r\n ", {}},
      {"a b\tc", {"a", "b", "c"}},
      {"\x01"
       "a\x1F"
       "b",
       {"a", "b"}},  // every control character separates
      {"a\x7F"
       "b \xA0",
       {"a\x7F"
        "b",
        "\xA0"}},
      {"-CFG \"my dir/x.cfg\"", {"-CFG", "my dir/x.cfg"}},
      {"ab\"c d\"e", {"abc de"}},  // quoted and plain parts form one word
      {"x \"unclosed to the end ", {"x", "unclosed to the end "}},
      {"\" \"", {" "}},
      {"\"\" x", {"x"}},  // no empty argument can be given
      {"\"\"\"\"abc", {"abc"}},
      {"a \"\"b", {"a", "b"}},
      {"a\"\"b", {"ab"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << "[" << c.line << "]";
}

}  // namespace
}  // namespace brimvel
