// HatchFile with real post programs: small shell scripts in a scratch
// directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "hatch/hatch_command.h"
#include "support/console_capture.h"
#include "support/io_error.h"
#include "support/scratch_dir.h"

namespace brimvel {
namespace {

using Lines = std::vector<std::string>;

class HatchFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TakeIoError();
    // Each records its arguments, one bracketed line per call.
    Script("ok.sh", "exit 0");
    Script("fail.sh", "exit 3");
    dir_.MakeDirectory("out");
    run_.log.unavailable = true;  // the console alone
    area_.name = "INFO";
  }
  void TearDown() override { EXPECT_EQ(TakeIoError(), 0); }

  void Script(const std::string& name, const std::string& end) {
    const std::string path =
        dir_.Write(name, "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done >> \"" +
                             dir_.Path("calls.txt") + "\"\necho >> \"" + dir_.Path("calls.txt") +
                             "\"\n" + end + "\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  }

  // Hatches the file and returns the console lines without their stamps.
  Lines Hatch(const std::string& program, const std::string& path, bool deleteFile,
              const std::string& parameters = " @Area @File") {
    run_.postProg = dir_.Path(program) + parameters;
    EntryOptions options;
    options.deleteFile = deleteFile;
    {
      testing::ConsoleToFile console(dir_.Path("console.txt"));
      HatchFile(run_, path, area_, options);
    }
    Lines lines;
    std::istringstream in(dir_.Read("console.txt"));
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line.size() >= 19 ? line.substr(19) : line);
    }
    return lines;
  }

  Lines Calls() const {
    Lines calls;
    std::istringstream in(dir_.Read("calls.txt"));
    for (std::string line; std::getline(in, line);) calls.push_back(line);
    return calls;
  }

  testing::ScratchDir dir_;
  RunContext run_;
  AreaRecord area_;
};

TEST_F(HatchFileTest, DeletesOnlyAfterTheProgramSucceeded) {
  struct Case {
    const char* what;
    std::string program;
    bool deleteFile;
    bool kept;
    Lines after;  // the console lines after "Executing ..."; {path} and {prog} stand in
  };
  const Case cases[] = {
      {"success with -DELETE", "ok.sh", true, false, {" -> Deleting file {path}"}},
      {"success without -DELETE", "ok.sh", false, true, {}},
      {"exit code 3 with -DELETE",
       "fail.sh",
       true,
       true,
       {"[err]  -> {prog} ended with exit code 3",
        "[err]  -> File {path} kept, its hand-over failed"}},
      {"exit code 3 without -DELETE",
       "fail.sh",
       false,
       true,
       {"[err]  -> {prog} ended with exit code 3"}},
      {"a missing program with -DELETE",
       "missing.sh",
       true,
       true,
       {"[err]  -> File {prog} not found", "[err]  -> File {path} kept, its hand-over failed"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir_.Write("out/A.ZIP", "data");
    const std::string program = dir_.Path(c.program);
    Lines expected = {"Executing " + program + " INFO " + path};
    for (std::string line : c.after) {
      for (auto [from, to] : {std::pair{"{path}", path}, std::pair{"{prog}", program}})
        if (std::size_t at = line.find(from); at != std::string::npos)
          line.replace(at, std::string(from).size(), to);
      expected.push_back(line);
    }
    EXPECT_EQ(Hatch(c.program, path, c.deleteFile), expected);
    EXPECT_EQ(dir_.Exists("out/A.ZIP"), c.kept);
    EXPECT_EQ(OsStatus(), c.program == "missing.sh" ? 2 : 0);
  }
  // Every program that started received the area and the path.
  EXPECT_EQ(Calls(), Lines(4, "[INFO][" + dir_.Path("out/A.ZIP") + "]"));
}

TEST_F(HatchFileTest, PathWithBlanksIsOneArgumentAndTheOnlyFileDeleted) {
  const std::string path = dir_.Write("out/my file.zip", "data");
  const std::string namesake = dir_.Write("out/my", "another file");
  Lines console = Hatch("ok.sh", path, true);
  EXPECT_EQ(Calls(), Lines{"[INFO][" + path + "]"});
  EXPECT_FALSE(dir_.Exists("out/my file.zip"));
  EXPECT_TRUE(dir_.Exists("out/my")) << namesake;
  EXPECT_EQ(console.back(), " -> Deleting file " + path);
}

TEST_F(HatchFileTest, CommandCutInsideThePathIsNotRun) {
  // A path of 240 characters: the command around it is cut inside it.
  const std::string directory = dir_.MakeDirectory("out/" + std::string(40, 'd'));
  const std::string path =
      dir_.Write(directory + "/" + std::string(240 - directory.size() - 5, 'n') + ".zip", "data");
  ASSERT_EQ(path.size(), 240u);
  const std::string program = dir_.Path("ok.sh");
  struct Case {
    const char* what;
    std::string parameters;
    bool dryRun;
  };
  const Case cases[] = {
      {"the cut drops the macros behind the path", " @File @Area", false},
      // "INFO" is shorter than "@Area": the cut text shrinks below 255 again.
      {"a macro behind the cut shrinks the text", " @Area @File", false},
      {"a dry run says the same", " @Area @File", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    run_.dryRun = c.dryRun;
    const std::string shown = c.parameters == " @File @Area" ? " " + path : " INFO " + path;
    const std::string verb = c.dryRun ? "Would execute " : "Executing ";
    EXPECT_EQ(Hatch("ok.sh", path, true, c.parameters),
              (Lines{(verb + program + shown).substr(0, 236),
                     ("[err]  -> Command for " + path).substr(0, 236),
                     ("[err]  -> File " + path).substr(0, 236)}));
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(std::filesystem::exists(path)) << "a file never handed over was deleted";
  }
}

TEST_F(HatchFileTest, DryRunStartsAndDeletesNothing) {
  run_.dryRun = true;
  const std::string path = dir_.Write("out/A.ZIP", "data");
  const std::string program = dir_.Path("ok.sh");
  EXPECT_EQ(Hatch("ok.sh", path, true),
            (Lines{"Would execute " + program + " INFO " + path, " -> Would delete file " + path}));
  EXPECT_TRUE(Calls().empty());
  EXPECT_TRUE(dir_.Exists("out/A.ZIP"));
}

}  // namespace
}  // namespace brimvel
