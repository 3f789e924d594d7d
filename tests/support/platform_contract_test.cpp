// The real file system and program starter, whichever platform layer is
// linked in (POSIX natively, Win32 under Windows or wine), held to the one
// contract of file_system.h and process_runner.h. What truly differs between
// the systems stands in the parts marked "Platform:".
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/clock.h"
#include "support/platform.h"
#include "support/scratch_dir.h"
#include "support/search.h"
#include "support/text_writer.h"

namespace brimvel {
namespace {

namespace stdfs = std::filesystem;

bool WindowsNames() {
  return platform::SystemFileSystem().DirectorySeparators().find('\\') != std::string_view::npos;
}

// Under Windows the child that RunAndWait starts is a copy of this program:
// called as "<exe> --brimvel-child <out file> <exit code> words...", it writes
// the words it got, one a line, and ends with the exit code. Words before the
// marker are reported, and a child never falls through into the tests.
// (Elsewhere the platform gives no parameters here and the child is a script.)
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

class PlatformContractTest : public ::testing::Test {
 protected:
  // A path below the scratch directory; '/' in `name` becomes the
  // platform's own separator.
  std::string P(std::string name = {}) const {
    std::replace(name.begin(), name.end(), '/', Separator());
    return name.empty() ? dir_.Path() : dir_.Path() + Separator() + name;
  }
  char Separator() const { return fs_.DirectorySeparators()[0]; }

  std::string Write(const std::string& name, const std::string& bytes) const {
    dir_.Write(name, bytes);
    return P(name);
  }

  void MakeReadOnly(const std::string& name) const {
    stdfs::permissions(
        P(name), stdfs::perms::owner_write | stdfs::perms::group_write | stdfs::perms::others_write,
        stdfs::perm_options::remove);
  }

  Handle OpenOrFail(const std::string& path, OpenKind kind) {
    Handle handle = kNoHandle;
    EXPECT_EQ(fs_.Open(path, kind, handle), 0) << path;
    return handle;
  }

  std::string ReadWhole(Handle handle) {
    std::string bytes;
    char buffer[256];
    std::size_t got = 0;
    if (fs_.Seek(handle, 0) != 0) return "(seek failed)";
    while (fs_.Read(handle, buffer, sizeof buffer, got) == 0 && got > 0) bytes.append(buffer, got);
    return bytes;
  }

