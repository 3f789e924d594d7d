#include "support/run_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/clock.h"
#include "support/console_capture.h"
#include "support/io_error.h"
#include "support/scratch_dir.h"
#include "support/text_file.h"

namespace brimvel {
namespace {

void SetFixedClock(platform::LocalTime now) {
  SetClockSource([now] { return now; });
}

const platform::LocalTime kAugust25 = {2002, 8, 25, 0, 4, 55, 47, 0};
const std::string kStamp = " 25.08.02 04:55:47 ";
const std::string kStartLine = kStamp + "Brimvel {v4.2.2W32}: started..\r\n";
const std::string kEndLines = kStamp + "End..\r\n\r\n";

class RunLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TakeIoError();
    SetFixedClock(kAugust25);
    log_.banner = kBanner;
  }
  void TearDown() override {
    SetClockSource(nullptr);
    EXPECT_EQ(TakeIoError(), 0);
  }
  std::string Console() const { return dir_.Read("console.txt"); }
  std::string LogName() const { return dir_.Path("brimvel.log"); }

  testing::ScratchDir dir_;
  testing::ConsoleToFile console_{dir_.Path("console.txt")};
  RunLog log_;
};

TEST_F(RunLogTest, NewLogGetsEveryKindOfLineOnFileAndConsole) {
  OpenLog(LogName(), log_);
  EXPECT_FALSE(log_.unavailable);
  LogError(log_, "boom");
  LogBegin(log_, "Hatching x");
  LogEnd(log_, ", aborting...");
  LogStatus(log_, "Box \x80\xB3\xC4\xDB");  // the log keeps code page 866 bytes
  CloseLog(log_);
  const std::string expected = kStamp + " * Made new log file\r\n" + kStartLine + kStamp +
                               "[err] boom\r\n" + kStamp + "Hatching x, aborting...\r\n" + kStamp +
                               "Box \x80\xB3\xC4\xDB\r\n" + kEndLines;
  EXPECT_EQ(dir_.Read("brimvel.log"), expected);
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
    dir_.Write("brimvel.log", c.before);
    RunLog log;
    log.banner = kBanner;
    OpenLog(LogName(), log);
    CloseLog(log);
    EXPECT_EQ(dir_.Read("brimvel.log"), c.kept + kStartLine + kEndLines);
  }
}

TEST_F(RunLogTest, StampedLinesAreCutAt255) {
  dir_.Write("brimvel.log", "");
  OpenLog(LogName(), log_);
  const std::string message(250, 'm');
  LogLine(log_, message);
  LogError(log_, message);
  CloseLog(log_);
  const std::string expected = kStartLine + kStamp + message.substr(0, 236) + "\r\n" + kStamp +
                               "[err] " + message.substr(0, 230) + "\r\n" + kEndLines;
  EXPECT_EQ(dir_.Read("brimvel.log"), expected);
  EXPECT_EQ(Console(), expected);
}

TEST_F(RunLogTest, StampLayout) {
  struct Case {
    platform::LocalTime now;
    std::string stamp;
  };
  const Case cases[] = {
      {{2000, 1, 1, 6, 9, 5, 3, 990}, " 01.01.00 09:05:03 "},
      {{1999, 12, 31, 5, 23, 59, 59, 0}, " 31.12.99 23:59:59 "},
      {{2010, 10, 9, 6, 0, 0, 0, 0}, " 09.10.10 00:00:00 "},
  };
  for (const auto& c : cases) {
    SetFixedClock(c.now);
    EXPECT_EQ(StampedLine("", "msg"), c.stamp + "msg");
    EXPECT_EQ(StampedLine("[err] ", "msg"), c.stamp + "[err] msg");
  }
}

