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

constexpr std::size_t npos = std::string::npos;

// A configuration and its findings, each "line: severity: a phrase of its text".
struct Case {
  std::string config;
  std::vector<std::string> findings;
  std::string name = "t.cfg";
};

// A sound start for a configuration: a runnable program and an open block.
const std::string kHead = "POSTPROG post @File @Area @Desc\nAREA NEWS DAILY\n";
std::string Entry(const std::string& line) { return kHead + line + "\nEND\n"; }

class ConfigCheckTest : public ::testing::Test {
 protected:
  ConfigCheckTest() {
    fs_.AddFile("post",
                "\x7F"
                "ELF\x02\x01");
    fs_.AddFile("plain", "not a program\n");
    runner_.startErrors["plain"] = kAccessDenied;
    runner_.commandLimit = 300;
    fs_.AddFile("crlf.sh", "#!/bin/sh\r\nexit 0\r\n");
    fs_.AddFile("lf.sh", "#!/bin/sh\nexit 0\n");
    fs_.AddFile("text.sh", "exit 0\n");
    fs_.AddFile("nosh.sh", "#!/bin/nosh\nexit 0\n");
    fs_.AddFile("out/news/n1.zip", "n");
    for (const char* name : {"out/a.zip", "out/x", "news.txt", "/bin/sh", "x"})
      fs_.AddFile(name, "x");
    fs_.AddDirectory("out-stay");
    fs_.AddDirectory("/abs");
  }

  // The check's output; the configuration and everything else must come
  // through untouched.
  std::string Check(const std::string& name, CheckOutcome& outcome) {
    const std::vector<std::string> before = fs_.Names();
    const std::string config = fs_.Contents(name);
    MemoryFileSystem console;
    TextWriter out(console, "out");
    out.OpenNew();
    outcome = CheckConfiguration(fs_, runner_, clock_, name, out, area_);
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
    CheckOutcome outcome;
    std::string out = Check(c.name, outcome);
    // Most cases leave a block without entries, or a DIRECTORY without -STAY;
    // they name these findings when they are theirs.
    for (auto [phrase, count] :
         {std::pair{"warning: the block of area NEWS holds no", &outcome.warnings},
          {"note: without -STAY", &outcome.notes}}) {
      bool named = false;
      for (const std::string& finding : c.findings) named |= finding.find(phrase) != npos;
      for (std::size_t at; !named && (at = out.find(phrase)) != npos; --*count)
        out.erase(out.rfind('\n', at) + 1, out.find('\n', at) - out.rfind('\n', at));
    }
    int counts[3] = {};
    std::size_t at = 0;
    for (const std::string& finding : c.findings) {
      std::size_t colon = finding.find(": ", finding.find(": ") + 2);  // after the severity
      std::string prefix = c.name + ":" + finding.substr(0, colon) + ": ";
      std::size_t end = out.find('\n', at);
      std::string line = out.substr(at, end - at);
      EXPECT_EQ(line.rfind(prefix, 0), 0u) << out;
      EXPECT_NE(line.find(finding.substr(colon + 2)), std::string::npos) << out;
      colon = finding.find(": ");
      for (int k = 0; k < 3; ++k) counts[k] += finding.find(kSeverities[k]) == colon + 2;
      at = end + 1;
    }
    EXPECT_EQ(outcome.errors, counts[0]) << out;
    EXPECT_EQ(outcome.warnings, counts[1]) << out;
    EXPECT_EQ(outcome.notes, counts[2]) << out;
    EXPECT_EQ(out.find('\n', at), out.size() - 1) << out;  // then the summary line alone
    if (c.config.empty()) {
      EXPECT_EQ(out, "no findings\n");
    }
  }
  static constexpr const char* kSeverities[] = {"error: ", "warning: ", "note: "};
  std::string area_;  // -AREA

  MemoryFileSystem fs_;
  testing::RecordingRunner runner_;
  FixedClock clock_{LocalTime{2026, 12, 9, 6, 0, 0, 0}};  // a Wednesday
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
       "AREA EMPTY WEEKLY\nDIRECTORY out/news/* -STAY\nEND\n",
       {}},
      {kHead + "END\n\x1A\n \n", {}},  // a Ctrl-Z that only ends the text
      {"POSTPROG lf.sh @File\n", {}},
      {"POSTPROG post @File\nAREA N DAILY\nFILE out/x\nEND\n", {}, "./t.cfg"},
  };
  for (const Case& c : cases) Expect(c);
}

