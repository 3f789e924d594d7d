#include "support/search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/memory_file_system.h"

namespace brimvel {
namespace {

using Names = std::vector<std::string>;

TEST(MaskMatchesTest, WildcardsWithoutRegardToCase) {
  struct Case {
    std::string pattern, name;
    bool matches;
  };
  const Case cases[] = {
      {"*.*", "noext", true},
      {"*.*", ".", true},
      {"*.ZIP", "a.zip", true},
      {"*.ZIP", "a.zipx", false},
      {"*.zip", "a.zip.bak", false},
      {"a?c", "ABC", true},
      // A '*' in the mask stays a wildcard where the name holds one too.
      {"*", "*x", true},
      {"*.zip", "*.zip", true},
      {"a*", "a*b", true},
      {"a*c", "a*bc", true},
      {"a?c", "ac", false},
      {"a*", "a", true},
      {"*ab", "aab", true},
      {"*a*b", "xaxb", true},
      {"a*b*c", "aXbYc", true},
      {"a*b*c", "aXbYcd", false},
      {"*", "", true},
      {"?", "", false},
      {"exact", "EXACT", true},
      {"exact", "exact2", false},
      {"\xA0*", "\x80x", true},  // Cyrillic small a against capital A
      {"\xF1", "\xF0", false},   // yo has no capital in the upper-casing
  };
  for (const auto& c : cases)
    EXPECT_EQ(MaskMatches(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
}

TEST(DirectoryPartTest, UpToTheLastSeparator) {
  struct Case {
    std::string path, separators, directory;
  };
  const Case cases[] = {
      {"out/a.zip", "/", "out/"},
      {"a.zip", "/", ""},
      {"/srv/out/*.zip", "/", "/srv/out/"},
      {"out/", "/", "out/"},
      {"C:\\IN\\*.ZIP", "\\/:", "C:\\IN\\"},
      {"C:*.ZIP", "\\/:", "C:"},
      {"C:\\IN/x", "\\/:", "C:\\IN/"},
      {"C:\\IN\\x", "/", ""},  // a backslash is a name's byte where it separates nothing
      {"", "/", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DirectoryPart(c.path, c.separators), c.directory) << c.path;
}

const FileTime kWritten{std::chrono::seconds{1030251347}};

class FindFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_.AddFile("out/a.zip", "aaaa", kWritten);
    fs_.AddFile("out/B.ZIP", "b");
    fs_.AddFile("out/c.txt", "c");
    fs_.AddFile("out/hidden.zip", "h");
    fs_.Find("out/hidden.zip")->attributes = kAttrHidden;
    fs_.AddFile("out/plain.zip", "p");
    fs_.Find("out/plain.zip")->attributes = 0;
    fs_.AddFile("out/ro.zip", "r");
    fs_.SetReadOnly("out/ro.zip");
    fs_.AddDirectory("out/sub.zip");
    fs_.AddDirectory("out/empty");
    fs_.AddFile("top.cfg", "x");
    fs_.AddFile("locked/x.zip", "x");
    fs_.FailDirectory("locked", kAccessDenied);
  }

  MemoryFileSystem fs_;
};

TEST_F(FindFilesTest, MatchesNamesAndPassesOverDirectories) {
  struct Case {
    std::string pattern;
    int code;
    Names names;  // in the order every file system lists them: case ignored
  };
  const Case cases[] = {
      {"out/*.zip", 0, {"a.zip", "B.ZIP", "hidden.zip", "plain.zip", "ro.zip"}},
      {"out/b.zip", 0, {"B.ZIP"}},
      {"out/?.ZIP", 0, {"a.zip", "B.ZIP"}},
      {"*.cfg", 0, {"top.cfg"}},
      {"*", 0, {"top.cfg"}},
      // Found, but directories only.
      {"out/sub*", kNoMoreFiles, {}},
      {"out/*.arj", kFileNotFound, {}},
      {"out/empty/*", kFileNotFound, {}},
      {"missing/*.zip", kPathNotFound, {}},
      {"out/c.txt/*", kPathNotFound, {}},
      {"locked/*", kAccessDenied, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    std::vector<FoundEntry> found = {FoundEntry{"stale", 0, {}, 0}};
    EXPECT_EQ(FindFiles(fs_, c.pattern, found), c.code);
    Names names;
    for (const FoundEntry& entry : found) names.push_back(entry.name);
    EXPECT_EQ(names, c.names);
  }
}

TEST_F(FindFilesTest, EntriesCarryTheirSizeTimeAndAttributes) {
  std::vector<FoundEntry> found;
  ASSERT_EQ(FindFiles(fs_, "out/A.ZIP", found), 0);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "a.zip");
  EXPECT_EQ(found[0].size, 4u);
  EXPECT_EQ(found[0].time, kWritten);
  EXPECT_EQ(found[0].attributes, kAttrArchive);
}

}  // namespace
}  // namespace brimvel
