// RunAndWait of the POSIX layer; the Win32 layer has its own tests.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/platform.h"
#include "support/scratch_dir.h"

namespace brimvel {
namespace {

class RunAndWaitTest : public ::testing::Test {
 protected:
  std::string Script(const std::string& name, const std::string& body, mode_t mode = 0755) {
    std::string path = dir_.Write(name, "#!/bin/sh\n" + body + "\n");
    chmod(path.c_str(), mode);
    return path;
  }

  testing::ScratchDir dir_;
};

TEST_F(RunAndWaitTest, ParameterTextIsSplitIntoArguments) {
  // Writes one bracketed line per argument, argv[0] first.
  std::string program =
      Script("args.sh", "for a in \"$0\" \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"" +
                            dir_.Path("args.txt") + "\"");
  struct Case {
    std::string parameters, arguments;
  };
  const Case cases[] = {
      {"", ""},
      {"a  b\tc", "[a]\n[b]\n[c]\n"},
      {"-CFG \"my dir/x.cfg\" -AREA X", "[-CFG]\n[my dir/x.cfg]\n[-AREA]\n[X]\n"},
      {"\"\" 'single' $HOME", "['single']\n[$HOME]\n"},  // no shell in between
  };
  for (const auto& c : cases) {
    int exitCode = -1;
    EXPECT_EQ(platform::RunAndWait(program, c.parameters, exitCode), 0);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(dir_.Read("args.txt"), "[" + program + "]\n" + c.arguments) << c.parameters;
  }
}

TEST_F(RunAndWaitTest, ExitCodeOfTheProgram) {
  std::string program = Script("exit.sh", "exit \"$1\"");
  for (int code : {0, 1, 7, 255}) {
    int exitCode = -1;
    EXPECT_EQ(platform::RunAndWait(program, std::to_string(code), exitCode), 0);
    EXPECT_EQ(exitCode, code);
  }
  int exitCode = 0;
  EXPECT_EQ(platform::RunAndWait(Script("killed.sh", "kill -9 $$"), "", exitCode), 0);
  EXPECT_NE(exitCode, 0) << "a program killed by a signal must not look successful";
}

TEST_F(RunAndWaitTest, StartErrors) {
  dir_.Write("plain.txt", "x");
  Script("data.sh", "exit 0", 0644);
  std::string garbage = dir_.Write("garbage", std::string("\x7F\x01\x02\x03junk", 8));
  chmod(garbage.c_str(), 0755);
  struct Case {
    std::string program;
    int code;
  };
  const Case cases[] = {
      {dir_.Path("missing"), 2},
      {"", 2},
      {dir_.Path("nodir/prog"), 3},
      {dir_.Path("plain.txt/prog"), 3},
      {dir_.Path("data.sh"), 5},  // not executable
      {dir_.Path(), 5},           // a directory
      {garbage, 11},
  };
  for (const auto& c : cases) {
    int exitCode = -1;
    EXPECT_EQ(platform::RunAndWait(c.program, "x", exitCode), c.code) << c.program;
  }
}

}  // namespace
}  // namespace brimvel
