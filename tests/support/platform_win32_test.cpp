// The Win32 platform layer on a real file system (run under Windows or wine).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/platform.h"

namespace brimvel {
namespace {

namespace fs = std::filesystem;
using platform::Handle;
using platform::OpenKind;

// The test program doubles as the child that RunAndWait starts: called as
// "<exe> --brimvel-child <out file> <exit code> words...", it writes the
// words it was given, one per line, and ends with the exit code. Words
// before the marker are reported rather than ignored: the child must never
// fall through into running the tests (and so start children of its own).
[[maybe_unused]] const bool kChildRun = [] {
  std::vector<std::string> words = platform::CommandLineParameters(0, nullptr);
  auto marker = std::find(words.begin(), words.end(), "--brimvel-child");
  if (marker == words.end() || words.end() - marker < 3) return false;
  std::ofstream out(marker[1], std::ios::binary);
  if (marker != words.begin()) out << "(words before the marker)\n";
  for (auto word = marker + 3; word != words.end(); ++word) out << *word << '\n';
  out.close();
  std::exit(std::atoi(marker[2].c_str()));
}();

std::string ThisProgram() {
  // The first word of the command line, as the process was started.
  return fs::canonical(fs::path(std::string(__argv[0]))).string();
}

class Win32PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      root_ = fs::temp_directory_path() / ("brimvel-" + std::to_string(random()));
      if (fs::create_directory(root_)) return;
    }
    FAIL() << "no scratch directory";
  }
  void TearDown() override {
    std::error_code ignored;
    for (auto& entry : fs::recursive_directory_iterator(root_, ignored))
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
  }

  // Joined by hand: std::filesystem would take the bytes for UTF-8.
  std::string Path(const std::string& name) const { return root_.string() + "\\" + name; }

  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }

  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  void MakeReadOnly(const std::string& name) const {
    fs::permissions(Path(name), fs::perms::all, fs::perm_options::remove);
  }

  fs::path root_;
};

TEST_F(Win32PlatformTest, OpenCodesAreTheWindowsErrorNumbers) {
  Write("present.txt", "x");
  fs::create_directory(root_ / "sub");
  struct Case {
    const char* what;
    std::string name;
    OpenKind kind;
    int code;
  };
  const Case cases[] = {
      {"missing file", Path("missing.txt"), OpenKind::kReadExisting, 2},
      {"missing file, read-write", Path("missing.txt"), OpenKind::kReadWriteExisting, 2},
      {"missing directory", Path("nodir\\x.txt"), OpenKind::kReadExisting, 3},
      {"create in a missing directory", Path("nodir\\x.txt"), OpenKind::kCreateAlways, 3},
      {"lock in a missing directory", Path("nodir\\x.txt"), OpenKind::kCreateLocked, 3},
      {"a directory", Path("sub"), OpenKind::kReadExisting, 5},
      {"present, other case, forward slash", root_.string() + "/PRESENT.TXT",
       OpenKind::kReadExisting, 0},
  };
  for (const auto& c : cases) {
    Handle handle = platform::kNoHandle;
    EXPECT_EQ(platform::OpenFile(c.name, c.kind, handle), c.code) << c.what;
    if (c.code == 0) {
      EXPECT_EQ(platform::CloseFile(handle), 0) << c.what;
    }
  }
}

TEST_F(Win32PlatformTest, ReadOnlyMarkDecidesWhetherAFileMayBeReplaced) {
  // Judged by the mark itself: an administrator (or root under wine) could
  // still write the file, but a read-only configuration is meant to stay.
  Write("ro.txt", "keep");
  MakeReadOnly("ro.txt");
  Write("rw.txt", "");
  struct Case {
    std::string name;
    int code;
  };
  const Case cases[] = {{"ro.txt", 5}, {"rw.txt", 0}, {"missing.txt", 2}, {"nodir\\x", 3}};
  for (const auto& c : cases) EXPECT_EQ(platform::CheckWritable(Path(c.name)), c.code) << c.name;

  // The new configuration must not inherit the read-only mark, or the next
  // run could not replace it.
  EXPECT_EQ(platform::CopyPermissions(Path("ro.txt"), Path("rw.txt")), 0);
  EXPECT_EQ(platform::CheckWritable(Path("rw.txt")), 0);
  EXPECT_EQ(platform::CopyPermissions(Path("missing.txt"), Path("rw.txt")), 2);
}

