// The directory search over the POSIX layer: which entries exist (links,
// FIFOs, dot files), their attributes and their order are decided there.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <utime.h>

#include <string>
#include <vector>

#include "support/clock.h"
#include "support/io_error.h"
#include "support/scratch_dir.h"
#include "support/search.h"

namespace brimvel {
namespace {

using Names = std::vector<std::string>;

struct SearchResult {
  Names names;
  std::int32_t endCode;
};

SearchResult SearchAll(const std::string& pattern, std::uint8_t mask) {
  SearchResult result;
  SearchRecord record;
  SearchFirst(pattern, mask, record);
  while (OsStatus() == 0 && result.names.size() < 50) {
    result.names.push_back(record.name.str());
    SearchNext(record);
  }
  result.endCode = OsStatus();
  return result;
}

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"b.zip", "A.ZIP", "a.zip", "c.txt", ".hidden.zip"})
      dir_.Write(name, "12345");
    chmod(dir_.Write("r.txt", "").c_str(), 0444);
    dir_.MakeDirectory("d.zip");
    dir_.MakeDirectory(".git");
    dir_.MakeDirectory("empty");
    symlink("b.zip", dir_.Path("link.zip").c_str());
    symlink("nowhere", dir_.Path("broken.zip").c_str());
    mkfifo(dir_.Path("pipe.zip").c_str(), 0644);
  }
  std::string In(const std::string& mask) const { return dir_.Path() + "/" + mask; }

  testing::ScratchDir dir_;
};

TEST_F(SearchTest, FilterOrderAndEndCodes) {
  struct Case {
    std::string pattern;
    std::uint8_t mask;
    Names names;
    std::int32_t endCode;
  };
  const Case cases[] = {
      // Ascending by upper-cased name, ties by raw bytes; no directories,
      // no FIFOs, no broken links with the entries' mask.
      {"*.zip", 0x2F, {".hidden.zip", "A.ZIP", "a.zip", "b.zip", "link.zip"}, 18},
      {"*.ZIP", 0x2D, {"A.ZIP", "a.zip", "b.zip", "link.zip"}, 18},  // hidden excluded
      {"*.zip", 0x3F, {".hidden.zip", "A.ZIP", "a.zip", "b.zip", "d.zip", "link.zip"}, 18},
      {"*",
       0x3F,
       {".", "..", ".git", ".hidden.zip", "A.ZIP", "a.zip", "b.zip", "c.txt", "d.zip", "empty",
        "link.zip", "r.txt"},
       18},
      {"*.*", 0x10, {".", "..", "d.zip", "empty"}, 18},
      // A plain name matches without regard to case.
      {"C.TXT", 0x2F, {"c.txt"}, 18},
      // Read-only never excludes.
      {"*.txt", 0x20, {"c.txt", "r.txt"}, 18},
      {"?.zip", 0x2F, {"A.ZIP", "a.zip", "b.zip"}, 18},
      {"d.zip", 0x2F, {}, 18},  // matched, but only by a directory
      {"*.rar", 0x3F, {}, 2},
      {"empty/*", 0x2F, {}, 18},  // "." and ".." match as directories
      {"empty/*.*", 0x2F, {}, 18},
      {"empty/*.ZIP", 0x2F, {}, 2},
      {"nodir/*", 0x3F, {}, 3},
      {"c.txt/*", 0x3F, {}, 3},
  };
  for (const auto& c : cases) {
    SearchResult result = SearchAll(In(c.pattern), c.mask);
    EXPECT_EQ(result.names, c.names) << c.pattern << " mask " << int(c.mask);
    EXPECT_EQ(result.endCode, c.endCode) << c.pattern << " mask " << int(c.mask);
  }
}

TEST_F(SearchTest, RecordFields) {
  dir_.MakeDirectory("sub");
  dir_.Write("sub/ro.dat", std::string(1234, 'r'));
  chmod(dir_.Path("sub/ro.dat").c_str(), 0444);
  dir_.Write("sub/.dot", "");
  dir_.MakeDirectory("sub/.cache");
  // 25 August 2002, 04:55:47 local time; the packed layout keeps even seconds.
  struct tm when = {};
  when.tm_year = 102, when.tm_mon = 7, when.tm_mday = 25;
  when.tm_hour = 4, when.tm_min = 55, when.tm_sec = 47, when.tm_isdst = -1;
  struct utimbuf times = {mktime(&when), mktime(&when)};
  utime(dir_.Path("sub/ro.dat").c_str(), &times);

  struct Case {
    std::string name;
    std::uint8_t attributes;
  };
  const Case cases[] = {
      {".", 0x10}, {"..", 0x10}, {".cache", 0x12}, {".dot", 0x22}, {"ro.dat", 0x21}};
  SearchRecord record;
  SearchFirst(In("sub/*.*"), 0x3F, record);
  for (const auto& c : cases) {
    ASSERT_EQ(OsStatus(), 0);
    EXPECT_EQ(record.name, c.name);
    EXPECT_EQ(record.attributes, c.attributes) << c.name;
    SearchNext(record);
  }
  EXPECT_EQ(OsStatus(), 18);

  SearchFirst(In("sub/RO.DAT"), 0x2F, record);
  ASSERT_EQ(OsStatus(), 0);
  EXPECT_EQ(record.size, 1234u);
  DateTimeParts t = UnpackDateTime(record.time);
  EXPECT_EQ(t.year, 2002);
  EXPECT_EQ(t.month, 8);
  EXPECT_EQ(t.day, 25);
  EXPECT_EQ(t.hour, 4);
  EXPECT_EQ(t.minute, 55);
  EXPECT_EQ(t.second, 46);
}

}  // namespace
}  // namespace brimvel
