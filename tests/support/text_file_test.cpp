#include "support/text_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/io_error.h"
#include "support/scratch_dir.h"

namespace brimvel {
namespace {

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

class TextFileTest : public ::testing::Test {
 protected:
  void SetUp() override { TakeIoError(); }
  void TearDown() override { EXPECT_EQ(TakeIoError(), 0) << "a test left an error pending"; }

  TextFile OpenForReading(std::string_view content) {
    TextFile file;
    BindFile(file, dir_.Write("in.txt", content));
    OpenRead(file);
    EXPECT_EQ(TakeIoError(), 0);
    return file;
  }

  testing::ScratchDir dir_;
};

TEST_F(TextFileTest, ReadLineTakesAtMost255UnitsAndPassesOverTheRest) {
  struct Line {
    std::string line, whole;
  };
  struct Case {
    const char* what;
    std::string content;
    std::vector<Line> lines;
  };
  const std::string a300 = Repeat('a', 300);
  const Case cases[] = {
      {"CR LF lines", "one\r\ntwo\r\n", {{"one", "one"}, {"two", "two"}}},
      {"a CR inside a line is dropped", "abc\rdef\n", {{"abcdef", "abcdef"}}},
      {"CR-only endings make one line", "x\ry\rz", {{"xyz", "xyz"}}},
      {"empty lines", "a\n\nb", {{"a", "a"}, {"", ""}, {"b", "b"}}},
      {"no line end at the end", "last", {{"last", "last"}}},
      {"Ctrl-Z ends the data",
       "ab\x1A"
       "cd\r\n",
       {{"ab", "ab"}}},
      {"empty file", "", {}},
      {"long line", a300 + "\r\nnext\r\n", {{Repeat('a', 255), a300}, {"next", "next"}}},
      {"exactly 255",
       Repeat('b', 255) + "\r\nnext",
       {{Repeat('b', 255), Repeat('b', 255)}, {"next", "next"}}},
      // The dropped CR still used up a unit, so the 'c' is passed over.
      {"CR uses a unit",
       Repeat('b', 254) + "\rc\nnext",
       {{Repeat('b', 254), Repeat('b', 254) + "c"}, {"next", "next"}}},
      // While passing over, a lone CR ends the line.
      {"lone CR past 255",
       Repeat('a', 280) + "\rrest\n",
       {{Repeat('a', 255), Repeat('a', 280)}, {"rest", "rest"}}},
      {"Ctrl-Z past 255",
       a300 + "\x1A"
              "hidden",
       {{Repeat('a', 255), a300}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TextFile file = OpenForReading(c.content);
    std::vector<Line> got;
    while (!AtEnd(file) && got.size() < 10) {
      Line line;
      ShortString text;
      ReadLine(file, text, &line.whole);
      line.line = text.str();
      got.push_back(line);
    }
    ASSERT_EQ(got.size(), c.lines.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].line, c.lines[i].line) << "line " << i;
      EXPECT_EQ(got[i].whole, c.lines[i].whole) << "line " << i;
    }
    // Reading at the end gives the empty text and no error.
    ShortString past = "unchanged";
    ReadLine(file, past);
    EXPECT_EQ(past, "");
    EXPECT_EQ(PendingIoError(), 0);
    CloseText(file);
  }
}

TEST_F(TextFileTest, LinesStraddlingTheReadAheadAreReadWhole) {
  std::string content;
  std::vector<std::string> expected;
  for (int i = 0; i < 20000; ++i) {
    expected.push_back("line " + std::to_string(i) + Repeat('.', i % 7));
    content += expected.back() + (i % 3 == 0 ? "\n" : "\r\n");
  }
  TextFile file = OpenForReading(content);
  std::vector<std::string> got;
  while (!AtEnd(file)) {
    ShortString line;
    ReadLine(file, line);
    got.push_back(line.str());
  }
  EXPECT_EQ(got, expected);
  CloseText(file);
}

TEST_F(TextFileTest, OpenAppendCutsAtTheFirstCtrlZOfTheLast128Bytes) {
  struct Case {
    const char* what;
    std::string content, expected;
  };
  const std::string x200 = Repeat('x', 200);
  auto withMark = [&](std::size_t at) {
    std::string s = x200;
    s[at] = '\x1A';
    return s;
  };
  const Case cases[] = {
      {"plain", "abc", "abcNEW"},
      {"empty", "", "NEW"},
      {"trailing Ctrl-Z", "abc\x1A", "abcNEW"},
      {"first of two",
       "ab\x1A"
       "cd\x1A",
       "abNEW"},
      {"first byte of the window", withMark(72), Repeat('x', 72) + "NEW"},
      {"just before the window", withMark(71), withMark(71) + "NEW"},
      {"only the window counts", withMark(10).replace(150, 1, "\x1A"),
       withMark(10).substr(0, 150) + "NEW"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TextFile file;
    BindFile(file, dir_.Write("log.txt", c.content));
    OpenAppend(file);
    WriteText(file, "NEW");
    CloseText(file);
    EXPECT_EQ(TakeIoError(), 0);
    EXPECT_EQ(dir_.Read("log.txt"), c.expected);
  }
}

TEST_F(TextFileTest, OpenErrorsArePendingUntilTaken) {
  dir_.Write("plain.txt", "x");
  struct Case {
    std::string name;
    std::int32_t code;
  };
  const Case cases[] = {
      {dir_.Path("missing.txt"), 2},
      {dir_.Path("nodir/missing.txt"), 3},
      {dir_.Path("plain.txt/missing.txt"), 3},
      {dir_.Path(), 5},  // a directory is not a text file
  };
  for (const auto& c : cases) {
    TextFile file;
    BindFile(file, c.name);
    OpenRead(file);
    EXPECT_EQ(TakeIoError(), c.code) << c.name;
    EXPECT_EQ(TakeIoError(), 0);
    OpenAppend(file);
    EXPECT_EQ(TakeIoError(), c.code) << c.name;
    EXPECT_FALSE(dir_.Exists("missing.txt"));
  }
}

TEST_F(TextFileTest, WrongStateGivesTheFileLayerCodes) {
  enum class State { kUnbound, kClosed, kReading, kWriting };
  struct Case {
    const char* what;
    State state;
    std::function<void(TextFile&)> action;
    std::int32_t code;
  };
  ShortString line;
  const Case cases[] = {
      {"open unbound", State::kUnbound, OpenRead, 102},
      {"append unbound", State::kUnbound, OpenAppend, 102},
      {"erase unbound", State::kUnbound, EraseFile, 102},
      {"read closed", State::kClosed, [&](TextFile& f) { ReadLine(f, line); }, 104},
      {"read a writer", State::kWriting, [&](TextFile& f) { ReadLine(f, line); }, 104},
      {"AtEnd of a writer", State::kWriting, [](TextFile& f) { AtEnd(f); }, 104},
      {"write closed", State::kClosed, [](TextFile& f) { WriteLine(f, "x"); }, 105},
      {"write a reader", State::kReading, [](TextFile& f) { WriteText(f, "x"); }, 105},
      {"flush closed", State::kClosed, FlushFile, 103},
      {"close closed", State::kClosed, CloseText, 103},
  };
  const std::string name = dir_.Write("f.txt", "data\r\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TextFile file;
    if (c.state != State::kUnbound) BindFile(file, name);
    if (c.state == State::kReading) OpenRead(file);
    if (c.state == State::kWriting) OpenAppend(file);
    ASSERT_EQ(TakeIoError(), 0);
    c.action(file);
    EXPECT_EQ(TakeIoError(), c.code);
    if (file.mode != FileMode::kClosed) CloseText(file);
    EXPECT_EQ(dir_.Read("f.txt"), "data\r\n");
  }
}

TEST_F(TextFileTest, WhileAnErrorIsPendingReadsGiveNothingAndWritesAreSkipped) {
  TextFile reader = OpenForReading("first\r\nsecond\r\n");
  TextFile writer, closed;
  BindFile(writer, dir_.Path("out.txt"));
  OpenNew(writer);
  WriteLine(closed, "x");
  ASSERT_EQ(PendingIoError(), 105);

  WriteLine(writer, "lost");
  WriteText(writer, "lost too");
  ShortString line = "unchanged";
  ReadLine(reader, line);
  EXPECT_EQ(line, "");
  EXPECT_TRUE(AtEnd(reader));
  EXPECT_EQ(TakeIoError(), 105);

  // Nothing was consumed or written while the code was pending.
  WriteLine(writer, "kept");
  ReadLine(reader, line);
  EXPECT_EQ(line, "first");
  CloseText(reader);
  CloseText(writer);
  EXPECT_EQ(dir_.Read("out.txt"), "kept\r\n");
}

TEST_F(TextFileTest, OpeningClosingAndErasingKeepAnEarlierPendingCode) {
  TextFile closed, file;
  WriteLine(closed, "x");  // leaves 105
  BindFile(file, dir_.Write("f.txt", "old contents"));
  OpenNew(file);
  EXPECT_EQ(dir_.Read("f.txt"), "") << "OpenNew must run and empty the file";
  CloseText(file);
  OpenRead(file);
  EXPECT_EQ(file.mode, FileMode::kReading);
  CloseText(file);
  EraseFile(file);
  EXPECT_FALSE(dir_.Exists("f.txt"));
  EXPECT_EQ(PendingIoError(), 105);

  // A failing operation replaces the pending code.
  OpenRead(file);
  EXPECT_EQ(TakeIoError(), 2);
}

TEST_F(TextFileTest, HeldOutputReachesTheFileAtFlushCloseAndReopen) {
  TextFile file;
  BindFile(file, dir_.Path("out.txt"));
  OpenNew(file);
  WriteLine(file, "one");
  WriteText(file, "two");
  FlushFile(file);
  EXPECT_EQ(dir_.Read("out.txt"), "one\r\ntwo");
  WriteLine(file, "");
  WriteLine(file, Repeat('z', 400));  // writes are not cut at 255
  // Opening an open file closes it first, output included.
  OpenRead(file);
  ShortString line;
  ReadLine(file, line);
  EXPECT_EQ(line, "one");
  ReadLine(file, line);
  EXPECT_EQ(line, "two");
  CloseText(file);
  EXPECT_EQ(dir_.Read("out.txt"), "one\r\ntwo\r\n" + Repeat('z', 400) + "\r\n");
}

TEST_F(TextFileTest, EraseAndReplace) {
  TextFile file;
  BindFile(file, dir_.Path("missing.txt"));
  EraseFile(file);
  EXPECT_EQ(TakeIoError(), 2);
  ReplaceTo(file, dir_.Path("other.txt"));
  EXPECT_EQ(TakeIoError(), 2);

  BindFile(file, dir_.Write("new.tmp", "fresh"));
  dir_.Write("config.cfg", "stale");
  ReplaceTo(file, dir_.Path("config.cfg"));
  EXPECT_EQ(TakeIoError(), 0);
  EXPECT_FALSE(dir_.Exists("new.tmp"));
  EXPECT_EQ(dir_.Read("config.cfg"), "fresh");
  EXPECT_EQ(file.name, dir_.Path("config.cfg"));
  EraseFile(file);
  EXPECT_EQ(TakeIoError(), 0);
  EXPECT_FALSE(dir_.Exists("config.cfg"));
}

TEST_F(TextFileTest, LockedCreationRefusesWhileAnotherHoldsTheFile) {
  TextFile first, second;
  BindFile(first, dir_.Path("brimvel.tmp"));
  BindFile(second, dir_.Path("brimvel.tmp"));
  OpenNewLocked(first);
  ASSERT_EQ(TakeIoError(), 0);
  WriteText(first, "in progress");
  FlushFile(first);

  OpenNewLocked(second);
  EXPECT_EQ(TakeIoError(), 32);
  EXPECT_EQ(second.mode, FileMode::kClosed);
  EXPECT_EQ(dir_.Read("brimvel.tmp"), "in progress");

  CloseText(first);
  OpenNewLocked(second);
  EXPECT_EQ(TakeIoError(), 0);
  EXPECT_EQ(dir_.Read("brimvel.tmp"), "");
  CloseText(second);
}

}  // namespace
}  // namespace brimvel