TEST_F(RunLogTest, DateIsReadBeforeTime) {
  // The clock passes midnight between the two reads of one line.
  std::vector<platform::LocalTime> reads = {{2001, 12, 31, 1, 23, 59, 59, 999},
                                            {2002, 1, 1, 2, 0, 0, 0, 0}};
  std::size_t next = 0;
  SetClockSource([&] { return reads[next < 1 ? next++ : 1]; });
  EXPECT_EQ(StampedLine("", "x"), " 31.12.01 00:00:00 x");
}

TEST_F(RunLogTest, UnavailableLogGoesToTheConsoleOnly) {
  OpenLog(dir_.Path("nodir/brimvel.log"), log_);
  EXPECT_TRUE(log_.unavailable);
  LogLine(log_, "later");
  LogError(log_, "worse");
  CloseLog(log_);
  EXPECT_EQ(Console(), kStamp + " ! I can't make log file!!!..\r\n" + kStamp + "later\r\n" +
                           kStamp + "[err] worse\r\n");
  EXPECT_FALSE(dir_.Exists("nodir"));
}

TEST_F(RunLogTest, TitleTextAndCharacterMap) {
  EXPECT_EQ(TitleText(log_, "Hatching"), "Hatching - Brimvel {v4.2.2W32}");
  EXPECT_EQ(TitleText(log_, std::string(250, 't')), std::string(250, 't') + " - Br");

  struct Case {
    unsigned char oem, title;
  };
  const Case cases[] = {
      {0x00, 0x00}, {0x41, 0x41}, {0x7F, 0x7F}, {0x80, 0xC0}, {0xA0, 0xE0}, {0xAF, 0xEF},
      {0xB0, 0x20}, {0xB2, 0x20}, {0xB3, '|'},  {0xB4, '|'},  {0xB5, 0x20}, {0xC3, '|'},
      {0xC4, '-'},  {0xC5, 0x20}, {0xDB, 0x20}, {0xDF, 0x20}, {0xE0, 0xF0}, {0xEF, 0xFF},
      {0xF0, 0xA8}, {0xF1, 0xB8}, {0xF2, 0xF2}, {0xFD, 0xFD}, {0xFE, 0x20}, {0xFF, 0xFF},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<unsigned char>(OemToTitleChar(static_cast<char>(c.oem))), c.title)
        << std::hex << int(c.oem);
  }
  EXPECT_EQ(OemToTitleText("Box \x80\xB3\xC4\xDB"), "Box \xC0|- ");
}

TEST_F(RunLogTest, ErrorPendingAtCloseEndsTheRun) {
  OpenLog(LogName(), log_);
  TextFile closed;
  WriteLine(closed, "x");  // an unchecked failure elsewhere leaves 105
  EXPECT_EXIT(CloseLog(log_), ::testing::ExitedWithCode(105), "Runtime error 105");
  EXPECT_EQ(TakeIoError(), 105);
  EXPECT_EQ(dir_.Read("brimvel.log"), kStamp + " * Made new log file\r\n" + kStartLine);
  CloseText(log_.file);
}

TEST_F(RunLogTest, ReadOnlyDirectoryMakesTheLogUnavailable) {
  const std::string locked = dir_.MakeDirectory("locked");
  std::filesystem::permissions(
      locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  if (testing::CanCreateIn(locked)) GTEST_SKIP() << "this process writes there anyway";
  OpenLog(locked + "/brimvel.log", log_);
  EXPECT_TRUE(log_.unavailable);
  EXPECT_EQ(Console(), kStamp + " ! I can't make log file!!!..\r\n");
  EXPECT_FALSE(dir_.Exists("locked/brimvel.log"));
}

TEST_F(RunLogTest, ReadOnlyLogEndsTheRun) {
  dir_.Write("brimvel.log", "old\r\n");
  std::filesystem::permissions(LogName(),
                               std::filesystem::perms::owner_write |
                                   std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  if (testing::CanWrite(LogName())) GTEST_SKIP() << "this process writes the file anyway";
  EXPECT_EXIT(OpenLog(LogName(), log_), ::testing::ExitedWithCode(5), "Runtime error 5");
}

}  // namespace
}  // namespace brimvel
