#include "config/config_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace brimvel {
namespace {

// A configuration and its findings, each "line: a phrase of its text".
struct Case {
  std::string config;
  std::vector<std::string> findings;
  std::string name = "t.cfg";
};

// A sound start for a configuration: a runnable program and an open block.
const std::string kHead = "POSTPROG post @File @Area\nAREA NEWS DAILY\n";
std::string Entry(const std::string& line) { return kHead + line + "\nEND\n"; }

class ConfigCheckTest : public ::testing::Test {
 protected:
  ConfigCheckTest() {
    fs_.AddFile("post",
                "\x7F"
                "ELF");
    fs_.AddFile("plain", "not a program\n");
    runner_.startErrors["plain"] = kAccessDenied;
    fs_.AddFile("crlf.sh", "#!/bin/sh\r\nexit 0\r\n");
    fs_.AddFile("lf.sh", "#!/bin/sh\nexit 0\n");
    fs_.AddFile("out/news/n1.zip", "n");
    fs_.AddDirectory("out-stay");
    fs_.AddDirectory("/abs");
  }

  // The check's output; the configuration and everything else must come
  // through untouched.
  std::string Check(const std::string& name, int& count) {
    const std::vector<std::string> before = fs_.Names();
    const std::string config = fs_.Contents(name);
    MemoryFileSystem console;
    TextFile out(console, "out");
    out.OpenNew();
    count = CheckConfiguration(fs_, runner_, name, out);
    EXPECT_EQ(out.Close(), 0);
    EXPECT_EQ(fs_.Contents(name), config);
    EXPECT_EQ(fs_.Names(), before);
    EXPECT_EQ(fs_.OpenHandles(), 0);
    EXPECT_TRUE(runner_.calls.empty());
    return console.Contents("out");
  }

  void Expect(const Case& c) {
    SCOPED_TRACE(c.config);
    fs_.AddFile(c.name, c.config);
    int count = -1;
    std::string out = Check(c.name, count);
    std::size_t at = 0;
    for (const std::string& finding : c.findings) {
      std::size_t colon = finding.find(": ");
      std::string prefix = c.name + ":" + finding.substr(0, colon) + ": ";
      std::size_t end = out.find('\n', at);
      std::string line = out.substr(at, end - at);
      EXPECT_EQ(line.rfind(prefix, 0), 0u) << out;
      EXPECT_NE(line.find(finding.substr(colon + 2)), std::string::npos) << out;
      at = end + 1;
    }
    std::size_t n = c.findings.size();
    EXPECT_EQ(count, static_cast<int>(n));
    EXPECT_EQ(out.substr(at), n == 0   ? "no findings\n"
                              : n == 1 ? "1 finding\n"
                                       : std::to_string(n) + " findings\n");
  }

