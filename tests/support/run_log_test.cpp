#include "support/run_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/code_page.h"
#include "support/memory_file_system.h"

namespace brimvel {
namespace {

const LocalTime kAugust25 = {2002, 8, 25, 4, 55, 47, 0};
const std::string kBanner = "Brimvel {v4.2.2W32}";
const std::string kStamp = " 25.08.02 04:55:47 ";
const std::string kStartLine = kStamp + kBanner + ": started..\n";
const std::string kEndLines = kStamp + "End..\n\n";

class RunLogTest : public ::testing::Test {
 protected:
  TextWriter MakeConsole() {
    Handle handle = kNoHandle;
    EXPECT_EQ(fs_.Open("<console>", OpenKind::kCreateAlways, handle), 0);
    return TextWriter::Console(fs_, handle);
  }
  std::string Console() const { return fs_.Contents("<console>"); }
  std::string Log() const { return fs_.Contents("brimvel.log"); }

  MemoryFileSystem fs_;
  FixedClock clock_{kAugust25};
  TextWriter console_ = MakeConsole();
  RunLog log_{console_, clock_, kBanner};
};

TEST_F(RunLogTest, NewLogGetsEveryKindOfLineOnFileAndConsole) {
  ASSERT_EQ(log_.Open(fs_, "brimvel.log"), 0);
  log_.Error("boom");
  log_.Begin("Hatching x");
  log_.End(", aborting...");
  log_.Status("Box \x80\xB3\xC4\xDB");  // the log keeps code page 866 bytes
  EXPECT_EQ(log_.Close(), 0);
  const std::string expected = kStamp + " * Made new log file\n" + kStartLine + kStamp +
                               "[err] boom\n" + kStamp + "Hatching x, aborting...\n" + kStamp +
                               "Box \x80\xB3\xC4\xDB\n" + kEndLines;
  EXPECT_EQ(Log(), expected);
  EXPECT_EQ(Console(), expected);
}

TEST_F(RunLogTest, ExistingLogIsAppendedTo) {
  struct Case {
    std::string before, kept;
  };
  const Case cases[] = {
      {"", ""},
      {"old\r\n\r\n", "old\r\n\r\n"},
      {"old\r\n\r\n\x1A", "old\r\n\r\n"},  // the end-of-file mark is written over
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    fs_.AddFile("brimvel.log", c.before);
    RunLog log(console_, clock_, kBanner);
    ASSERT_EQ(log.Open(fs_, "brimvel.log"), 0);
    EXPECT_EQ(log.Close(), 0);
    EXPECT_EQ(Log(), c.kept + kStartLine + kEndLines);
  }
}

TEST_F(RunLogTest, StampedLinesAreCutAt255) {
  fs_.AddFile("brimvel.log", "");
  ASSERT_EQ(log_.Open(fs_, "brimvel.log"), 0);
  const std::string message(250, 'm');
  log_.Line(message);
  log_.Error(message);
  EXPECT_EQ(log_.Close(), 0);
  const std::string expected = kStartLine + kStamp + message.substr(0, 236) + "\n" + kStamp +
                               "[err] " + message.substr(0, 230) + "\n" + kEndLines;
  EXPECT_EQ(Log(), expected);
  EXPECT_EQ(Console(), expected);
}

TEST_F(RunLogTest, StampLayout) {
  struct Case {
    LocalTime now;
    std::string stamp;
  };
  const Case cases[] = {
      {{2000, 1, 1, 9, 5, 3, 990}, " 01.01.00 09:05:03 "},
      {{1999, 12, 31, 23, 59, 59, 0}, " 31.12.99 23:59:59 "},
      {{2010, 10, 9, 0, 0, 0, 0}, " 09.10.10 00:00:00 "},
  };
  for (const auto& c : cases) {
    FixedClock clock(c.now);
    EXPECT_EQ(StampedLine(clock, "", "msg"), c.stamp + "msg");
    EXPECT_EQ(StampedLine(clock, "[err] ", "msg"), c.stamp + "[err] msg");
  }
}

// A clock that moves on at every reading.
class SteppingClock final : public Clock {
 public:
  explicit SteppingClock(std::vector<LocalTime> times) : times_(std::move(times)) {}
  LocalTime Now() const override { return times_[next_ < times_.size() - 1 ? next_++ : next_]; }