TEST_F(ConfigCheckTest, FindsBlockStructureTraps) {
  const Case cases[] = {
      {kHead + "END \nEND\n", {"3: error: 'END ' has a trailing blank: it does not end"}},
      {kHead + " end\nEND\n", {"3: error: leading blank"}},
      {kHead + "END of news\nEND\n", {"3: error: more text after END"}},
      {kHead + "END\t\nEND\n", {"3: error: 'END<tab>' holds a tab"}},
      {kHead + "COUNT 1\n", {"2: error: the block of area NEWS has no END line"}},
      {kHead + "AREA SPORT DAILY\nEND\n", {"3: error: opens no block"}},
      {kHead + "POSTPROG post @File\nEND\n", {"3: error: POSTPROG inside the block of area NEWS"}},
      {kHead + "END\nDIRECTORY out/*\n", {"4: error: DIRECTORY outside an area"}},
      {kHead + "END\nSkip A.ZIP\n", {"4: warning: keeps no file"}},
      {kHead + "END\nEND\n", {"4: warning: ends nothing"}},
      {kHead + "COUNT\t3\nEND\n", {"3: error: not COUNT"}},
      {"\tPOSTPROG post @File\n", {"1: error: not POSTPROG"}},
      {kHead + "DIRECTROY out/*\nEND\n", {"3: warning: 'DIRECTROY' is no keyword (DIRECTORY?)"}},
      {kHead + "Files below\nFILE x\nEND\n", {"3: warning: (FILE?)"}},
      {kHead + "Send news\nFILE x\nEND\n", {}},  // END is too short to guess at
      {Entry("DIRECTORY out/*.zip" + std::string(240, ' ') + "-STAY"),
       {"3: warning: only the first 255"}},
      {kHead + "END\n\x1A" + "AREA LOST DAILY\nEND\n",
       {"4: error: rest of this line and the 1 line(s) after it"}},
      {kHead + "COUNT 1\x1Ay\n", {"3: error: Ctrl-Z byte (0x1A)", "2: error: has no END"}},
      {kHead + "FILE x\nEND\nAREA news MONTHLY\nFILE x\nEND\n",
       {"5: warning: 'news' was used before, at line 2"}},
      {kHead + "END\n", {"2: warning: the block of area NEWS holds no DIRECTORY or FILE entry"}},
      // The word behind a byte-order mark is still read; the mark is harmless.
      {"\xEF\xBB\xBF"
       "END\n",
       {"1: note: byte-order mark", "1: warning: END outside an area block"}},
  };
  for (const Case& c : cases) Expect(c);
}

TEST_F(ConfigCheckTest, FindsScheduleAndLimitTraps) {
  const std::string post = "POSTPROG post @File\n";
  const std::string x = "FILE x\nEND\n";
  const Case cases[] = {
      {post + "AREA NEWS\n" + x, {"2: error: 'NEWS' has no schedule"}},
      {post + "AREA DAILY\n" + x, {"2: warning: its name is taken as the schedule"}},
      {post + "AREA \n" + x, {"2: warning: no area name"}},
      {post + "AREA\n" + x, {"2: error: 'AREA' has no schedule"}},
      {post + "AREA NEWS WEEKLEY\n" + x, {"2: error: no schedule word"}},
      {post + "AREA NEWS\tDAILY\n" + x, {"2: error: (a tab separates no words)"}},
      {post + "AREA NEWS DAILY \n" + x, {"2: error: only DAILY alone is due: 'DAILY ' is never"}},
      {post + "AREA NEWS DAILY 1\n" + x, {"2: error: DAILY takes no list"}},
      {post + "AREA N WEEKLY \n" + x, {"2: error: empty list"}},
      {post + "AREA N MONTHLY 1,15\n" + x, {"2: error: comma separates nothing"}},
      {post + "AREA N WEEKLY 1 X\n" + x, {"2: warning: 'X' is no number and matches nothing"}},
      {post + "AREA N WEEKLY 7\n" + x, {"2: error: '7' is no such day"}},
      {post + "AREA N MONTHLY 15 0\n" + x, {"2: warning: '0' is no such day"}},
      {kHead + "WHEN\nEND\n", {"3: error: WHEN alone"}},
      {kHead + "WHEN WEEKLY X\nEND\n", {"3: error: never due; the lines below it"}},
      {kHead + "SIZE\nEND\n", {"3: warning: SIZE alone"}},
      {kHead + "SIZE 100K\nEND\n", {"3: error: '100K' is no number, so it reads as 0"}},
      {kHead + "SIZE 100 \nEND\n", {"3: error: trailing blank"}},
      {kHead + "COUNT 0\nEND\n", {"3: note: no limit"}},
      {kHead + "COUNT -1\nEND\n", {"3: error: -ANYCOUNT"}},
  };
  for (const Case& c : cases) Expect(c);
}

