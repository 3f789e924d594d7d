// Checks that depend on POSIX: the execute bit of the post program, and the
// shipped configurations, whose paths and programs are POSIX ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run/config_check_fixture.h"

namespace brimvel {
namespace {

using testing::ConfigCheckTest;

TEST_F(ConfigCheckTest, FindsAProgramWithoutExecuteBit) {
  ExpectFindings(
      {"a program that cannot run", "POSTPROG {dir}/plain @File\n", {{1, "not executable"}}});
}

// The shipped configurations, checked from the directory their relative
// paths start in.
class ShippedConfigurationTest : public ConfigCheckTest {
 protected:
  static std::filesystem::path SourceRoot() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
  }

  void ExpectCleanFrom(const std::filesystem::path& config, const std::filesystem::path& cwd) {
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(cwd);
    int count = -1;
    std::vector<std::string> lines = CheckFile(config.string(), count);
    std::filesystem::current_path(home);
    EXPECT_EQ(count, 0) << ::testing::PrintToString(lines);
  }
};

TEST_F(ShippedConfigurationTest, TheExampleIsClean) {
  const std::filesystem::path example = SourceRoot() / "examples" / "brimvel.cfg";
  ASSERT_TRUE(std::filesystem::exists(example)) << example;
  for (const char* sub : {"news", "weekend", "lists", "digest/extra", "archive"})
    dir_.MakeDirectory(std::string("outgoing/") + sub);
  ExpectCleanFrom(example, dir_.Path());
}

TEST_F(ShippedConfigurationTest, TheDemoIsClean) {
  const std::filesystem::path demo = SourceRoot() / "demo";
  if (!std::filesystem::exists(demo / "brimvel.cfg")) GTEST_SKIP() << "no demo in this tree";
  ExpectCleanFrom(demo / "brimvel.cfg", demo);
}

}  // namespace
}  // namespace brimvel