  MemoryFileSystem fs_;
  testing::RecordingRunner runner_;
};

TEST_F(ConfigCheckTest, StaysSilentOnSoundConfigurations) {
  const Case cases[] = {
      {"", {}},
      {"remark lines and blank lines\n\n"
       "postprog post @file(20,L*) @AREA @Option @Desc @AppDesc @Space\\n 5$ a-b\n"
       "APPENDDESC desc \"@Desc\"\n"
       "AREA NEWS daily\nCOUNT 3\nSIZE $FF\nSize \"1000\"\nWHEN MONTHLY $F 1\nWHEN YEARLY 2030\n"
       "Skip A.ZIP\nDIRECTORY out/*.zip -STAY -delete -DESC \"Weekly news\" -OPTION x\n"
       "FILE news.txt -ANYSIZE -ANYCOUNT -HIDDEN -DESC one\nend\n"
       "AREA OTHER WEEKLY 0 6\nFILE out/x -DESC \"a -OPTION-like text\"\nEND\n"
       "AREA EMPTY WEEKLY\nDIRECTORY out/news/*\nEND\n",
       {}},
      {kHead + "END\n\x1A\n \n", {}},  // a Ctrl-Z that only ends the text
      {"POSTPROG lf.sh @File\n", {}},
      {"POSTPROG post @File\nAREA N DAILY\nFILE out/x\nEND\n", {}, "./t.cfg"},
  };
  for (const Case& c : cases) Expect(c);
}

TEST_F(ConfigCheckTest, FindsBlockStructureTraps) {
  const Case cases[] = {
      {kHead + "END \nEND\n", {"3: 'END ' has a trailing blank: it does not end"}},
      {kHead + " end\nEND\n", {"3: leading blank"}},
      {kHead + "END of news\nEND\n", {"3: more text after END"}},
      {kHead + "END\t\nEND\n", {"3: 'END<tab>' holds a tab"}},
      {kHead + "COUNT 1\n", {"2: the block of area NEWS has no END line"}},
      {kHead + "AREA SPORT DAILY\nEND\n", {"3: opens no block"}},
      {kHead + "POSTPROG post @File\nEND\n", {"3: POSTPROG inside the block of area NEWS"}},
      {kHead + "END\nDIRECTORY out/*\n", {"4: DIRECTORY outside an area"}},
      {kHead + "END\nSkip A.ZIP\n", {"4: belongs to no area"}},
      {kHead + "END\nEND\n", {"4: ends nothing"}},
      {kHead + "COUNT\t3\nEND\n", {"3: not the keyword COUNT"}},
      {"\tPOSTPROG post @File\n", {"1: not the keyword POSTPROG"}},
      {Entry("DIRECTORY out/*.zip" + std::string(240, ' ') + "-STAY"), {"3: only the first 255"}},
      {kHead + "END\n\x1A" + "AREA LOST DAILY\nEND\n",
       {"4: rest of this line and the 1 line after it"}},
      {kHead + "COUNT 1\x1Ay\n", {"3: Ctrl-Z byte (0x1A)", "2: has no END"}},
      {kHead + "END\nAREA news MONTHLY\nEND\n", {"4: 'news' was used before, at line 2"}},
      // The word behind a byte-order mark is still read.
      {"\xEF\xBB\xBF"
       "END\n",
       {"1: byte-order mark", "1: END outside an area block"}},
  };
  for (const Case& c : cases) Expect(c);
}

TEST_F(ConfigCheckTest, FindsScheduleAndLimitTraps) {
  const std::string post = "POSTPROG post @File\n";
  const Case cases[] = {
      {post + "AREA NEWS\nEND\n", {"2: 'NEWS' has no schedule"}},
      {post + "AREA DAILY\nEND\n", {"2: its name is taken as the schedule"}},
      {post + "AREA \nEND\n", {"2: no area name"}},
      {post + "AREA\nEND\n", {"2: 'AREA' has no schedule"}},
      {post + "AREA NEWS WEEKLEY\nEND\n", {"2: no schedule word"}},
      {post + "AREA NEWS\tDAILY\nEND\n", {"2: (a tab separates no words)"}},
      {post + "AREA NEWS DAILY \nEND\n", {"2: 'DAILY ' has a trailing blank"}},
      {post + "AREA NEWS DAILY 1\nEND\n", {"2: DAILY takes no list"}},
      {post + "AREA N WEEKLY \nEND\n", {"2: empty list"}},
      {post + "AREA N MONTHLY 1,15\nEND\n", {"2: comma separates nothing"}},
      {post + "AREA N WEEKLY 1 X\nEND\n", {"2: 'X' is no number and matches nothing"}},
      {post + "AREA N WEEKLY 7\nEND\n", {"2: 7 is not a day of the week"}},
      {post + "AREA N MONTHLY 15 0\nEND\n", {"2: 0 is not a day of the month"}},
      {kHead + "WHEN\nEND\n", {"3: WHEN alone"}},
      {kHead + "WHEN WEEKLY X\nEND\n", {"3: never due; the lines below it"}},
      {kHead + "SIZE\nEND\n", {"3: SIZE alone"}},
      {kHead + "SIZE 100K\nEND\n", {"3: '100K' is no number, so it reads as 0"}},
      {kHead + "SIZE 100 \nEND\n", {"3: trailing blank"}},
      {kHead + "COUNT 0\nEND\n", {"3: no limit"}},
      {kHead + "COUNT -1\nEND\n", {"3: -ANYCOUNT"}},
  };
  for (const Case& c : cases) Expect(c);
}

TEST_F(ConfigCheckTest, FindsEntryTraps) {
  const Case cases[] = {
      {Entry("DIRECTORY out/* -DESC=Weekly"), {"3: not read as -DESC"}},
      {Entry("DIRECTORY -STAY out/*"), {"3: '-STAY' stands before the mask"}},
      {Entry("FILE x -KEEP"), {"3: '-KEEP' is no option"}},
      {Entry("FILE x -DESC Weekly news"), {"3: takes one word only"}},
      {Entry("DIRECTORY out-stay/*"), {"3: -STAY is found inside the mask"}},
      {Entry("FILE x -DESC \"do not -delete\""), {"3: -DELETE is found inside the -DESC value"}},
      {Entry("FILE x -DESC \"see -OPTION y\" -OPTION real"), {"3: read as 'y\"', not 'real'"}},
      {Entry("FILE x -DESC \"Weekly news"), {"3: never closed"}},
      {Entry("FILE x -DESC \"see @desc\""), {"3: holds '@Desc'"}},
      {Entry("DIRECTORY out/* -HIDDEN"), {"3: no effect"}},
      {Entry("DIRECTORY out/*\t-STAY"), {"3: holds a tab", "3: -STAY is found inside the mask"}},
      {Entry("DIRECTORY"), {"3: has no mask"}},
      {Entry("DIRECTORY gone/*"), {"3: drops this line"}},
      {Entry("FILE gone/x"), {"3: aborting..."}},
      {"AREA N DAILY\nFILE x\nEND\n", {"2: no POSTPROG"}},
      {Entry("DIRECTORY out/news"),
       {"3: names a directory, and a search hands over files only: nothing is hatched, and "
        "the run drops this line from the configuration; write 'out/news/*'"}},
      {Entry("DIRECTORY out/news/ -STAY"), {"3: in any run; write 'out/news/*'"}},
      {Entry("FILE out/news"), {"3: aborting...' and keeps the line; write"}},
      {Entry("FILE out -HIDDEN"), {"3: the mask itself is handed over as the file; write 'out/*'"}},
  };
  for (const Case& c : cases) Expect(c);
}

TEST_F(ConfigCheckTest, FindsTemplateAndProgramTraps) {
  const Case cases[] = {
      {"POSTPROG\n", {"1: 'POSTPROG' does not exist", "1: no @File"}},
      {"POSTPROG bin/gone @File\n", {"1: does not exist: every hand-over"}},
      {"POSTPROG sh @File\n", {"1: not looked up along PATH"}},
      {"POSTPROG out @File\n", {"1: is a directory"}},
      {"POSTPROG plain @File\n", {"1: not executable"}},
      {"POSTPROG crlf.sh @File\n", {"1: ends in a carriage return"}},
      {"POSTPROG post @Area\n", {"1: no @File"}},
      {"POSTPROG post \"@File\"\n", {"1: @File stands in double quotes"}},
      {"POSTPROG post @File @Size\n", {"1: '@Size' is no macro"}},
      {"POSTPROG post @Files\n", {"1: the macro '@File' followed by 's'"}},
      {"APPENDDESC @Desc @Area\n", {"1: not replaced in APPENDDESC"}},
      {"APPENDDESC @Descs\n", {"1: the macro '@Desc' followed by 's'"}},
      {"POSTPROG post @File \"x\n", {"1: unclosed double quote"}},
      {"POSTPROG post @File > log.txt\n", {"1: shell syntax in the command template ('>')"}},
      {"POSTPROG post @File | tee x && echo;\n", {"1: ('|', '&&', 'echo;')"}},
      {"POSTPROG post @File $HOME ${X}\n", {"1: ('$HOME', '${X}')"}},
      {"POSTPROG ~/bin/post @File\n", {"1: ('~/bin/post')"}},  // and no "does not exist"
      {"POSTPROG post @File\nAREA N DAILY\nDIRECTORY out/*\nFILE /abs/x\nEND\n",
       {"1: the post program 'post' is relative", "3: the mask 'out/*' is relative"},
       "etc/t.cfg"},
  };
  for (const Case& c : cases) Expect(c);
}

TEST_F(ConfigCheckTest, ReportsAConfigurationThatCannotBeOpened) {
  for (const std::string name : {"missing.cfg", ""}) {
    int count = 0;
    std::string out = Check(name, count);
    EXPECT_EQ(out.rfind(name + ":0: ", 0), 0u) << out;
    EXPECT_EQ(out.substr(out.find('\n') + 1), "1 finding\n");
    EXPECT_EQ(count, 1);
  }
}

// The shipped configurations, over copies of their files in memory.
TEST_F(ConfigCheckTest, FindsNothingInTheShippedConfigurations) {
  const std::filesystem::path root =
      std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
  auto read = [](const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  fs_.AddFile("/bin/echo",
              "\x7F"
              "ELF");
  for (const char* sub : {"news", "weekend", "lists", "digest", "digest/extra", "archive"})
    fs_.AddDirectory(std::string("outgoing/") + sub);
  Expect({read(root / "examples" / "brimvel.cfg"), {}, "example.cfg"});
  for (const auto& file : std::filesystem::recursive_directory_iterator(root / "demo"))
    if (file.is_regular_file())
      fs_.AddFile(std::filesystem::relative(file.path(), root / "demo").generic_string(),
                  read(file.path()));
  Expect({fs_.Contents("brimvel.cfg"), {}, "brimvel.cfg"});
}

}  // namespace
}  // namespace brimvel