  FileSystem& fs_ = platform::SystemFileSystem();
  testing::ScratchDir dir_;
};

TEST_F(PlatformContractTest, OpenCodes) {
  Write("present.txt", "x");
  dir_.MakeDirectory("sub");
  const int otherCase = fs_.NamesIgnoreCase() ? 0 : 2;
  struct Case {
    const char* what;
    std::string name;
    OpenKind kind;
    int code;
  };
  const Case cases[] = {
      {"present", P("present.txt"), OpenKind::kReadExisting, 0},
      {"present, other case", P("PRESENT.TXT"), OpenKind::kReadExisting, otherCase},
      {"present, '/' as separator", dir_.Path() + "/present.txt", OpenKind::kReadExisting, 0},
      {"missing file", P("missing.txt"), OpenKind::kReadExisting, 2},
      {"no name", "", OpenKind::kReadExisting, 2},
      {"no name, create", "", OpenKind::kCreateAlways, 2},
      {"missing file, read-write", P("missing.txt"), OpenKind::kReadWriteExisting, 2},
      {"missing file, append", P("missing.txt"), OpenKind::kAppendExisting, 2},
      {"missing directory", P("nodir/x.txt"), OpenKind::kReadExisting, 3},
      {"create in a missing directory", P("nodir/x.txt"), OpenKind::kCreateAlways, 3},
      {"create-append in a missing directory", P("nodir/x.txt"), OpenKind::kCreateAppend, 3},
      {"lock in a missing directory", P("nodir/x.txt"), OpenKind::kCreateLocked, 3},
      {"a file as directory", P("present.txt/x.txt"), OpenKind::kReadExisting, 3},
      {"a directory", P("sub"), OpenKind::kReadExisting, 5},
      {"a directory, create", P("sub"), OpenKind::kCreateAlways, 5},
      {"a directory, append", P("sub"), OpenKind::kCreateAppend, 5},
  };
  for (const auto& c : cases) {
    Handle handle = kNoHandle;
    EXPECT_EQ(fs_.Open(c.name, c.kind, handle), c.code) << c.what;
    if (c.code == 0) {
      EXPECT_NE(handle, kNoHandle) << c.what;
      EXPECT_EQ(fs_.Close(handle), 0) << c.what;
    }
  }
  EXPECT_FALSE(dir_.Exists("missing.txt")) << "only the creating kinds make a file";
}

TEST_F(PlatformContractTest, ReadOnlyFileRefusesWriting) {
  const std::string ro = Write("ro.txt", "keep");
  MakeReadOnly("ro.txt");
  // Permission bits do not keep out a privileged POSIX process.
  if (testing::CanWrite(ro)) GTEST_SKIP() << "this process writes read-only files anyway";
  for (OpenKind kind : {OpenKind::kReadWriteExisting, OpenKind::kAppendExisting,
                        OpenKind::kCreateAppend, OpenKind::kCreateAlways}) {
    Handle handle = kNoHandle;
    EXPECT_EQ(fs_.Open(ro, kind, handle), 5) << static_cast<int>(kind);
  }
  EXPECT_EQ(dir_.Read("ro.txt"), "keep");
}

TEST_F(PlatformContractTest, ReadOnlyMarkDecidesWhetherAFileMayBeReplaced) {
  // Judged by the mark itself: an administrator or root could still write
  // the file, but a read-only configuration is meant to stay.
  Write("ro.txt", "keep");
  MakeReadOnly("ro.txt");
  Write("rw.txt", "");
  struct Case {
    std::string name;
    int code;
  };
  const Case cases[] = {
      {P("ro.txt"), 5}, {P("rw.txt"), 0}, {P("missing.txt"), 2}, {"", 2}, {P("nodir/x"), 3}};
  for (const auto& c : cases) EXPECT_EQ(fs_.CheckWritable(c.name), c.code) << c.name;
  EXPECT_EQ(fs_.CopyPermissions(P("missing.txt"), P("rw.txt")), 2);

  // Platform: POSIX copies the permission bits; Windows passes hidden and
  // system marks on, never the read-only one, so the next run may replace
  // the new configuration.
  EXPECT_EQ(fs_.CopyPermissions(P("ro.txt"), P("rw.txt")), 0);
  EXPECT_EQ(fs_.CheckWritable(P("rw.txt")), WindowsNames() ? 0 : 5);
}

TEST_F(PlatformContractTest, ReadWriteSeekAndSizeBeyond4GiB) {
  // Sparse: moving the end of the file allocates nothing.
  const std::int64_t big = (std::int64_t{5} << 30) + 7;
  Handle handle = OpenOrFail(P("big.bin"), OpenKind::kCreateAlways);
  ASSERT_EQ(fs_.Seek(handle, big), 0);
  ASSERT_EQ(fs_.Truncate(handle), 0);
  ASSERT_EQ(fs_.Write(handle, "xyz", 3), 0);
  std::int64_t size = 0;
  EXPECT_EQ(fs_.Size(handle, size), 0);
  EXPECT_EQ(size, big + 3);
  ASSERT_EQ(fs_.Seek(handle, big + 1), 0);
  char buffer[8];
  std::size_t got = 0;
  EXPECT_EQ(fs_.Read(handle, buffer, sizeof buffer, got), 0);
  EXPECT_EQ(std::string(buffer, got), "yz");
  EXPECT_EQ(fs_.Read(handle, buffer, sizeof buffer, got), 0);
  EXPECT_EQ(got, 0u) << "the end of the data reads as nothing, not as an error";
  EXPECT_EQ(fs_.Sync(handle), 0);
  EXPECT_EQ(fs_.Close(handle), 0);

  FoundEntry entry;
  ASSERT_EQ(fs_.Describe(P("big.bin"), entry), 0);
  EXPECT_EQ(entry.size, static_cast<std::uint64_t>(big + 3));
}

TEST_F(PlatformContractTest, WritingThroughAReadingHandleFails) {
  Write("a.txt", "abc");
  Handle handle = OpenOrFail(P("a.txt"), OpenKind::kReadExisting);
  EXPECT_NE(fs_.Write(handle, "x", 1), 0);
  EXPECT_EQ(fs_.Close(handle), 0);
  EXPECT_EQ(dir_.Read("a.txt"), "abc");
}

TEST_F(PlatformContractTest, EraseCodes) {
  Write("a.txt", "a");
  Write("b.txt", "b");
  dir_.MakeDirectory("sub");
  struct Case {
    const char* what;
    std::string name;
    int code;
  };
  const Case cases[] = {
      {"missing file", P("missing.txt"), 2},
      {"no name", "", 2},
      {"missing directory", P("nodir/x.txt"), 3},
      {"a file as directory", P("a.txt/x.txt"), 3},
      {"a directory", P("sub"), 5},
      {"other case", P("B.TXT"), fs_.NamesIgnoreCase() ? 0 : 2},
      {"present", P("a.txt"), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(fs_.Erase(c.name), c.code) << c.what;
  EXPECT_FALSE(dir_.Exists("a.txt"));
  EXPECT_TRUE(dir_.Exists("sub"));
  EXPECT_EQ(dir_.Exists("b.txt"), !fs_.NamesIgnoreCase());
}

TEST_F(PlatformContractTest, ReplaceCodes) {
  Write("a.txt", "a");
  struct Case {
    const char* what;
    std::string from, to;
    int code;
  };
  const Case cases[] = {
      {"missing source", P("missing.txt"), P("b.txt"), 2},
      {"no source", "", P("b.txt"), 2},
      {"source in a missing directory", P("nodir/x.txt"), P("b.txt"), 3},
      {"target in a missing directory", P("a.txt"), P("nodir/b.txt"), 3},
  };
  for (const auto& c : cases) EXPECT_EQ(fs_.Replace(c.from, c.to), c.code) << c.what;
  EXPECT_EQ(dir_.Read("a.txt"), "a") << "a failed move leaves the source alone";
}

TEST_F(PlatformContractTest, ReplaceTakesTheNameOfAnExistingFile) {
  Write("brimvel.cfg", "old, longer than the new one");
  Write("brimvel.tmp", "new");
  EXPECT_EQ(fs_.Replace(P("brimvel.tmp"), P("brimvel.cfg")), 0);
  EXPECT_EQ(dir_.Read("brimvel.cfg"), "new");
  EXPECT_FALSE(dir_.Exists("brimvel.tmp"));
}

TEST_F(PlatformContractTest, ReplaceWaitsForAShortLivedReaderOfTheTarget) {
  // Another run about to refuse, or a virus scanner, may hold the
  // configuration open for a moment.
  Write("brimvel.cfg", "old");
  Write("brimvel.tmp", "new");
  Handle reader = OpenOrFail(P("brimvel.cfg"), OpenKind::kReadExisting);
  std::thread release([this, reader] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    fs_.Close(reader);
  });
  int code = fs_.Replace(P("brimvel.tmp"), P("brimvel.cfg"));
  release.join();
  EXPECT_EQ(code, 0);
  EXPECT_EQ(dir_.Read("brimvel.cfg"), "new");
}

TEST_F(PlatformContractTest, LockedCreationShutsOutASecondLockAndSharedLocks) {
  const std::string tmp = Write("brimvel.tmp", "left over by a crashed run");
  Handle lock = OpenOrFail(tmp, OpenKind::kCreateLocked);
  std::int64_t size = -1;
  EXPECT_EQ(fs_.Size(lock, size), 0);
  EXPECT_EQ(size, 0) << "taking the lock empties the file";
  ASSERT_EQ(fs_.Write(lock, "mine", 4), 0);

  Handle other = kNoHandle;
  EXPECT_EQ(fs_.Open(tmp, OpenKind::kCreateLocked, other), kSharingViolation);
  Handle reader = OpenOrFail(tmp, OpenKind::kReadExisting);
  EXPECT_EQ(fs_.LockShared(reader), kSharingViolation);
  // Platform: Windows shares a locked file for reading only.
  if (WindowsNames()) {
    for (OpenKind kind : {OpenKind::kCreateAlways, OpenKind::kReadWriteExisting}) {
      EXPECT_EQ(fs_.Open(tmp, kind, other), kSharingViolation) << static_cast<int>(kind);
    }
  }
  EXPECT_EQ(dir_.Read("brimvel.tmp"), "mine") << "a refused lock leaves the file untouched";

  EXPECT_EQ(fs_.Close(lock), 0);
  EXPECT_EQ(fs_.LockShared(reader), 0) << "the lock ends with its handle";
  Handle second = OpenOrFail(tmp, OpenKind::kReadExisting);
  EXPECT_EQ(fs_.LockShared(second), 0) << "shared locks do not exclude each other";
  EXPECT_EQ(fs_.Close(second), 0);
  EXPECT_EQ(fs_.Close(reader), 0);
  lock = OpenOrFail(tmp, OpenKind::kCreateLocked);
  EXPECT_EQ(fs_.Close(lock), 0);
}

TEST_F(PlatformContractTest, LockedFileBecomesTheConfigurationAndStaysLocked) {
  const std::string config = Write("brimvel.cfg", "old\r\n");
  const std::string tmp = P("brimvel.tmp");
  Handle lock = OpenOrFail(tmp, OpenKind::kCreateLocked);
  ASSERT_EQ(fs_.Write(lock, "new\r\n", 5), 0);
  ASSERT_EQ(fs_.Sync(lock), 0);

  ASSERT_EQ(fs_.Replace(tmp, config), 0);
  EXPECT_FALSE(dir_.Exists("brimvel.tmp"));
  EXPECT_EQ(fs_.StillNamed(lock, config), 0);
  // The moved file does not hold on to its old name: the next run can lock it.
  Handle next = OpenOrFail(tmp, OpenKind::kCreateLocked);
  EXPECT_EQ(fs_.Close(next), 0);

  // A run starting now may read the new configuration, but meets the lock.
  Handle reader = OpenOrFail(config, OpenKind::kReadExisting);
  EXPECT_EQ(fs_.StillNamed(reader, config), 0);
  EXPECT_EQ(fs_.LockShared(reader), kSharingViolation);
  EXPECT_EQ(ReadWhole(reader), "new\r\n") << "the lock must not hinder reading";
  EXPECT_EQ(fs_.Close(lock), 0);
  EXPECT_EQ(fs_.LockShared(reader), 0);
  EXPECT_EQ(fs_.Close(reader), 0);
}

TEST_F(PlatformContractTest, StillNamedSeesAnotherFileTakeTheName) {
  const std::string config = Write("brimvel.cfg", "first");
  Write("other.cfg", "second");
  Handle held = OpenOrFail(config, OpenKind::kReadExisting);
  struct Case {
    const char* what;
    std::string name;
    int code;
  };
  const Case cases[] = {
      {"its own name", config, 0},
      {"its name, other case", P("BRIMVEL.CFG"), fs_.NamesIgnoreCase() ? 0 : kSharingViolation},
      {"another file's name", P("other.cfg"), kSharingViolation},
      {"no file's name", P("missing.cfg"), kSharingViolation},
  };
  for (const auto& c : cases) EXPECT_EQ(fs_.StillNamed(held, c.name), c.code) << c.what;
  EXPECT_EQ(fs_.Close(held), 0);

  // A run that locked the temporary file loses it to another run's move.
  // Platform: Windows moves no file over an open one.
  if (WindowsNames()) return;
  const std::string tmp = P("brimvel.tmp");
  Handle lock = OpenOrFail(tmp, OpenKind::kCreateLocked);
  ASSERT_EQ(fs_.Replace(P("other.cfg"), tmp), 0);
  EXPECT_EQ(fs_.StillNamed(lock, tmp), kSharingViolation);
  EXPECT_EQ(fs_.Close(lock), 0);
}

TEST_F(PlatformContractTest, AppendingHandlesWriteAtTheCurrentEnd) {
  // Two runs share the log: each write must land at the end as it is then,
  // never where the handle last stood.
  Write("brimvel.log", "old\r\n");
  for (OpenKind kind : {OpenKind::kAppendExisting, OpenKind::kCreateAppend}) {
    SCOPED_TRACE(static_cast<int>(kind));
    Handle first = OpenOrFail(P("brimvel.log"), kind);
    Handle second = OpenOrFail(P("brimvel.log"), kind);
    ASSERT_EQ(fs_.Seek(first, 0), 0);
    EXPECT_EQ(fs_.Write(first, "a1\r\n", 4), 0);
    EXPECT_EQ(fs_.Write(second, "b1\r\n", 4), 0);
    EXPECT_EQ(fs_.Write(first, "a2\r\n", 4), 0);
    EXPECT_EQ(fs_.Sync(first), 0);
    EXPECT_EQ(ReadWhole(second), "old\r\na1\r\nb1\r\na2\r\n") << "reading still works";
    EXPECT_EQ(fs_.Close(first), 0);
    EXPECT_EQ(fs_.Close(second), 0);
    Write("brimvel.log", "old\r\n");
  }
  Handle made = OpenOrFail(P("new.log"), OpenKind::kCreateAppend);
  Handle again = OpenOrFail(P("new.log"), OpenKind::kCreateAppend);
  EXPECT_EQ(fs_.Write(made, "a", 1), 0);
  EXPECT_EQ(fs_.Write(again, "b", 1), 0);
  EXPECT_EQ(fs_.Close(made), 0);
  EXPECT_EQ(fs_.Close(again), 0);
  EXPECT_EQ(dir_.Read("new.log"), "ab") << "opening an existing file never empties it";
}

TEST_F(PlatformContractTest, LogsOpenedTogetherKeepEveryLine) {
  // The text layer over the real file system, as two runs open the log: a
  // Ctrl-Z left at the end is cut away first, then both append.
  Write("brimvel.log", "old\r\n\x1A\x1A");
  TextWriter first(fs_, P("brimvel.log")), second(fs_, P("brimvel.log"));
  ASSERT_EQ(first.OpenAppend(), 0);
  ASSERT_EQ(second.OpenAppend(), 0);
  for (const char* line : {"a1", "b1", "a2", "b2"}) {
    TextWriter& log = line[0] == 'a' ? first : second;
    EXPECT_EQ(log.WriteLine(line), 0);
    EXPECT_EQ(log.Flush(), 0);
  }
  EXPECT_EQ(first.Close(), 0);
  EXPECT_EQ(second.Close(), 0);
  // Each line as the platform ends its lines, after the old text.
  std::string end(platform::SystemFileSystem().LineEnd());
  EXPECT_EQ(dir_.Read("brimvel.log"), "old\r\na1" + end + "b1" + end + "a2" + end + "b2" + end);
}

TEST_F(PlatformContractTest, ListAndDescribeReportNamesAttributesAndSizes) {
  Write("one.zip", "12345");
  Write("two.ZIP", "");
  MakeReadOnly("two.ZIP");
  dir_.MakeDirectory("sub.zip");

  std::vector<FoundEntry> entries;
  ASSERT_EQ(fs_.List(P() + Separator(), entries), 0);
  std::map<std::string, FoundEntry> byName;
  for (const auto& entry : entries) byName[entry.name] = entry;
  struct Case {
    std::string name;
    std::uint8_t attributes;
    std::uint64_t size;
  };
  const Case cases[] = {{"one.zip", kAttrArchive, 5},
                        {"two.ZIP", kAttrArchive | kAttrReadOnly, 0},
                        {"sub.zip", kAttrDirectory, 0}};
  for (const auto& c : cases) {
    ASSERT_EQ(byName.count(c.name), 1u) << c.name << ": names keep their case, no directory part";
    EXPECT_EQ(byName[c.name].attributes, c.attributes) << c.name;
    if ((c.attributes & kAttrDirectory) == 0) {
      EXPECT_EQ(byName[c.name].size, c.size) << c.name;
    }

    FoundEntry entry;
    ASSERT_EQ(fs_.Describe(P(c.name), entry), 0) << c.name;
    EXPECT_EQ(entry.name, c.name);
    EXPECT_EQ(entry.attributes, c.attributes) << c.name;
    EXPECT_EQ(entry.time, byName[c.name].time) << c.name;
    if ((c.attributes & kAttrDirectory) == 0) {
      EXPECT_EQ(entry.size, c.size) << c.name;
    }
  }
  byName.erase(".");
  byName.erase("..");
  EXPECT_EQ(byName.size(), 3u);
}

TEST_F(PlatformContractTest, ListCodes) {
  Write("plain.txt", "x");
  dir_.MakeDirectory("empty");
  const std::string sep(1, Separator());
  struct Case {
    const char* what;
    std::string directory;
    int code;
  };
  const Case cases[] = {
      {"empty directory", P("empty") + sep, 0},
      {"missing directory", P("nodir") + sep, 3},
      {"a file as directory", P("plain.txt") + sep, 3},
  };
  for (const auto& c : cases) {
    std::vector<FoundEntry> entries{FoundEntry{"stale"}};
    EXPECT_EQ(fs_.List(c.directory, entries), c.code) << c.what;
    for (const auto& entry : entries)
      EXPECT_TRUE(entry.name == "." || entry.name == "..") << c.what << ": " << entry.name;
  }

  const std::string locked = dir_.MakeDirectory("locked");
  stdfs::permissions(locked, stdfs::perms::none);
  std::vector<FoundEntry> entries;
  if (!testing::CanList(locked)) {
    EXPECT_EQ(fs_.List(locked + sep, entries), 5) << "a directory that may not be read";
  }
  stdfs::permissions(locked, stdfs::perms::owner_all);
}

TEST_F(PlatformContractTest, SearchOverTheRealListing) {
  Write("a.zip", "x");
  Write("plain.txt", "x");
  dir_.MakeDirectory("empty");
  dir_.MakeDirectory("dirs.zip");
  struct Case {
    const char* what;
    std::string pattern;
    int code;
    std::size_t count;
  };
  const Case cases[] = {
      {"a match", P("*.ZIP"), 0, 1},
      {"no name matches", P("*.rar"), 2, 0},
      {"only directories match", P("dirs.*"), 18, 0},
      {"\".\" and \"..\" match, as directories", P("empty/*"), 18, 0},
      {"missing directory", P("nodir/*"), 3, 0},
      {"a file as directory", P("plain.txt/*"), 3, 0},
  };
  for (const auto& c : cases) {
    std::vector<FoundEntry> found;
    EXPECT_EQ(FindFiles(fs_, c.pattern, found), c.code) << c.what;
    EXPECT_EQ(found.size(), c.count) << c.what;
  }
}

TEST_F(PlatformContractTest, EmptyDirectoryNameListsTheCurrentDirectory) {
  Write("here.txt", "x");
  const stdfs::path previous = stdfs::current_path();
  stdfs::current_path(P());
  std::vector<FoundEntry> entries;
  int code = fs_.List("", entries);
  FoundEntry entry;
  int described = fs_.Describe("here.txt", entry);
  stdfs::current_path(previous);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                          [](const FoundEntry& e) { return e.name == "here.txt"; }),
            1);
  EXPECT_EQ(described, 0);
  EXPECT_EQ(entry.name, "here.txt");
}

TEST_F(PlatformContractTest, DescribeCodes) {
  Write("a.zip", "x");
  struct Case {
    const char* what;
    std::string name;
    int code;
  };
  const Case cases[] = {
      {"missing file", P("missing.zip"), 2},
      {"no name", "", 2},
      {"missing directory", P("nodir/a.zip"), 3},
      {"a mask is no name", P("*.zip"), 2},
      {"other case", P("A.ZIP"), fs_.NamesIgnoreCase() ? 0 : 2},
  };
  for (const auto& c : cases) {
    FoundEntry entry;
    EXPECT_EQ(fs_.Describe(c.name, entry), c.code) << c.what;
  }
}

// Seconds since an arbitrary epoch, for comparing local times.
std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
  using namespace std::chrono;
  sys_days date{year_month_day{std::chrono::year{year}, std::chrono::month{unsigned(month)},
                               std::chrono::day{unsigned(day)}}};
  return std::int64_t{date.time_since_epoch().count()} * 86400 + hour * 3600 + minute * 60 + second;
}

