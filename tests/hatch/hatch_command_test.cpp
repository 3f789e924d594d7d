#include "hatch/hatch_command.h"

#include <gtest/gtest.h>

#include <string>

namespace brimvel {
namespace {

const std::string kLfCr = "\n\r";
const std::string kPost = "C:\\BIN\\POST.EXE";
const std::string kWeekly = "C:\\OUT\\WEEKLY.ZIP";

struct Row {
  const char* what;
  std::string postProg;
  std::string appendDesc;
  std::string path;
  std::string desc;
  std::string option;
  std::string command;
  std::string area = "INFO";
};

std::string Build(const Row& row) {
  HatchSettings settings;
  settings.postProg = row.postProg;
  settings.appendDesc = row.appendDesc;
  AreaRecord area;
  area.name = row.area;
  EntryOptions options;
  options.desc = row.desc;
  options.option = row.option;
  return BuildCommand(settings, row.path, area, options);
}

void ExpectCommands(const Row* begin, const Row* end) {
  for (const Row* row = begin; row != end; ++row) EXPECT_EQ(Build(*row), row->command) << row->what;
}

TEST(BuildCommandTest, MacrosInTheirOrder) {
  const Row rows[] = {
      {"every command macro", kPost + " hatch @File @Area @Option", "", kWeekly, "", "replace",
       kPost + " hatch " + kWeekly + " INFO replace"},
      {"macro names in any case", kPost + " hatch @file @AREA @option", "", kWeekly, "", "replace",
       kPost + " hatch " + kWeekly + " INFO replace"},
      {"a macro used twice", kPost + " @File @FILE", "", kWeekly, "", "",
       kPost + " " + kWeekly + " " + kWeekly},
      {"the program alone", kPost, "", kWeekly, "", "", kPost},
      {"no POSTPROG line", "", "", kWeekly, "x", "", ""},
      {"a word that is no macro", kPost + " @File @Size", "", kWeekly, "", "",
       kPost + " " + kWeekly + " @Size"},
      {"'@Files' is @File and an 's'", kPost + " @Files", "", kWeekly, "", "",
       kPost + " " + kWeekly + "s"},
      {"escapes of the template", kPost + "@Space@File\\n", "", kWeekly, "", "",
       kPost + " " + kWeekly + kLfCr},
      {"a field format on @File", kPost + " [@File(20,L)]", "", "A.ZIP", "", "",
       kPost + " [A.ZIP" + std::string(15, ' ') + "]"},
      {"a field format on @Area", kPost + " @Area(6,L)|", "", kWeekly, "", "", kPost + " INFO  |"},
      {"@Desc empty closes up", kPost + " [@Desc] @File", "", kWeekly, "", "",
       kPost + " [] " + kWeekly},
      {"@Desc filled", kPost + " @File @Desc", "", kWeekly, "Weekly news", "",
       kPost + " " + kWeekly + " Weekly news"},
  };
  ExpectCommands(std::begin(rows), std::end(rows));
}

TEST(BuildCommandTest, AppendedDescription) {
  const std::string tmpl = kPost + " @File @AppDesc";
  const Row rows[] = {
      {"a description", tmpl, "desc @Desc", kWeekly, "Weekly news", "",
       kPost + " " + kWeekly + " desc Weekly news"},
      // The macro goes, the blank before it stays.
      {"no description", tmpl, "desc @Desc", kWeekly, "", "", kPost + " " + kWeekly + " "},
      {"no APPENDDESC line", tmpl, "", kWeekly, "Weekly news", "", kPost + " " + kWeekly + " "},
      {"escapes of APPENDDESC", tmpl, "desc@Space\"@Desc\"", kWeekly, "x", "",
       kPost + " " + kWeekly + " desc \"x\""},
      {"\\k in APPENDDESC", tmpl, "a\\kb @Desc", kWeekly, "x", "",
       kPost + " " + kWeekly + " a\rb x"},
      // Only @Desc belongs to APPENDDESC; its text enters the command last.
      {"a command macro in APPENDDESC", tmpl, "@Area @Desc", kWeekly, "x", "",
       kPost + " " + kWeekly + " @Area x"},
      {"a field format in APPENDDESC", tmpl, "[@Desc(4,R)]", kWeekly, "x", "",
       kPost + " " + kWeekly + " [   x]"},
  };
  ExpectCommands(std::begin(rows), std::end(rows));
}

// What was put in for a macro is never expanded again; only the -DESC text
// put in through @Desc has its escapes honoured, once.
TEST(BuildCommandTest, InsertedTextIsNotExpandedAgain) {
  const std::string tmpl = kPost + " @File @Area";
  const Row rows[] = {
      {"a directory beginning with N", tmpl, "", "C:\\NEWS\\A.ZIP", "", "",
       kPost + " C:\\NEWS\\A.ZIP INFO"},
      {"a directory beginning with K", tmpl, "", "C:\\kit\\A.ZIP", "", "",
       kPost + " C:\\kit\\A.ZIP INFO"},
      {"a name holding a macro", tmpl, "", "out/@Area@Space.zip", "", "",
       kPost + " out/@Area@Space.zip INFO"},
      {"an area name holding a later macro", kPost + " @Area @Option", "", kWeekly, "", "o",
       kPost + " A@Option o", "A@Option"},
      {"an option holding a later macro", kPost + " @Option @Desc @AppDesc", "d @Desc", kWeekly,
       "x", "@Desc@AppDesc", kPost + " @Desc@AppDesc x d x"},
      {"escapes of -DESC through @Desc", kPost + " @Desc", "", kWeekly, "one\\ntwo\\kthree", "",
       kPost + " one" + kLfCr + "two\rthree"},
      {"an escape with a field format in -DESC", kPost + " @Desc", "", kWeekly, "a@Space(3)b", "",
       kPost + " a   b"},
      // Laid out first, so the cut may split an escape, which then stays.
      {"-DESC laid out before its escapes", kPost + " @Desc(6,L*)|", "", kWeekly, "x@Spacey", "",
       kPost + " x@Spa |"},
      {"escapes of -DESC through @AppDesc", kPost + " @AppDesc", "@Desc", kWeekly, "one\\ntwo", "",
       kPost + " one\\ntwo"},
      // Would never end if the inserted text were searched again.
      {"-DESC holding @Desc", kPost + " @Desc|@Desc", "", kWeekly, "see @Desc", "",
       kPost + " see @Desc|see @Desc"},
      {"-DESC holding @desc through @AppDesc", kPost + " @AppDesc", "<@Desc>", kWeekly,
       "@desc@DESC", "", kPost + " <@desc@DESC>"},
      {"-DESC holding @AppDesc", kPost + " @Desc @AppDesc", "[@Desc]", kWeekly, "a@AppDesc", "",
       kPost + " a@AppDesc [a@AppDesc]"},
  };
  ExpectCommands(std::begin(rows), std::end(rows));
}

TEST(BuildCommandTest, PathsReachTheCommandWhole) {
  const std::string tmpl = kPost + " @File @Area";
  const Row rows[] = {
      // Quoted, so the program gets it as one argument.
      {"a path with a blank", tmpl, "", "out/my file.zip", "", "",
       kPost + " \"out/my file.zip\" INFO"},
      {"a path with blanks in its directory", tmpl, "", "C:\\MY NEWS\\A B.ZIP", "", "",
       kPost + " \"C:\\MY NEWS\\A B.ZIP\" INFO"},
      {"a quoted path in a field", kPost + " [@File(12,L)]", "", "a b.zip", "", "",
       kPost + " [\"a b.zip\"   ]"},
      {"a path without blanks stays unquoted", tmpl, "", kWeekly, "", "",
       kPost + " " + kWeekly + " INFO"},
  };
  ExpectCommands(std::begin(rows), std::end(rows));
}

TEST(BuildCommandTest, CommandIsNeverCut) {
  const std::string path = "out/" + std::string(300, 'n') + ".zip";
  Row row = {"a long path", kPost + " @File @Area", "", path, "", "", ""};
  EXPECT_EQ(Build(row), kPost + " " + path + " INFO");
}

}  // namespace
}  // namespace brimvel
