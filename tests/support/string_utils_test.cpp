#include "support/string_utils.h"

#include <gtest/gtest.h>

namespace brimvel {
namespace {

TEST(FirstWordTest, Basics) {
  EXPECT_EQ(FirstWord("   POSTPROG  run.exe @File"), "POSTPROG");
  EXPECT_EQ(AfterFirstWord("AREA"), "AREA");
}

}  // namespace
}  // namespace brimvel
