#include "support/text_file.h"

#include <gtest/gtest.h>

#include <functional>
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

class TextFileTest : public ::testing::Test {
 protected:
  // Every line of the file: the 255 characters and the whole line.
  std::vector<Line> ReadAll(TextFile& file) {
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
    TextFile file(fs_, "in.txt");
    EXPECT_EQ(file.OpenRead(), 0);
    std::vector<Line> lines = ReadAll(file);
    EXPECT_EQ(file.error(), 0);
    return lines;
  }

  MemoryFileSystem fs_;
};

TEST_F(TextFileTest, ReadLineTakesAtMost255UnitsAndPassesOverTheRest) {
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
    TextFile file(fs_, "in.txt");
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

TEST_F(TextFileTest, LinesCrossingTheReadAheadAreReadWhole) {
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

TEST_F(TextFileTest, LineEndReadIsTheEndOfTheFirstLine) {
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
    TextFile file(fs_, "in.txt");
    ASSERT_EQ(file.OpenRead(), 0);
    EXPECT_EQ(file.LineEndRead(), "");
    ReadAll(file);
    EXPECT_EQ(file.LineEndRead(), c.lineEnd);
  }
}

TEST_F(TextFileTest, SeekToATellReadsTheSameLinesAgain) {
  std::string content;
  for (int i = 0; i < 10000; ++i) content += "line " + std::to_string(i) + "\r\n";
  fs_.AddFile("in.txt", content);
  TextFile file(fs_, "in.txt");
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
      {"first of two", "ab\032cd\x1A", "abNEW"},
      {"first byte of the window", withMark(72), Repeat('x', 72) + "NEW"},
      {"just before the window", withMark(71), withMark(71) + "NEW"},
      {"only the window counts", withMark(10).replace(150, 1, "\x1A"),
       withMark(10).substr(0, 150) + "NEW"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs_.AddFile("log.txt", c.content);
    TextFile file(fs_, "log.txt");
    ASSERT_EQ(file.OpenAppend(), 0);
    file.Write("NEW");
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(fs_.Contents("log.txt"), c.expected);
  }
}

TEST_F(TextFileTest, OpenFailuresGiveTheFileSystemCode) {
  fs_.AddFile("plain.txt", "x");
  fs_.AddFile("locked/kept.txt", "x");
  fs_.FailDirectory("locked", kAccessDenied);
  struct Case {
    std::string name;
    int code;
  };
  const Case cases[] = {
      {"missing.txt", kFileNotFound},
      {"nodir/missing.txt", kPathNotFound},
      {"locked/kept.txt", kAccessDenied},
  };
  using Opener = std::function<int(TextFile&)>;
  const std::pair<const char*, Opener> openers[] = {
      {"OpenRead", [](TextFile& f) { return f.OpenRead(); }},
      {"OpenAppend", [](TextFile& f) { return f.OpenAppend(); }},
  };
  for (const auto& c : cases) {
    for (const auto& [how, open] : openers) {
      SCOPED_TRACE(c.name + " by " + how);
      TextFile file(fs_, c.name);
      EXPECT_EQ(open(file), c.code);
      EXPECT_EQ(file.error(), c.code);
      EXPECT_FALSE(file.open());
    }
  }
  // Neither made a file.
  EXPECT_EQ(fs_.Names(), (std::vector<std::string>{"locked/kept.txt", "plain.txt"}));
  // A read-only file opens for reading, not for appending.
  fs_.SetReadOnly("plain.txt");
  TextFile file(fs_, "plain.txt");
  EXPECT_EQ(file.OpenRead(), 0);
  EXPECT_EQ(file.OpenAppend(), kAccessDenied);
}

TEST_F(TextFileTest, WrongStateGivesTheFileLayerCodes) {
  enum class State { kClosed, kReading, kWriting };
  struct Case {
    const char* what;
    State state;
    std::function<int(TextFile&)> action;
    int code;
  };
  auto read = [](TextFile& f) {
    std::string line;
    std::string scratch;
    f.ReadLine(line, scratch);
    return f.error();
  };
  const Case cases[] = {
      {"read closed", State::kClosed, read, kNotOpenForInput},
      {"read a writer", State::kWriting, read, kNotOpenForInput},
      {"AtEnd of a writer", State::kWriting,
       [](TextFile& f) {
         f.AtEnd();
         return f.error();
       },
       kNotOpenForInput},
      {"seek a writer", State::kWriting, [](TextFile& f) { return f.SeekTo(0); }, kNotOpenForInput},
      {"write closed", State::kClosed, [](TextFile& f) { return f.WriteLine("x"); },
       kNotOpenForOutput},
      {"write a reader", State::kReading, [](TextFile& f) { return f.Write("x"); },
       kNotOpenForOutput},
      {"flush closed", State::kClosed, [](TextFile& f) { return f.Flush(); }, kNotOpen},
      {"close closed", State::kClosed, [](TextFile& f) { return f.Close(); }, kNotOpen},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs_.AddFile("f.txt", "data\r\n");
    TextFile file(fs_, "f.txt");
    if (c.state == State::kReading) {
      ASSERT_EQ(file.OpenRead(), 0);
    } else if (c.state == State::kWriting) {
      ASSERT_EQ(file.OpenAppend(), 0);
    }
    EXPECT_EQ(c.action(file), c.code);
    EXPECT_EQ(file.error(), c.code);
    file.Close();
    EXPECT_EQ(fs_.Contents("f.txt"), "data\r\n");
  }
}

TEST_F(TextFileTest, TheFirstFailureSticks) {
  fs_.AddFile("in.txt", "first\nsecond\n");
  TextFile out(fs_, "out.txt");
  ASSERT_EQ(out.OpenNew(), 0);
  out.WriteLine("kept");
  ASSERT_EQ(out.Flush(), 0);
  fs_.SetWriteBudget(4);
  out.WriteLine("lost");
  EXPECT_EQ(out.Flush(), kDiskFull);

  // With room again, nothing more is written, and every call answers 112.
  fs_.SetWriteBudget(-1);
  EXPECT_EQ(out.WriteLine("later"), kDiskFull);
  EXPECT_EQ(out.Write("later"), kDiskFull);
  EXPECT_EQ(out.Flush(), kDiskFull);
  EXPECT_EQ(out.Sync(), kDiskFull);
  EXPECT_EQ(out.ReplaceTo("final.txt"), kDiskFull);
  EXPECT_EQ(out.Close(), kDiskFull);
  EXPECT_EQ(out.error(), kDiskFull);
  EXPECT_EQ(fs_.Contents("out.txt"), "kept\n");
  EXPECT_FALSE(fs_.Exists("final.txt")) << "a failed file must not replace another";

  // A reader whose open failed gives nothing and answers the open's code.
  TextFile missing(fs_, "missing.txt");
  EXPECT_EQ(missing.OpenRead(), kFileNotFound);
  std::string line = "unchanged";
  std::string scratch;
  EXPECT_EQ(missing.ReadLine(line, scratch), "");
  EXPECT_EQ(line, "");
  EXPECT_TRUE(missing.AtEnd());
  EXPECT_EQ(missing.SeekTo(0), kFileNotFound);
  EXPECT_EQ(missing.error(), kFileNotFound);

  // Opening again starts clean.
  ASSERT_EQ(out.OpenAppend(), 0);
  out.WriteLine("again");
  EXPECT_EQ(out.Close(), 0);
  EXPECT_EQ(out.ReplaceTo("final.txt"), 0);
  EXPECT_EQ(out.name(), "final.txt");
  EXPECT_EQ(fs_.Contents("final.txt"), "kept\nagain\n");
}

TEST_F(TextFileTest, OutputIsHeldUntilFlushAndWrittenWhole) {
  TextFile file(fs_, "out.txt");
  ASSERT_EQ(file.OpenNew(), 0);
  file.WriteLine("one");
  file.Write("two");
  EXPECT_EQ(fs_.Contents("out.txt"), "");
  EXPECT_EQ(file.Flush(), 0);
  EXPECT_EQ(fs_.Contents("out.txt"), "one\ntwo");
  file.WriteLine("");
  file.WriteLine(Repeat('z', 400));  // writes are not cut at 255
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(fs_.Contents("out.txt"), "one\ntwo\n" + Repeat('z', 400) + "\n");

  // An owner that leaves without closing writes nothing more, and lets go
  // of the file.
  {
    TextFile abandoned(fs_, "out.txt");
    ASSERT_EQ(abandoned.OpenAppend(), 0);
    abandoned.WriteLine("half done");
  }
  EXPECT_EQ(fs_.Contents("out.txt"), "one\ntwo\n" + Repeat('z', 400) + "\n");
  EXPECT_EQ(fs_.OpenHandles(), 0);
}

TEST_F(TextFileTest, WriteLineEndsLinesAsTheFileSystemOrTheOwnerSays) {
  struct Case {
    const char* what;
    std::string fsLineEnd;
    std::string own;  // empty: the file system's
    std::string expected;
  };
  const Case cases[] = {
      {"the file system's", "\r\n", "", "a\r\nb\r\n"},
      {"the owner's", "\r\n", "\n", "a\nb\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryFileSystem fs;
    fs.SetLineEnd(c.fsLineEnd);
    TextFile file(fs, "out.txt");
    if (!c.own.empty()) file.SetLineEnd(c.own);
    ASSERT_EQ(file.OpenNew(), 0);
    file.WriteLine("a");
    file.WriteLine("b");
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(fs.Contents("out.txt"), c.expected);
  }
}

TEST_F(TextFileTest, LockedCreationRefusesWhileAnotherHoldsTheFile) {
  TextFile first(fs_, "brimvel.tmp");
  TextFile second(fs_, "brimvel.tmp");
  ASSERT_EQ(first.OpenNewLocked(), 0);
  first.Write("in progress");
  ASSERT_EQ(first.Flush(), 0);

  EXPECT_EQ(second.OpenNewLocked(), kSharingViolation);
  EXPECT_FALSE(second.open());
  EXPECT_EQ(fs_.Contents("brimvel.tmp"), "in progress");

  ASSERT_EQ(first.Close(), 0);
  EXPECT_EQ(second.OpenNewLocked(), 0);
  EXPECT_EQ(fs_.Contents("brimvel.tmp"), "");
  EXPECT_EQ(second.Close(), 0);

  // Held by another process.
  fs_.AddFile("other.tmp", "theirs");
  fs_.LockByOther("other.tmp");
  TextFile third(fs_, "other.tmp");
  EXPECT_EQ(third.OpenNewLocked(), kSharingViolation);
  EXPECT_EQ(fs_.Contents("other.tmp"), "theirs");
}

TEST_F(TextFileTest, ConsoleAndDiscardOutputNeverFail) {
  Handle handle = kNoHandle;
  ASSERT_EQ(fs_.Open("<console>", OpenKind::kCreateAlways, handle), 0);
  TextFile console = TextFile::Console(fs_, handle);
  EXPECT_EQ(console.WriteLine("shown at once"), 0);
  EXPECT_EQ(fs_.Contents("<console>"), "shown at once\n");
  fs_.SetWriteBudget(0);
  EXPECT_EQ(console.WriteLine("gone"), 0);
  EXPECT_EQ(console.error(), 0) << "a lost console is no failure of the run";
  fs_.SetWriteBudget(-1);
  EXPECT_EQ(console.WriteLine("back"), 0);
  EXPECT_EQ(fs_.Contents("<console>"), "shown at once\nback\n");

  TextFile discard(fs_, "nothing.txt");
  discard.OpenDiscard();
  EXPECT_EQ(discard.WriteLine("x"), 0);
  EXPECT_EQ(discard.Sync(), 0);
  EXPECT_EQ(discard.Close(), 0);
  EXPECT_FALSE(fs_.Exists("nothing.txt"));
}

}  // namespace
}  // namespace brimvel