TEST_F(PlatformContractTest, FoundTimeIsTheLocalWriteTime) {
  // Under test, run in a zone away from UTC, so that a time left in UTC shows.
  Handle handle = OpenOrFail(P("now.txt"), OpenKind::kCreateAlways);
  EXPECT_EQ(fs_.Write(handle, "x", 1), 0);
  EXPECT_EQ(fs_.Close(handle), 0);
  LocalTime now = platform::SystemClock().Now();
  FoundEntry entry;
  ASSERT_EQ(fs_.Describe(P("now.txt"), entry), 0);
  std::int64_t foundSeconds = entry.time.time_since_epoch().count();
  std::int64_t nowSeconds =
      LocalSeconds(now.year, now.month, now.day, now.hour, now.minute, now.second);
  EXPECT_LE(std::abs(nowSeconds - foundSeconds), 60)
      << foundSeconds - nowSeconds << " s away from " << now.hour << ':' << now.minute << " now";
}

TEST_F(PlatformContractTest, NamesFoundAreNamesThatOpen) {
  // 0x81 is a letter in every OEM code page and has an ANSI counterpart;
  // elsewhere a name is its bytes. Either way a found name must name the
  // same file again.
  const std::string name = "x\x81y.txt";
  Handle handle = OpenOrFail(P(name), OpenKind::kCreateAlways);
  EXPECT_EQ(fs_.Close(handle), 0);
  std::vector<FoundEntry> entries;
  ASSERT_EQ(fs_.List(P() + Separator(), entries), 0);
  EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                          [&name](const FoundEntry& e) { return e.name == name; }),
            1);
  FoundEntry entry;
  EXPECT_EQ(fs_.Describe(P(name), entry), 0);
  EXPECT_EQ(entry.name, name);
  Write("new.txt", "z");
  EXPECT_EQ(fs_.Replace(P("new.txt"), P(name)), 0);
  EXPECT_EQ(fs_.Erase(P(name)), 0);
  EXPECT_EQ(fs_.Describe(P(name), entry), 2);
}

