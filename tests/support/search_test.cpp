#include "support/search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/io_error.h"
#include "support/scratch_dir.h"

namespace brimvel {
namespace {

TEST(SearchAccessTest, UnreadableDirectoryIsDenied) {
  testing::ScratchDir dir;
  const std::string locked = dir.MakeDirectory("locked");
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  if (testing::CanList(locked)) GTEST_SKIP() << "this process lists the directory anyway";
  SearchRecord record;
  SearchFirst(locked + "/*", 0x3F, record);
  EXPECT_EQ(OsStatus(), 5);
}

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
      {"\xA0*", "\x80x", true},  // Cyrillic small a against capital A
      {"\xF1", "\xF0", false},   // yo has no capital in the upper-casing
  };
  for (const auto& c : cases)
    EXPECT_EQ(MaskMatches(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
}

}  // namespace
}  // namespace brimvel