TEST_F(Win32PlatformTest, PositionsAndSizesBeyond4GiB) {
  // Sparse: setting the end of the file allocates nothing.
  const std::int64_t big = (std::int64_t{5} << 30) + 7;
  Handle handle = platform::kNoHandle;
  ASSERT_EQ(platform::OpenFile(Path("big.bin"), OpenKind::kCreateAlways, handle), 0);
  ASSERT_EQ(platform::SeekFile(handle, big), 0);
  ASSERT_EQ(platform::TruncateFile(handle), 0);
  ASSERT_EQ(platform::WriteFile(handle, "xyz", 3), 0);
  std::int64_t size = 0;
  EXPECT_EQ(platform::FileSize(handle, size), 0);
  EXPECT_EQ(size, big + 3);
  ASSERT_EQ(platform::SeekFile(handle, big + 1), 0);
  char buffer[8];
  std::size_t got = 0;
  EXPECT_EQ(platform::ReadFile(handle, buffer, sizeof buffer, got), 0);
  EXPECT_EQ(std::string(buffer, got), "yz");
  EXPECT_EQ(platform::ReadFile(handle, buffer, sizeof buffer, got), 0);
  EXPECT_EQ(got, 0u) << "the end of the data reads as nothing, not an error";
  EXPECT_EQ(platform::SyncFile(handle), 0);
  EXPECT_EQ(platform::CloseFile(handle), 0);

  std::vector<platform::FoundEntry> entries;
  ASSERT_EQ(platform::FindEntries(Path("big.bin"), entries), 0);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].size, static_cast<std::uint64_t>(big + 3));
}

TEST_F(Win32PlatformTest, LockedFileShutsOutEveryOtherWriter) {
  const std::string tmp = Write("brimvel.tmp", "left over by a crashed run");
  Handle lock = platform::kNoHandle;
  ASSERT_EQ(platform::OpenFile(tmp, OpenKind::kCreateLocked, lock), 0);
  std::int64_t size = -1;
  EXPECT_EQ(platform::FileSize(lock, size), 0);
  EXPECT_EQ(size, 0) << "taking the lock empties the file";

  struct Case {
    OpenKind kind;
    int code;
  };
  const Case cases[] = {{OpenKind::kCreateLocked, platform::kSharingViolation},
                        {OpenKind::kCreateAlways, platform::kSharingViolation},
                        {OpenKind::kReadWriteExisting, platform::kSharingViolation},
                        {OpenKind::kReadExisting, 0}};
  for (const auto& c : cases) {
    Handle other = platform::kNoHandle;
    EXPECT_EQ(platform::OpenFile(tmp, c.kind, other), c.code) << static_cast<int>(c.kind);
    if (c.code == 0) {
      EXPECT_EQ(platform::LockShared(other), platform::kSharingViolation);
      platform::CloseFile(other);
    }
  }
  EXPECT_EQ(platform::CloseFile(lock), 0);

  // Closing (or the process ending) releases it for the next run.
  ASSERT_EQ(platform::OpenFile(tmp, OpenKind::kCreateLocked, lock), 0);
  EXPECT_EQ(platform::CloseFile(lock), 0);
}

TEST_F(Win32PlatformTest, LockedFileBecomesTheConfigurationAndStaysLocked) {
  const std::string config = Write("brimvel.cfg", "old\r\n");
  const std::string tmp = Path("brimvel.tmp");
  Handle lock = platform::kNoHandle;
  ASSERT_EQ(platform::OpenFile(tmp, OpenKind::kCreateLocked, lock), 0);
  ASSERT_EQ(platform::WriteFile(lock, "new\r\n", 5), 0);
  ASSERT_EQ(platform::SyncFile(lock), 0);

  ASSERT_EQ(platform::ReplaceFile(tmp, config), 0);
  EXPECT_FALSE(fs::exists(tmp));
  EXPECT_EQ(platform::StillNamed(lock, config), 0);
  // The moved file does not hold on to the old name: the next run can lock it.
  Handle next = platform::kNoHandle;
  ASSERT_EQ(platform::OpenFile(tmp, OpenKind::kCreateLocked, next), 0);
  EXPECT_EQ(platform::CloseFile(next), 0);

  // A run starting now may read the new configuration, but sees the lock.
  Handle reader = platform::kNoHandle;
  ASSERT_EQ(platform::OpenFile(config, OpenKind::kReadExisting, reader), 0);
  EXPECT_EQ(platform::StillNamed(reader, config), 0);
  EXPECT_EQ(platform::LockShared(reader), platform::kSharingViolation);
  EXPECT_EQ(platform::CloseFile(lock), 0);
  EXPECT_EQ(platform::LockShared(reader), 0) << "the lock ends with its handle";
  EXPECT_EQ(platform::LockShared(reader), 0) << "shared locks do not exclude each other";
  char buffer[16];
  std::size_t got = 0;
  EXPECT_EQ(platform::ReadFile(reader, buffer, sizeof buffer, got), 0)
      << "the lock must not hinder reading";
  EXPECT_EQ(std::string(buffer, got), "new\r\n");
  EXPECT_EQ(platform::CloseFile(reader), 0);
}

