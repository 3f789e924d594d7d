#include "support/text_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "support/memory_file_system.h"

namespace brimvel {
namespace {

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

class TextWriterTest : public ::testing::Test {
 protected:
  MemoryFileSystem fs_;
};

TEST_F(TextWriterTest, OpenAppendCutsAtTheFirstCtrlZOfTheLast128Bytes) {
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
    TextWriter file(fs_, "log.txt");
    ASSERT_EQ(file.OpenAppend(), 0);
    file.Write("NEW");
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(fs_.Contents("log.txt"), c.expected);
  }
}

TEST_F(TextWriterTest, OutputIsHeldUntilFlushAndWrittenWhole) {
  TextWriter file(fs_, "out.txt");
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
    TextWriter abandoned(fs_, "out.txt");
    ASSERT_EQ(abandoned.OpenAppend(), 0);
    abandoned.WriteLine("half done");
  }
  EXPECT_EQ(fs_.Contents("out.txt"), "one\ntwo\n" + Repeat('z', 400) + "\n");
  EXPECT_EQ(fs_.OpenHandles(), 0);
}

TEST_F(TextWriterTest, WriteLineEndsLinesAsTheFileSystemOrTheOwnerSays) {
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
    TextWriter file(fs, "out.txt");
    if (!c.own.empty()) file.SetLineEnd(c.own);
    ASSERT_EQ(file.OpenNew(), 0);
    file.WriteLine("a");
    file.WriteLine("b");
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(fs.Contents("out.txt"), c.expected);
  }
}

TEST_F(TextWriterTest, LockedCreationRefusesWhileAnotherHoldsTheFile) {
  TextWriter first(fs_, "brimvel.tmp");
  TextWriter second(fs_, "brimvel.tmp");
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
  TextWriter third(fs_, "other.tmp");
  EXPECT_EQ(third.OpenNewLocked(), kSharingViolation);
  EXPECT_EQ(fs_.Contents("other.tmp"), "theirs");
}

TEST_F(TextWriterTest, ConsoleAndDiscardOutputNeverFail) {
  Handle handle = kNoHandle;
  ASSERT_EQ(fs_.Open("<console>", OpenKind::kCreateAlways, handle), 0);
  TextWriter console = TextWriter::Console(fs_, handle);
  EXPECT_EQ(console.WriteLine("shown at once"), 0);
  EXPECT_EQ(fs_.Contents("<console>"), "shown at once\n");
  fs_.SetWriteBudget(0);
  EXPECT_EQ(console.WriteLine("gone"), 0);
  EXPECT_EQ(console.error(), 0) << "a lost console is no failure of the run";
  fs_.SetWriteBudget(-1);
  EXPECT_EQ(console.WriteLine("back"), 0);
  EXPECT_EQ(fs_.Contents("<console>"), "shown at once\nback\n");

  TextWriter discard(fs_, "nothing.txt");
  discard.OpenDiscard();
  EXPECT_EQ(discard.WriteLine("x"), 0);
  EXPECT_EQ(discard.Sync(), 0);
  EXPECT_EQ(discard.Close(), 0);
  EXPECT_FALSE(fs_.Exists("nothing.txt"));
}

}  // namespace
}  // namespace brimvel
