#include "support/run_end.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace brimvel {
namespace {

// Flushed at once: the report itself bypasses the C library's buffers.
void Say(const char* text) {
  std::fputs(text, stderr);
  std::fflush(stderr);
}
void SayFirst() { Say("first\n"); }
void SaySecond() { Say("second\n"); }

TEST(RunEndDeathTest, RuntimeErrorReportRunsExitProceduresThenReports) {
  EXPECT_EXIT(
      {
        RegisterExitProcedure(SayFirst);
        RegisterExitProcedure(SaySecond);
        RuntimeErrorReport(105);
      },
      ::testing::ExitedWithCode(105), "^second\nfirst\nRuntime error 105");
}

TEST(RunEndDeathTest, EndRunRunsExitProceduresAndReportsNothing) {
  EXPECT_EXIT(
      {
        RegisterExitProcedure(SayFirst);
        EndRun(7);
      },
      ::testing::ExitedWithCode(7), "^first\n$");
}

}  // namespace
}  // namespace brimvel