TEST_F(Win32PlatformTest, StillNamedSeesAnotherFileTakeTheName) {
  const std::string config = Write("brimvel.cfg", "first");
  Handle held = platform::kNoHandle;
  ASSERT_EQ(platform::OpenFile(config, OpenKind::kReadExisting, held), 0);
  EXPECT_EQ(platform::StillNamed(held, Path("BRIMVEL.CFG")), 0);
  EXPECT_EQ(platform::StillNamed(held, Path("other.cfg")), platform::kSharingViolation);
  Write("other.cfg", "second");
  EXPECT_EQ(platform::StillNamed(held, Path("other.cfg")), platform::kSharingViolation);
  EXPECT_EQ(platform::CloseFile(held), 0);
}

TEST_F(Win32PlatformTest, ReplaceWaitsForAShortLivedReaderOfTheTarget) {
  const std::string config = Write("brimvel.cfg", "old");
  const std::string tmp = Write("brimvel.tmp", "new");
  Handle reader = platform::kNoHandle;
  ASSERT_EQ(platform::OpenFile(config, OpenKind::kReadExisting, reader), 0);
  std::thread release([reader] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    platform::CloseFile(reader);
  });
  int code = platform::ReplaceFile(tmp, config);
  release.join();
  EXPECT_EQ(code, 0);
  EXPECT_EQ(Read("brimvel.cfg"), "new");
}

TEST_F(Win32PlatformTest, ReplaceAndDeleteCodes) {
  Write("a.txt", "a");
  struct Case {
    const char* what;
    std::string from, to;
    int code;
  };
  const Case cases[] = {
      {"missing source", Path("missing.txt"), Path("b.txt"), 2},
      {"target in a missing directory", Path("a.txt"), Path("nodir\\b.txt"), 3},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::ReplaceFile(c.from, c.to), c.code) << c.what;
  EXPECT_EQ(platform::DeleteFile(Path("missing.txt")), 2);
  EXPECT_EQ(platform::DeleteFile(Path("nodir\\x.txt")), 3);
  fs::create_directory(root_ / "sub");
  EXPECT_EQ(platform::DeleteFile(Path("sub")), 5);
  EXPECT_EQ(platform::DeleteFile(Path("A.TXT")), 0);
  EXPECT_FALSE(fs::exists(Path("a.txt")));
}

TEST_F(Win32PlatformTest, FindEntriesReportsWhatTheSystemDelivers) {
  Write("one.zip", "12345");
  Write("two.ZIP", "");
  MakeReadOnly("two.ZIP");
  fs::create_directory(root_ / "sub.zip");
  fs::create_directory(root_ / "empty");

  std::vector<platform::FoundEntry> entries;
  ASSERT_EQ(platform::FindEntries(Path("*.zip"), entries), 0);
  std::map<std::string, platform::FoundEntry> byName;
  for (const auto& entry : entries) byName[entry.name] = entry;
  ASSERT_EQ(byName.size(), 3u) << "names keep their case and carry no directory part";
  EXPECT_EQ(byName["one.zip"].size, 5u);
  EXPECT_EQ(byName["one.zip"].attributes & 0x3F, 0x20);
  EXPECT_EQ(byName["two.ZIP"].attributes & 0x3F, 0x21);
  EXPECT_EQ(byName["sub.zip"].attributes & 0x10, 0x10);

  struct Case {
    const char* what;
    std::string pattern;
    int code;
    std::size_t count;
  };
  const Case cases[] = {
      {"nothing matches", Path("*.arj"), 2, 0},
      {"missing directory", Path("nodir\\*.*"), 3, 0},
      {"empty directory still has . and ..", Path("empty\\*.*"), 0, 2},
      {"no wildcards, other case", Path("ONE.ZIP"), 0, 1},
      {"forward slashes", root_.string() + "/*.zip", 0, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::FindEntries(c.pattern, entries), c.code) << c.what;
    EXPECT_EQ(entries.size(), c.count) << c.what;
  }
}

TEST_F(Win32PlatformTest, FoundTimeIsTheLocalWriteTimePacked) {
  Handle handle = platform::kNoHandle;
  ASSERT_EQ(platform::OpenFile(Path("now.txt"), OpenKind::kCreateAlways, handle), 0);
  platform::WriteFile(handle, "x", 1);
  platform::CloseFile(handle);
  platform::LocalTime now = platform::Now();
  std::vector<platform::FoundEntry> entries;
  ASSERT_EQ(platform::FindEntries(Path("now.txt"), entries), 0);
  ASSERT_EQ(entries.size(), 1u);
  std::uint32_t packed = entries[0].time;
  EXPECT_EQ(static_cast<int>(packed >> 25) + 1980, now.year);
  EXPECT_EQ(static_cast<int>((packed >> 21) & 0x0F), now.month);
  EXPECT_EQ(static_cast<int>((packed >> 16) & 0x1F), now.day);
  int foundSeconds =
      static_cast<int>((packed >> 11) & 0x1F) * 3600 + static_cast<int>((packed >> 5) & 0x3F) * 60;
  int nowSeconds = now.hour * 3600 + now.minute * 60;
  EXPECT_LE(std::abs(nowSeconds - foundSeconds), 60) << "the time must be local, not UTC";
}