TEST_F(ConfigCheckTest, FindsEntryTraps) {
  const std::string in = "POSTPROG post @File @AppDesc\nAPPENDDESC \"@Desc\"\nAREA N DAILY\n";
  const Case cases[] = {
      {Entry("DIRECTORY out/* -DESC=Weekly"), {"3: warning: not read as -DESC"}},
      {Entry("DIRECTORY -STAY out/*"), {"3: error: '-STAY' stands before the mask"}},
      {Entry("FILE x -KEEP"), {"3: warning: '-KEEP' is no option"}},
      {Entry("FILE x -DESC Weekly news"), {"3: warning: takes one word only"}},
      {Entry("DIRECTORY out-stay/*"),
       {"3: warning: -STAY is found inside the mask",
        "3: note: matches nothing today: the run hands nothing over and keeps the line"}},
      {Entry("FILE x -DESC \"do not -delete\""), {"3: error: -DELETE is found inside the -DESC"}},
      {Entry("FILE x -DESC \"see -OPTION y\" -OPTION real"),
       {"3: warning: 'real' is neither", "3: warning: -OPTION is read as 'y\"' from inside"}},
      {Entry("FILE x -DESC \"Weekly news"), {"3: warning: unmatched double quote"}},
      {Entry("FILE x -DESC \"see @desc\""), {"3: note: holds '@Desc'"}},
      {Entry("DIRECTORY out/* -HIDDEN"), {"3: note: -HIDDEN has no effect"}},
      {Entry("DIRECTORY out/*\t-STAY"),
       {"3: error: holds a tab", "3: warning: -STAY is found inside the mask",
        "3: note: matches nothing today"}},
      {Entry("DIRECTORY"), {"3: error: has no mask"}},
      // A missing directory keeps its entry, with an [err] line in every run.
      {Entry("DIRECTORY gone/*"),
       {"3: error: fails (Path to file gone/* not found): the run "
        "hands nothing over and keeps the line with an [err] line"}},
      {Entry("FILE gone/x"), {"3: error: keeps the line with an [err] line"}},
      {Entry("DIRECTORY out/*.txt"),
       {"3: warning: matches nothing today: the run hands nothing "
        "over and drops the line"}},
      {Entry("DIRECTORY out/*.txt -STAY"), {"3: note: keeps the line"}},
      {Entry("FILE out/none"), {"3: warning: 'Error while searching for out/none, aborting...'"}},
      {kHead + "WHEN WEEKLY 0\nFILE out/none\nEND\n", {"4: note: its block is not worked today"}},
      {"AREA N DAILY\nFILE x\nEND\n", {"2: error: no POSTPROG"}},
      {Entry("DIRECTORY out/news"),
       {"3: error: names a directory, not files: the run hands nothing over and drops the line; "
        "write 'out/news/*'"}},
      {Entry("DIRECTORY out/news/ -STAY"), {"3: error: keeps the line; write 'out/news/*'"}},
      {Entry("FILE out/news"), {"3: error: aborting...' and keeps the line; write"}},
      {Entry("FILE out -HIDDEN"),
       {"3: warning: -HIDDEN hands the mask itself over; write 'out/*'"}},
      {Entry("FILE out/* -STAY\nDIRECTORY out/A?ZIP"),
       {"4: warning: can match the same file as line 3"}},
      {Entry("FILE out/*.zip -STAY\nDIRECTORY out/*.txt"), {"4: warning: drops the line"}},
      {in + "FILE x -DESC news\nEND\n", {}},
      {in + "FILE x -DESC news\\n\nEND\n", {"4: warning: breaks the line inside the quoted @Desc"}},
      {"POSTPROG post @File\nAREA N DAILY\nFILE x -DESC news\nEND\n",
       {"3: warning: no macro of the templates uses the -DESC text"}},
      // Commands run whole up to the platform's limit (300 here), never cut at 255.
      {"POSTPROG post @File @Desc@Desc@Desc@Desc\nAREA N DAILY\nFILE x -DESC " +
           std::string(70, 'o') + "\nEND\n",
       {}},
      {"POSTPROG post @File @Desc@Desc@Desc@Desc\nAREA N DAILY\nFILE x -DESC " +
           std::string(80, 'o') + "\nEND\n",
       {"3: error: the command for 'x' is longer than the 300 characters the platform takes"}},
  };
  for (const Case& c : cases) Expect(c);
}