TEST_F(PlatformContractTest, UnmappedPosixErrorsAreGeneralFailures) {
  // Platform: POSIX devices that fail with an errno of their own. An errno
  // without a counterpart must not pass for an unrelated code (EIO is 5,
  // which would read as "access denied").
  if (WindowsNames()) GTEST_SKIP() << "the Windows codes are the system's own";
  struct Case {
    const char* device;
    bool write;
    int code;
  };
  const Case cases[] = {
      {"/proc/self/mem", false, kGeneralFailure},  // address 0 is never mapped: EIO
      {"/dev/full", true, kDiskFull},              // ENOSPC
  };
  for (const auto& c : cases) {
    Handle handle = kNoHandle;
    if (fs_.Open(c.device, c.write ? OpenKind::kReadWriteExisting : OpenKind::kReadExisting,
                 handle) != 0) {
      ADD_FAILURE() << c.device << " cannot be opened here";
      continue;
    }
    char buffer[16] = {};
    std::size_t got = 0;
    int code = c.write ? fs_.Write(handle, buffer, sizeof buffer)
                       : fs_.Read(handle, buffer, sizeof buffer, got);
    EXPECT_EQ(code, c.code) << c.device;
    fs_.Close(handle);
  }
}

TEST(ClockContractTest, NowAgreesWithTheCalendar) {
  LocalTime now = platform::SystemClock().Now();
  using namespace std::chrono;
  year_month_day date{std::chrono::year{now.year}, std::chrono::month{unsigned(now.month)},
                      std::chrono::day{unsigned(now.day)}};
  ASSERT_TRUE(date.ok());
  EXPECT_GE(now.year, 2020);
  EXPECT_LT(now.hour, 24);
  EXPECT_LT(now.minute, 60);
  EXPECT_LT(now.second, 60);
  EXPECT_LT(now.millisecond, 1000);
}