TEST_F(Win32PlatformTest, NamesCrossTheCodePageBoundaryBothWays) {
  // 0x81 is a letter in every OEM code page and maps to a letter in the
  // matching ANSI one, so the round trip must give the same bytes back.
  const std::string name = "x\x81y.txt";
  Handle handle = platform::kNoHandle;
  ASSERT_EQ(platform::OpenFile(Path(name), OpenKind::kCreateAlways, handle), 0);
  platform::CloseFile(handle);
  std::vector<platform::FoundEntry> entries;
  ASSERT_EQ(platform::FindEntries(Path("x*y.txt"), entries), 0);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, name);
  ASSERT_EQ(platform::FindEntries(Path(name), entries), 0) << "a found name searches again";
  Write("new.txt", "z");
  EXPECT_EQ(platform::ReplaceFile(Path("new.txt"), Path(name)), 0);
  EXPECT_EQ(platform::DeleteFile(Path(name)), 0);
  EXPECT_EQ(platform::FindEntries(Path("x*"), entries), 2);
}

TEST_F(Win32PlatformTest, RunAndWaitPassesTheParametersAndTheExitCode) {
  // A program path with a blank in it: the quotes around it must hold.
  fs::create_directory(root_ / "post prog");
  const std::string program = Path("post prog\\child.exe");
  fs::copy_file(ThisProgram(), program);
  const std::string out = Path("words.txt");
  struct Case {
    std::string parameters;
    int exitCode;
    std::string words;
  };
  const Case cases[] = {
      {"", 0, ""},
      {"-CFG \"C:\\My Dir\\x.cfg\" X", 3, "-CFG\nC:\\My Dir\\x.cfg\nX\n"},
      {"C:\\NEWS\\A.ZIP  \"\"  tab\there", 300, "C:\\NEWS\\A.ZIP\ntab\nhere\n"},
  };
  for (const auto& c : cases) {
    int exitCode = -1;
    std::string parameters = "--brimvel-child \"" + out + "\" " + std::to_string(c.exitCode) +
                             (c.parameters.empty() ? "" : " " + c.parameters);
    ASSERT_EQ(platform::RunAndWait(program, parameters, exitCode), 0) << c.parameters;
    EXPECT_EQ(exitCode, c.exitCode) << c.parameters;
    EXPECT_EQ(Read("words.txt"), c.words) << c.parameters;
  }
}

TEST_F(Win32PlatformTest, RunAndWaitStartErrors) {
  Write("plain.txt", "not a program");
  struct Case {
    const char* what;
    std::string program;
    int code;
  };
  const Case cases[] = {
      {"missing program", Path("missing.exe"), 2},
      {"missing directory", Path("nodir\\prog.exe"), 3},
  };
  for (const auto& c : cases) {
    int exitCode = -1;
    EXPECT_EQ(platform::RunAndWait(c.program, "x", exitCode), c.code) << c.what;
  }
  int exitCode = -1;
  EXPECT_NE(platform::RunAndWait(Path("plain.txt"), "x", exitCode), 0) << "not a program";
}

TEST_F(Win32PlatformTest, CheckRunnableWantsAProgramFile) {
  Write("plain.txt", "not a program");
  fs::create_directory(root_ / "sub.exe");
  fs::copy_file(ThisProgram(), Path("prog.exe"));
  struct Case {
    std::string name;
    int code;
  };
  const Case cases[] = {{"prog.exe", 0},
                        {"plain.txt", 5},
                        {"sub.exe", 5},
                        {"missing.exe", 2},
                        {"nodir\\prog.exe", 3}};
  for (const auto& c : cases) EXPECT_EQ(platform::CheckRunnable(Path(c.name)), c.code) << c.name;
}

TEST(Win32ClockTest, NowAgreesWithTheCalendar) {
  platform::LocalTime now = platform::Now();
  using namespace std::chrono;
  year_month_day date{year{now.year}, month{static_cast<unsigned>(now.month)},
                      day{static_cast<unsigned>(now.day)}};
  ASSERT_TRUE(date.ok());
  EXPECT_EQ(weekday(sys_days(date)).c_encoding(), static_cast<unsigned>(now.dayOfWeek))
      << "0 must be Sunday";
  EXPECT_GE(now.year, 2020);
  EXPECT_LT(now.hour, 24);
  EXPECT_LT(now.millisecond, 1000);
}

}  // namespace
}  // namespace brimvel