TEST_F(ConfigCheckTest, FindsTemplateAndProgramTraps) {
  const Case cases[] = {
      {"POSTPROG\n", {"1: error: 'POSTPROG' does not exist", "1: error: no @File"}},
      {"POSTPROG bin/gone @File\n", {"1: error: does not exist: every hand-over"}},
      {"POSTPROG sh @File\n", {"1: error: not looked up along PATH"}},
      {"POSTPROG out @File\n", {"1: error: is a directory"}},
      {"POSTPROG plain @File\n", {"1: error: not executable"}},
      {"POSTPROG crlf.sh @File\n", {"1: error: ends in a carriage return"}},
      {"POSTPROG lf.sh @File\n", {}},
      {"POSTPROG text.sh @File\n", {"1: error: a script without a '#!' line"}},
      {"POSTPROG nosh.sh @File\n", {"1: error: names the interpreter '/bin/nosh'"}},
      {"POSTPROG post @Area\n", {"1: error: no @File"}},
      {"POSTPROG post \"@File\"\n", {"1: error: @File stands in double quotes"}},
      {"POSTPROG post @File @Size\n", {"1: warning: '@Size' is no macro"}},
      {"POSTPROG post @Files\n", {"1: warning: the macro '@File' with 's'"}},
      {"APPENDDESC @Desc @Area\n", {"1: warning: not replaced in APPENDDESC"}},
      {"APPENDDESC @Descs\n", {"1: warning: the macro '@Desc' with 's'"}},
      {"POSTPROG post @File \"x\n", {"1: warning: unclosed double quote"}},
      {"POSTPROG post @File > log.txt\n",
       {"1: warning: shell syntax in the command template ('>')"}},
      {"POSTPROG post @File | tee x && echo;\n", {"1: warning: ('|', '&&', 'echo;')"}},
      {"POSTPROG post @File $HOME ${X}\n", {"1: warning: ('$HOME', '${X}')"}},
      {"POSTPROG ~/bin/post @File\n", {"1: warning: ('~/bin/post')"}},  // and no "does not exist"
      {"POSTPROG post @File\nAREA N DAILY\nDIRECTORY out/* -STAY\nFILE /abs/x\nEND\n",
       {"1: warning: the post program 'post' is relative",
        "3: warning: the mask 'out/*' is relative",
        "4: warning: 'Error while searching for /abs/x"},
       "etc/t.cfg"},
  };
  for (const Case& c : cases) Expect(c);
}

// Findings no line stands for name the file alone; -AREA is read as a run reads it.
TEST_F(ConfigCheckTest, ReportsWhatNoLineStandsForAndReadsAsAreaDoes) {
  fs_.AddFile("t.cfg", kHead + "END\nAREA LATER WEEKLY 0\nFILE out/none\nEND\n");
  const struct {
    std::string name, area, first;
  } cases[] = {
      {"missing.cfg", "", "missing.cfg: error: cannot be opened for reading"},
      {"", "", ": error: no configuration file is named"},
      {"t.cfg", "NEWZ",
       "t.cfg: error: Area NEWZ is not in configuration file t.cfg: a run with -AREA NEWZ works "
       "nothing"},
      // The block -AREA names is worked whatever its schedule.
      {"t.cfg", "later",
       "t.cfg:5: warning: the mask 'out/none' matches nothing today: the run logs"},
  };
  for (const auto& c : cases) {
    area_ = c.area;
    CheckOutcome outcome;
    std::string out = Check(c.name, outcome);
    EXPECT_NE(out.find(c.first), npos) << out;
    EXPECT_EQ(outcome.errors, c.first.find(": error: ") != npos ? 1 : 0) << out;
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
  // Today is a Wednesday: only NEWS is due, and its directory is empty.
  Expect({read(root / "examples" / "brimvel.cfg"),
          {"33: warning: drops the line", "40: note: not worked today", "41: note: not worked",
           "49: note: not worked", "51: note: not worked", "56: note: not worked"},
          "example.cfg"});
  // The README's, with its program and a file in place.
  const std::string readme = read(root / "README.md");
  std::string example = readme.substr(readme.find("    # brimvel.cfg: hand the news"));
  example = example.substr(0, example.find("    END\n") + 8);
  for (std::size_t at; (at = example.find("\n    ")) != npos;) example.erase(at + 1, 4);
  fs_.AddFile("/usr/bin/TICKER",
              "\x7F"
              "ELF\x02");
  fs_.AddFile("/srv/fido/outbox/news/n1.zip", "n");
  Expect({example.substr(4), {}, "readme.cfg"});
  for (const auto& file : std::filesystem::recursive_directory_iterator(root / "demo"))
    if (file.is_regular_file())
      fs_.AddFile(std::filesystem::relative(file.path(), root / "demo").generic_string(),
                  read(file.path()));
  Expect({fs_.Contents("brimvel.cfg"), {}, "brimvel.cfg"});
}

}  // namespace
}  // namespace brimvel