class ProcessContractTest : public PlatformContractTest {
 protected:
  // A program that writes the words after "--brimvel-child <out> <code>"
  // into <out>, one a line, and exits with <code>.
  std::string MakeChild(const std::string& name) {
    if (WindowsNames()) {
      stdfs::copy_file(stdfs::canonical(::testing::internal::GetArgvs()[0]), P(name + ".exe"));
      return P(name + ".exe");
    }
    Write(name,
          "#!/bin/sh\nout=$2 code=$3\nshift 3\n: >\"$out\"\n"
          "for a in \"$@\"; do printf '%s\\n' \"$a\" >>\"$out\"; done\nexit \"$code\"\n");
    stdfs::permissions(P(name), stdfs::perms::owner_exec, stdfs::perm_options::add);
    return P(name);
  }

  ProcessRunner& runner_ = platform::SystemProcessRunner();
};

TEST_F(ProcessContractTest, ParametersAndExitCodeReachTheProgram) {
  // A program path with a blank in it: it must reach the system whole.
  dir_.MakeDirectory("post prog");
  const std::string program = MakeChild("post prog/child");
  const std::string out = P("words.txt");
  struct Case {
    std::string parameters;
    int exitCode;
    std::string words;
  };
  const Case cases[] = {
      {"", 0, ""},
      {"-CFG \"my dir/x.cfg\" X", 3, "-CFG\nmy dir/x.cfg\nX\n"},
      {"C:\\NEWS\\A.ZIP  \"\"  tab\there", 255, "C:\\NEWS\\A.ZIP\ntab\nhere\n"},
      {"'single' $HOME %PATH%", 1, "'single'\n$HOME\n%PATH%\n"},  // no shell in between
  };
  for (const auto& c : cases) {
    int exitCode = -1;
    std::string parameters = "--brimvel-child \"" + out + "\" " + std::to_string(c.exitCode) +
                             (c.parameters.empty() ? "" : " " + c.parameters);
    ASSERT_EQ(runner_.RunAndWait(program, parameters, exitCode), 0) << c.parameters;
    EXPECT_EQ(exitCode, c.exitCode) << c.parameters;
    EXPECT_EQ(dir_.Read("words.txt"), c.words) << c.parameters;
  }
}

