// Programs on a real disk: the check must say "cannot start" exactly where
// the real starter fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/config_check.h"
#include "support/memory_file_system.h"
#include "support/platform.h"
#include "support/scratch_dir.h"

namespace brimvel {
namespace {

TEST(ConfigCheckPosixTest, SaysAProgramCannotStartWhereTheSystemFailsToStartIt) {
  testing::ScratchDir dir;
  namespace fs = std::filesystem;
  const fs::perms runnable = fs::perms::owner_all;
  dir.Write("plain", "#!/bin/sh\nexit 0\n");
  fs::permissions(dir.Path("plain"), fs::perms::owner_read | fs::perms::owner_write);
  dir.MakeDirectory("folder");
  fs::permissions(dir.Write("crlf.sh", "#!/bin/sh\r\nexit 0\r\n"), runnable);
  fs::permissions(dir.Write("lf.sh", "#!/bin/sh\nexit 0\n"), runnable);
  fs::permissions(dir.Write("bare.sh", "exit 0\n"), runnable);
  fs::permissions(dir.Write("gone.sh", "#!/no/such/shell\nexit 0\n"), runnable);
  const struct {
    const char* program;
    const char* phrase;  // empty: no finding, and the program starts
  } cases[] = {
      {"plain", "is not executable"},
      {"folder", "is a directory"},
      {"crlf.sh", "ends in a carriage return"},
      {"lf.sh", ""},
      {"bare.sh", "without a '#!' line"},
      {"gone.sh", "names the interpreter '/no/such/shell'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    const std::string program = dir.Path(c.program);
    const std::string config = dir.Write("t.cfg", "POSTPROG " + program + " @File\n");
    MemoryFileSystem console;
    TextWriter out(console, "out");
    out.OpenNew();
    FixedClock clock(LocalTime{2026, 12, 9, 0, 0, 0, 0});
    int findings = CheckConfiguration(platform::SystemFileSystem(), platform::SystemProcessRunner(),
                                      clock, config, out)
                       .errors;
    out.Close();
    EXPECT_EQ(findings, *c.phrase == '\0' ? 0 : 1) << console.Contents("out");
    EXPECT_NE(console.Contents("out").find(c.phrase), std::string::npos);
    int exitCode = -1;
    int started = platform::SystemProcessRunner().RunAndWait(program, "", exitCode);
    EXPECT_EQ(started == 0 && exitCode == 0, *c.phrase == '\0') << started;
  }
}

}  // namespace
}  // namespace brimvel
