// What the POSIX layer makes of a directory for the search: which entries
// exist for it (links followed; FIFOs and broken links left out), the marks
// a Windows listing would carry (dot files hidden, write bits as read-only),
// and one order on every run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <ctime>
#include <string>
#include <vector>

#include "support/clock.h"
#include "support/platform.h"
#include "support/scratch_dir.h"
#include "support/search.h"

namespace brimvel {
namespace {

class PosixListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"b.zip", "A.ZIP", "a.zip", "c.txt", ".hidden.zip"})
      dir_.Write(name, "12345");
    chmod(dir_.Write("r.txt", "").c_str(), 0444);
    dir_.MakeDirectory("d.zip");
    dir_.MakeDirectory(".git");
    symlink("b.zip", dir_.Path("link.zip").c_str());
    symlink("nowhere", dir_.Path("broken.zip").c_str());
    mkfifo(dir_.Path("pipe.zip").c_str(), 0644);
  }

  FileSystem& fs_ = platform::SystemFileSystem();
  testing::ScratchDir dir_;
};

TEST_F(PosixListingTest, EntriesMarksAndOrder) {
  struct Want {
    std::string name;
    std::uint8_t attributes;
  };
  // Ascending by the upper-cased name, ties by the raw bytes.
  const Want want[] = {
      {".", kAttrDirectory},
      {"..", kAttrDirectory},
      {".git", kAttrDirectory | kAttrHidden},
      {".hidden.zip", kAttrArchive | kAttrHidden},
      {"A.ZIP", kAttrArchive},
      {"a.zip", kAttrArchive},
      {"b.zip", kAttrArchive},
      {"c.txt", kAttrArchive},
      {"d.zip", kAttrDirectory},
      {"link.zip", kAttrArchive},
      {"r.txt", kAttrArchive | kAttrReadOnly},
  };
  std::vector<FoundEntry> entries;
  ASSERT_EQ(fs_.List(dir_.Path() + "/", entries), 0);
  ASSERT_EQ(entries.size(), std::size(want));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].name, want[i].name) << i;
    EXPECT_EQ(entries[i].attributes, want[i].attributes) << want[i].name;
  }

  // The search sees the same: hidden files are files, the link its target.
  std::vector<FoundEntry> found;
  ASSERT_EQ(FindFiles(fs_, dir_.Path() + "/*.zip", found), 0);
  std::vector<std::string> names;
  for (const auto& entry : found) names.push_back(entry.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{".hidden.zip", "A.ZIP", "a.zip", "b.zip", "link.zip"}));
  EXPECT_EQ(found.back().size, 5u);
}

TEST_F(PosixListingTest, OnlyAFileOrDirectoryIsDescribed) {
  struct Case {
    std::string name;
    int code;
  };
  const Case cases[] = {{"link.zip", 0}, {"d.zip", 0}, {"pipe.zip", 2}, {"broken.zip", 2}};
  for (const auto& c : cases) {
    FoundEntry entry;
    EXPECT_EQ(fs_.Describe(dir_.Path(c.name), entry), c.code) << c.name;
  }
}

TEST_F(PosixListingTest, WriteTimeIsInLocalTime) {
  // 25 August 2002, 04:55:47 local time.
  struct tm when = {};
  when.tm_year = 102, when.tm_mon = 7, when.tm_mday = 25;
  when.tm_hour = 4, when.tm_min = 55, when.tm_sec = 47, when.tm_isdst = -1;
  struct utimbuf times = {mktime(&when), mktime(&when)};
  ASSERT_EQ(utime(dir_.Path("c.txt").c_str(), &times), 0);
  FoundEntry entry;
  ASSERT_EQ(fs_.Describe(dir_.Path("c.txt"), entry), 0);
  using namespace std::chrono;
  EXPECT_EQ(entry.time, local_days{2002y / August / 25} + 4h + 55min + 47s);
}

}  // namespace
}  // namespace brimvel
