#include "run/config_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/config_check_fixture.h"

namespace brimvel {
namespace {

using testing::Case;
using testing::ConfigCheckTest;
using testing::kHead;

TEST_F(ConfigCheckTest, StaysSilentOnSoundConfigurations) {
  const Case cases[] = {
      {"empty file", "", {}},
      {"every form read as meant",
       "remark lines and blank lines\n\n"
       "postprog {dir}/post @file(20,L*) @AREA @Option @Desc @AppDesc @Space\\n\n"
       "APPENDDESC desc \"@Desc\"\n"
       "AREA NEWS daily\nCOUNT 3\nSIZE $FF\nSize \"1000\"\nWHEN MONTHLY $F 1\nWHEN YEARLY 2030\n"
       "Skip A.ZIP\nDIRECTORY {dir}/out/*.zip -STAY -delete -DESC \"Weekly news\" -OPTION x\n"
       "FILE news.txt -ANYSIZE -ANYCOUNT -HIDDEN -DESC one\nend\n"
       "AREA OTHER WEEKLY 0 6\nFILE {dir}/out/x -DESC \"a -OPTION-like text\"\nEND\n"
       "AREA EMPTY WEEKLY\nEND\n",
       {}},
      {"a Ctrl-Z that only ends the text", kHead + "END\n\x1A", {}},
      {"a search that finds nothing yet", kHead + "DIRECTORY {dir}/out/*.none\nEND\n", {}},
  };
  for (const Case& c : cases) ExpectFindings(c);
}

TEST_F(ConfigCheckTest, FindsBlockStructureTraps) {
  const Case cases[] = {
      {"END with a trailing blank", kHead + "END \nEND\n", {{3, "trailing blank"}}},
      {"END with a leading blank", kHead + " end\nEND\n", {{3, "leading blank"}}},
      {"END with a remark", kHead + "END of news\nEND\n", {{3, "more text after END"}}},
      {"a block without END", kHead + "COUNT 1\n", {{2, "has no END line"}}},
      {"AREA inside a block", kHead + "AREA SPORT DAILY\nEND\n", {{3, "opens no block"}}},
      {"POSTPROG inside a block", kHead + "POSTPROG {dir}/post @File\nEND\n", {{3, "no effect"}}},
      {"APPENDDESC inside a block", kHead + "APPENDDESC x @Desc\nEND\n", {{3, "no effect"}}},
      {"DIRECTORY outside", kHead + "END\nDIRECTORY {dir}/out/*\n", {{4, "outside an area"}}},
      {"FILE outside", kHead + "END\nfile x\n", {{4, "outside an area"}}},
      {"SIZE outside", kHead + "END\nSIZE 5\n", {{4, "outside an area"}}},
      {"COUNT outside", kHead + "END\nCOUNT 5\n", {{4, "outside an area"}}},
      {"WHEN outside", kHead + "END\nWHEN DAILY\n", {{4, "outside an area"}}},
      {"SKIP outside", kHead + "END\nSkip A.ZIP\n", {{4, "belongs to no area"}}},
      {"END outside", kHead + "END\nEND\n", {{4, "ends nothing"}}},
      {"a keyword followed by a tab", kHead + "COUNT\t3\nEND\n", {{3, "tab separates no words"}}},
      {"a line over 255 characters",
       kHead + "DIRECTORY {dir}/out/*.zip" + std::string(240, ' ') + "-STAY\nEND\n",
       {{3, "only the first 255 are read"}}},
      {"a Ctrl-Z before the end",
       kHead + "END\n\x1A" + "AREA LOST DAILY\nEND\n",
       {{4, "Ctrl-Z byte (0x1A) ends the configuration"}}},
      {"a Ctrl-Z inside a line", kHead + "COUNT 1\x1Ay\n", {{3, "Ctrl-Z"}, {2, "has no END"}}},
      {"a duplicate area name", kHead + "END\nAREA news MONTHLY\nEND\n", {{4, "used before"}}},
  };
  for (const Case& c : cases) ExpectFindings(c);
}

TEST_F(ConfigCheckTest, FindsScheduleAndLimitTraps) {
  const std::string post = "POSTPROG {dir}/post @File\n";
  const Case cases[] = {
      {"AREA without a schedule", post + "AREA NEWS\nEND\n", {{2, "has no schedule"}}},
      {"AREA without a name", post + "AREA \nEND\n", {{2, "no area name"}}},
      {"AREA alone", post + "AREA\nEND\n", {{2, "no name and no schedule"}}},
      {"an unknown schedule word", post + "AREA NEWS WEEKLEY\nEND\n", {{2, "no schedule word"}}},
      {"a tab in the schedule", post + "AREA NEWS\tDAILY\nEND\n", {{2, "a tab separates"}}},
      {"DAILY with a trailing blank", post + "AREA NEWS DAILY \nEND\n", {{2, "trailing blank"}}},
      {"DAILY with a list", post + "AREA NEWS DAILY 1\nEND\n", {{2, "DAILY takes no list"}}},
      {"WEEKLY with a trailing blank", post + "AREA N WEEKLY \nEND\n", {{2, "empty list"}}},
      {"a comma list", post + "AREA N MONTHLY 1,15\nEND\n", {{2, "comma separates nothing"}}},
      {"one word of the list no number",
       post + "AREA N WEEKLY 1 X\nEND\n",
       {{2, "'X' is no number and matches nothing"}}},
      {"a day of the week out of range", post + "AREA N WEEKLY 7\nEND\n", {{2, "never due"}}},
      {"a day of the month out of range", post + "AREA N MONTHLY 32\nEND\n", {{2, "never due"}}},
      {"WHEN alone", kHead + "WHEN\nEND\n", {{3, "WHEN alone"}}},
      {"WHEN with a bad list", kHead + "WHEN WEEKLY X\nEND\n", {{3, "are not worked"}}},
      {"SIZE alone", kHead + "SIZE\nEND\n", {{3, "SIZE alone"}}},
      {"COUNT alone", kHead + "count\nEND\n", {{3, "COUNT alone"}}},
      {"SIZE 100K", kHead + "SIZE 100K\nEND\n", {{3, "reads as 0"}}},
      {"SIZE with a trailing blank", kHead + "SIZE 100 \nEND\n", {{3, "trailing blank"}}},
      {"SIZE in two words", kHead + "SIZE 1 000\nEND\n", {{3, "reads as 0"}}},
      {"COUNT 0", kHead + "COUNT 0\nEND\n", {{3, "no limit"}}},
      {"a negative COUNT", kHead + "COUNT -1\nEND\n", {{3, "-ANYCOUNT"}}},
  };
  for (const Case& c : cases) ExpectFindings(c);
}

TEST_F(ConfigCheckTest, FindsEntryAndTemplateTraps) {
  auto entry = [](const std::string& line) { return kHead + line + "\nEND\n"; };
  const Case cases[] = {
      {"an option glued to its value",
       entry("DIRECTORY {dir}/out/* -DESC=Weekly"),
       {{3, "not read as -DESC"}}},
      {"an option before the mask",
       entry("DIRECTORY -STAY {dir}/out/*"),
       {{3, "stands before the mask"}}},
      {"an unknown option word", entry("FILE x -KEEP"), {{3, "'-KEEP' is no option"}}},
      {"a value of two words without quotes",
       entry("FILE x -DESC Weekly news"),
       {{3, "takes one word only"}}},
      {"a repeated value option", entry("FILE x -DESC a -DESC b"), {{3, "second -DESC"}}},
      {"a value option with nothing behind", entry("FILE x -OPTION"), {{3, "nothing behind"}}},
      {"a flag inside the mask",
       entry("DIRECTORY {dir}/out-stay/*"),
       {{3, "-STAY is found inside the mask"}}},
      {"a flag inside a quoted value",
       entry("FILE x -DESC \"do not -delete\""),
       {{3, "-DELETE is found inside the -DESC value"}}},
      {"-OPTION inside another value",
       entry("FILE x -DESC \"see -OPTION y\" -OPTION real"),
       {{3, "-OPTION is read as 'y\"'"}}},
      {"an unclosed quote", entry("FILE x -DESC \"Weekly news"), {{3, "never closed"}}},
      {"a -DESC holding @Desc", entry("FILE x -DESC \"see @desc\""), {{3, "holds '@Desc'"}}},
      {"-HIDDEN on a directory", entry("DIRECTORY {dir}/out/* -HIDDEN"), {{3, "no effect"}}},
      {"a tab in the mask",
       entry("DIRECTORY {dir}/out/*\t-STAY"),
       {{3, "holds a tab"}, {3, "-STAY is found inside the mask"}}},
      {"DIRECTORY alone", entry("DIRECTORY"), {{3, "has no mask"}}},
      {"a missing directory", entry("DIRECTORY {dir}/gone/*"), {{3, "drops this line"}}},
      {"a missing directory, FILE", entry("FILE {dir}/gone/x"), {{3, "aborting..."}}},
      {"no POSTPROG above", "AREA N DAILY\nFILE x\nEND\n", {{2, "no POSTPROG"}}},
      {"POSTPROG alone", "POSTPROG\n", {{1, "no command"}}},
      {"a missing program", "POSTPROG {dir}/gone @File\n", {{1, "does not exist"}}},
      {"a program from PATH", "POSTPROG sh @File\n", {{1, "not looked up along PATH"}}},
      {"a directory as program", "POSTPROG {dir}/out @File\n", {{1, "is a directory"}}},
      {"a template without @File", "POSTPROG {dir}/post @Area\n", {{1, "no @File"}}},
      {"@File in quotes", "POSTPROG {dir}/post \"@File\"\n", {{1, "@File stands in double"}}},
      {"'@Size'", "POSTPROG {dir}/post @File @Size\n", {{1, "'@Size' is no macro"}}},
      {"'@Files'", "POSTPROG {dir}/post @Files\n", {{1, "followed by 's'"}}},
      {"a command macro in APPENDDESC", "APPENDDESC @Desc @Area\n", {{1, "not replaced in"}}},
      {"an unclosed quote in POSTPROG", "POSTPROG {dir}/post @File \"x\n", {{1, "unclosed"}}},
  };
  for (const Case& c : cases) ExpectFindings(c);
}

TEST_F(ConfigCheckTest, ReportsAConfigurationThatCannotBeOpened) {
  for (const std::string& name : {dir_.Path("missing.cfg"), std::string()}) {
    int count = 0;
    std::vector<std::string> lines = CheckFile(name, count);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind(name + ":0: ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], "1 finding");
    EXPECT_EQ(count, 1);
  }
}

}  // namespace
}  // namespace brimvel
