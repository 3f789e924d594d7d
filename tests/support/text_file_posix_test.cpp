#include <gtest/gtest.h>
#include <unistd.h>

#include "support/io_error.h"
#include "support/text_file.h"

namespace brimvel {
namespace {

// A run started with its standard output closed (some schedulers do) must
// not take the failed console write for a failure of its own files.
TEST(ConsolePosixTest, ClosedStandardOutputLeavesNoPendingError) {
  TakeIoError();
  int saved = dup(1);
  ASSERT_GE(saved, 0);
  close(1);
  WriteLine(ConsoleOutput(), "nobody reads this");
  std::int32_t pending = TakeIoError();
  dup2(saved, 1);
  close(saved);
  EXPECT_EQ(pending, 0);
}

}  // namespace
}  // namespace brimvel