TEST_F(ProcessContractTest, StartErrorsAndRunnableChecks) {
  Write("plain.txt", "not a program");
  dir_.MakeDirectory("sub");
  const std::string program = MakeChild("child");
  const int noName = WindowsNames() ? 3 : 2;
  struct Case {
    const char* what;
    std::string program;
    int start;     // of RunAndWait; -1: any failure
    int runnable;  // of CheckRunnable
  };
  const Case cases[] = {
      {"missing program", P("missing.exe"), 2, 2},
      // Platform: Windows starts no program of no name with a missing path.
      {"no name", "", noName, noName},
      {"missing directory", P("nodir/prog.exe"), 3, 3},
      {"a file as directory", P("plain.txt/prog.exe"), 3, 3},
      {"a directory", P("sub"), 5, 5},
      {"not a program", P("plain.txt"), -1, 5},
      {"a program", program, 0, 0},
  };
  for (const auto& c : cases) {
    int exitCode = -1;
    std::string parameters = "--brimvel-child \"" + P("out.txt") + "\" 0";
    int code = runner_.RunAndWait(c.program, parameters, exitCode);
    if (c.start < 0) {
      EXPECT_NE(code, 0) << c.what;
    } else {
      EXPECT_EQ(code, c.start) << c.what;
    }
    EXPECT_EQ(runner_.CheckRunnable(c.program), c.runnable) << c.what;
  }
}

TEST_F(ProcessContractTest, PosixProgramsEndedBySignalsOrOfNoFormat) {
  // Platform: signals and the executable bit are POSIX matters.
  if (WindowsNames()) GTEST_SKIP() << "no signals, no executable bit";
  Write("killed.sh", "#!/bin/sh\nkill -9 $$\n");
  stdfs::permissions(P("killed.sh"), stdfs::perms::owner_exec, stdfs::perm_options::add);
  int exitCode = 0;
  EXPECT_EQ(runner_.RunAndWait(P("killed.sh"), "", exitCode), 0);
  EXPECT_NE(exitCode, 0) << "a program killed by a signal must not look successful";

  Write("garbage", std::string("\x7F\x01\x02\x03junk", 8));
  stdfs::permissions(P("garbage"), stdfs::perms::owner_exec, stdfs::perm_options::add);
  EXPECT_EQ(runner_.RunAndWait(P("garbage"), "", exitCode), 11);
  EXPECT_EQ(runner_.RunAndWait("", "", exitCode), 2);
}

}  // namespace
}  // namespace brimvel