 private:
  std::vector<LocalTime> times_;
  mutable std::size_t next_ = 0;
};

TEST_F(RunLogTest, DateIsReadBeforeTime) {
  // The clock passes midnight between the two readings of one line.
  SteppingClock clock({{2001, 12, 31, 23, 59, 59, 999}, {2002, 1, 1, 0, 0, 0, 0}});
  EXPECT_EQ(StampedLine(clock, "", "x"), " 31.12.01 00:00:00 x");
}

TEST_F(RunLogTest, LogThatCannotBeMadeLeavesTheConsoleAlone) {
  fs_.AddFile("locked/other", "");
  fs_.FailDirectory("locked", kAccessDenied);
  for (const std::string name : {"nodir/brimvel.log", "locked/brimvel.log"}) {
    SCOPED_TRACE(name);
    const std::size_t before = Console().size();
    RunLog log(console_, clock_, kBanner);
    EXPECT_EQ(log.Open(fs_, name), 0) << "the run goes on without its log";
    log.Line("later");
    log.Error("worse");
    EXPECT_EQ(log.Close(), 0);
    EXPECT_EQ(log.error(), 0);
    // Nor does it end with the usual last lines.
    EXPECT_EQ(Console().substr(before), kStamp + " ! I can't make log file!!!..\n" + kStamp +
                                            "later\n" + kStamp + "[err] worse\n");
  }
  EXPECT_EQ(fs_.Names(), (std::vector<std::string>{"<console>", "locked/other"}));
}

TEST_F(RunLogTest, ConsoleOnlyLogEndsOnTheConsole) {
  log_.ConsoleOnly();
  log_.Line("dry");
  EXPECT_EQ(log_.Close(), 0);
  EXPECT_EQ(Console(), kStamp + "dry\n" + kEndLines);
  EXPECT_FALSE(fs_.Exists("brimvel.log"));
}

TEST_F(RunLogTest, LogThatTakesNoLinesGivesItsCode) {
  struct Case {
    const char* what;
    bool exists, readOnly;
    std::int64_t budget;  // bytes the disk takes, -1 any
    int openCode;
  };
  const Case cases[] = {
      {"read-only log", true, true, -1, kAccessDenied},
      {"full disk, existing log", true, false, 0, kDiskFull},
      {"full disk, new log", false, false, 0, kDiskFull},
      {"disk full after the start line", true, false, static_cast<std::int64_t>(kStartLine.size()),
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryFileSystem fs;
    if (c.exists) fs.AddFile("brimvel.log", "old\n");
    fs.SetReadOnly("brimvel.log", c.readOnly);
    fs.SetWriteBudget(c.budget);
    RunLog log(console_, clock_, kBanner);
    EXPECT_EQ(log.Open(fs, "brimvel.log"), c.openCode);
    log.Line("more");
    EXPECT_EQ(log.Close(), c.openCode == 0 ? kDiskFull : c.openCode);
    if (c.exists) {
      EXPECT_EQ(fs.Contents("brimvel.log").substr(0, 4), "old\n");
    }
  }
}

TEST_F(RunLogTest, StatusShowsTheMessageInTheTitle) {
  std::vector<std::string> titles;
  log_.SetTitleSink([&titles](std::string_view title) { titles.emplace_back(title); });
  log_.ConsoleOnly();
  log_.Status("Hatching \x80\xE0.zip");
  log_.Line("not shown");
  log_.Status(std::string(250, 't'));
  EXPECT_EQ(titles, (std::vector<std::string>{"Hatching \x80\xE0.zip - " + kBanner,
                                              std::string(250, 't') + " - " + kBanner}));
}

// The log speaks code page 866, Windows titles 1251: every byte must come out
// as one printable character, a Cyrillic letter as the same letter.
TEST(CodePageTest, EveryOemByteBecomesOnePrintableTitleCharacter) {
  // The letters of code page 866 and where code page 1251 keeps them.
  auto oemLetter = [](unsigned b) -> unsigned {
    if (b >= 0x80 && b <= 0xAF) return 0xC0 + (b - 0x80);  // A .. YA, a .. pe
    if (b >= 0xE0 && b <= 0xEF) return 0xF0 + (b - 0xE0);  // er .. ya
    if (b == 0xF0) return 0xA8;                            // YO
    if (b == 0xF1) return 0xB8;                            // yo
    return 0;
  };
  for (unsigned b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const char oem = static_cast<char>(b);
    const char title = OemToTitleChar(oem);
    if (b < 0x80) {
      EXPECT_EQ(title, oem);
      continue;
    }
    const auto shown = static_cast<unsigned char>(title);
    if (unsigned letter = oemLetter(b); letter != 0) {
      EXPECT_EQ(shown, letter);
    }
    EXPECT_NE(shown, 0x98u) << "no character";
    EXPECT_GE(shown, 0x20u);
    // Box drawing becomes blanks, its vertical and horizontal lines '|' and '-'.
    if (b >= 0xB0 && b <= 0xDF) {
      EXPECT_NE(std::string(" |-").find(title), std::string::npos);
    }
  }
  EXPECT_EQ(OemToTitleText("\xB3\xC4"), "|-");
}

TEST(CodePageTest, TerminalTitlesCarryNoControlBytes) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  for (char c : TerminalTitle(all)) {
    const auto b = static_cast<unsigned char>(c);
    EXPECT_TRUE(b >= 0x20 && b != 0x7F) << static_cast<int>(b);
  }
  EXPECT_EQ(TerminalTitle("a\x1B]0;b\x07"), "a ]0;b ");
  EXPECT_EQ(TerminalTitle("Hatching \xD0\xB0.zip"), "Hatching \xD0\xB0.zip");  // UTF-8 as it is
}

}  // namespace
}  // namespace brimvel
