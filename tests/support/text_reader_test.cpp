#include "support/text_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/memory_file_system.h"

namespace brimvel {
namespace {

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

// The first read fetches this much; lines that cross it take the slow path.
constexpr std::size_t kReadAhead = 64 * 1024;

struct Line {
  std::string line, whole;
  bool operator==(const Line&) const = default;
};

class TextReaderTest : public ::testing::Test {
 protected:
  // Every line of the file: the 255 characters and the whole line.
  std::vector<Line> ReadAll(TextReader& file) {
    std::vector<Line> lines;
    std::string line;
    std::string scratch;
    while (!file.AtEnd() && lines.size() < 100000) {
      std::string whole(file.ReadLine(line, scratch));
      lines.push_back({line, whole});
    }
    return lines;
  }

  std::vector<Line> ReadAll(const std::string& content) {
    fs_.AddFile("in.txt", content);
    TextReader file(fs_, "in.txt");
    EXPECT_EQ(file.OpenRead(), 0);
    std::vector<Line> lines = ReadAll(file);
    EXPECT_EQ(file.error(), 0);
    return lines;
  }

  MemoryFileSystem fs_;
};

TEST_F(TextReaderTest, ReadLineTakesAtMost255UnitsAndPassesOverTheRest) {
  struct Case {
    const char* what;
    std::string content;
    std::vector<Line> lines;
  };
  const std::string a300 = Repeat('a', 300);
  const Case cases[] = {
      {"CR LF lines", "one\r\ntwo\r\n", {{"one", "one"}, {"two", "two"}}},
      {"LF lines", "one\ntwo\n", {{"one", "one"}, {"two", "two"}}},
      {"a CR inside a line is dropped", "abc\rdef\n", {{"abcdef", "abcdef"}}},
      {"CR-only endings make one line", "x\ry\rz", {{"xyz", "xyz"}}},
      {"empty lines", "a\n\nb", {{"a", "a"}, {"", ""}, {"b", "b"}}},
      {"no line end at the end", "last", {{"last", "last"}}},
      {"Ctrl-Z ends the data", "ab\032cd\r\n", {{"ab", "ab"}}},
      {"Ctrl-Z at the start of a line", "ab\n\032cd\n", {{"ab", "ab"}}},
      {"empty file", "", {}},
      {"long line", a300 + "\r\nnext\r\n", {{Repeat('a', 255), a300}, {"next", "next"}}},
      {"exactly 255",
       Repeat('b', 255) + "\r\nnext",
       {{Repeat('b', 255), Repeat('b', 255)}, {"next", "next"}}},
      {"256",
       Repeat('b', 256) + "\nnext",
       {{Repeat('b', 255), Repeat('b', 256)}, {"next", "next"}}},
      // The dropped CR still used up a unit, so the 'c' is passed over.
      {"CR uses a unit",
       Repeat('b', 254) + "\rc\nnext",
       {{Repeat('b', 254), Repeat('b', 254) + "c"}, {"next", "next"}}},
      {"a CR inside and one at unit 255",
       "x\ry" + Repeat('a', 251) + "\r\nnext",
       {{"xy" + Repeat('a', 251), "xy" + Repeat('a', 251)}, {"next", "next"}}},
      // While passing over, a lone CR ends the line.
      {"lone CR past 255",
       Repeat('a', 280) + "\rrest\n",
       {{Repeat('a', 255), Repeat('a', 280)}, {"rest", "rest"}}},
      {"Ctrl-Z past 255", a300 + "\032hidden", {{Repeat('a', 255), a300}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs_.AddFile("in.txt", c.content);
    TextReader file(fs_, "in.txt");
    ASSERT_EQ(file.OpenRead(), 0);
    EXPECT_EQ(ReadAll(file), c.lines);
    // Reading at the end gives the empty text and no error.
    std::string past = "unchanged";
    std::string scratch = "unchanged";
    EXPECT_EQ(file.ReadLine(past, scratch), "");
    EXPECT_EQ(past, "");
    EXPECT_EQ(file.error(), 0);
  }
}

TEST_F(TextReaderTest, LinesCrossingTheReadAheadAreReadWhole) {
  std::string content;
  std::vector<Line> expected;
  for (int i = 0; i < 20000; ++i) {
    std::string text = "line " + std::to_string(i) + Repeat('.', static_cast<std::size_t>(i % 7));
    expected.push_back({text, text});
    content += text + (i % 3 == 0 ? "\n" : "\r\n");
  }
  EXPECT_EQ(ReadAll(content), expected);

  // A long line whose CR is the last byte of the read-ahead and its LF the
  // first of the next: one line end, not two.
  const std::string longLine = Repeat('a', kReadAhead - 1);
  EXPECT_EQ(ReadAll(longLine + "\r\nnext\n"),
            (std::vector<Line>{{Repeat('a', 255), longLine}, {"next", "next"}}));

  // The same for a short line.
  const std::string filler = Repeat('f', kReadAhead - 5) + "\n";
  EXPECT_EQ(
      ReadAll(filler + "abc\r\nnext"),
      (std::vector<Line>{
          {Repeat('f', 255), Repeat('f', kReadAhead - 5)}, {"abc", "abc"}, {"next", "next"}}));
}

TEST_F(TextReaderTest, LineEndReadIsTheEndOfTheFirstLine) {
  struct Case {
    const char* what;
    std::string content, lineEnd;
  };
  const Case cases[] = {
      {"CR LF first", "a\r\nb\n", "\r\n"},
      {"LF first", "a\nb\r\n", "\n"},
      {"no line end", "abc", ""},
      {"empty", "", ""},
      {"CR and LF in two reads", Repeat('a', kReadAhead - 1) + "\r\nb\n", "\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs_.AddFile("in.txt", c.content);
    TextReader file(fs_, "in.txt");
    ASSERT_EQ(file.OpenRead(), 0);
    EXPECT_EQ(file.LineEndRead(), "");
    ReadAll(file);
    EXPECT_EQ(file.LineEndRead(), c.lineEnd);
  }
}

TEST_F(TextReaderTest, SeekToATellReadsTheSameLinesAgain) {
  std::string content;
  for (int i = 0; i < 10000; ++i) content += "line " + std::to_string(i) + "\r\n";
  fs_.AddFile("in.txt", content);
  TextReader file(fs_, "in.txt");
  ASSERT_EQ(file.OpenRead(), 0);
  std::string line;
  std::string scratch;
  std::vector<std::pair<std::int64_t, std::string>> marks;
  for (int i = 0; !file.AtEnd(); ++i) {
    std::int64_t at = file.Tell();
    std::string text(file.ReadLine(line, scratch));
    if (i % 2500 == 7) marks.emplace_back(at, text);
  }
  ASSERT_EQ(marks.size(), 4u);  // some lie beyond the first read-ahead
  for (auto it = marks.rbegin(); it != marks.rend(); ++it) {
    SCOPED_TRACE(it->second);
    ASSERT_EQ(file.SeekTo(it->first), 0);
    EXPECT_EQ(file.Tell(), it->first);
    EXPECT_EQ(file.ReadLine(line, scratch), it->second);
  }
  EXPECT_EQ(file.error(), 0);
}

}  // namespace
}  // namespace brimvel
