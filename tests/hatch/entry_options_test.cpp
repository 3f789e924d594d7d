#include "hatch/entry_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace brimvel {
namespace {

// The flags expected on, named as the options are written ("-STAY -DELETE").
struct Expected {
  std::string flags;
  std::string desc;
  std::string option;
};

bool Named(const std::string& flags, const std::string& name) {
  std::istringstream words(flags);
  std::string word;
  while (words >> word)
    if (word == name) return true;
  return false;
}

void ExpectOptions(const EntryOptions& got, const Expected& want) {
  EXPECT_EQ(got.stay, Named(want.flags, "-STAY"));
  EXPECT_EQ(got.deleteFile, Named(want.flags, "-DELETE"));
  EXPECT_EQ(got.anySize, Named(want.flags, "-ANYSIZE"));
  EXPECT_EQ(got.anyCount, Named(want.flags, "-ANYCOUNT"));
  EXPECT_EQ(got.hidden, Named(want.flags, "-HIDDEN"));
  EXPECT_EQ(got.desc, want.desc);
  EXPECT_EQ(got.option, want.option);
}

TEST(ParseEntryOptionsTest, Table) {
  struct Row {
    std::string entry;
    Expected want;
  };
  const Row rows[] = {
      {"C:\\OUT\\NEWS.ZIP", {"", "", ""}},
      {"C:\\OUT\\NEWS.ZIP -delete -Stay", {"-STAY -DELETE", "", ""}},
      {"C:\\OUT\\NEWS.ZIP -ANYSIZE -anycount -Hidden", {"-ANYSIZE -ANYCOUNT -HIDDEN", "", ""}},
      // Flags are found inside any word, the mask included.
      {"C:\\OUT\\NEWS.ZIP -STAYED", {"-STAY", "", ""}},
      {"C:\\OUT\\-DELETE\\NEWS.ZIP", {"-DELETE", "", ""}},
      {"-DELETE C:\\OUT\\NEWS.ZIP", {"-DELETE", "", ""}},
      {"C:\\OUT\\NEWS.ZIP -DESC \"Check -delete list\"", {"-DELETE", "Check -delete list", ""}},
      // Value options: the next word, or a double-quoted text.
      {"C:\\OUT\\NEWS.ZIP -DESC \"Weekly news digest\" -OPTION replace",
       {"", "Weekly news digest", "replace"}},
      {"C:\\OUT\\NEWS.ZIP -desc Weekly news", {"", "Weekly", ""}},
      {"C:\\OUT\\NEWS.ZIP -DESC \"Weekly news", {"", "Weekly news", ""}},
      {"C:\\OUT\\NEWS.ZIP -DESC   \"Mixed Case\"", {"", "Mixed Case", ""}},
      {"C:\\OUT\\NEWS.ZIP -DESC \"\" -OPTION x", {"", "", "x"}},
      {"C:\\OUT\\NEWS.ZIP -DESC=Weekly", {"", "", ""}},
      {"C:\\OUT\\NEWS.ZIP -DESC", {"", "", ""}},
      {"C:\\OUT\\NEWS.ZIP -DESCRIPTION Weekly", {"", "", ""}},
      {"C:\\OUT\\NEWS.ZIP -DESC one -DESC two", {"", "one", ""}},
      {"C:\\OUT\\NEWS.ZIP -OPTION", {"", "", ""}},
      // The word walk does not skip quoted text: the first -OPTION word counts.
      {"C:\\OUT\\NEWS.ZIP -DESC \"see -OPTION x\" -OPTION real", {"", "see -OPTION x", "x\""}},
      // A value option's name next to a flag: both take effect.
      {"C:\\OUT\\NEWS.ZIP -DESC -STAY", {"-STAY", "-STAY", ""}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.entry);
    EntryOptions options;
    ParseEntryOptions(row.entry, options);
    ExpectOptions(options, row.want);
  }
}

TEST(ParseEntryOptionsTest, NothingCarriesOverFromThePreviousEntry) {
  EntryOptions options;
  ParseEntryOptions(
      "D:\\IN\\*.ZIP -STAY -DELETE -ANYSIZE -ANYCOUNT -HIDDEN -DESC first -OPTION one", options);
  ExpectOptions(options, {"-STAY -DELETE -ANYSIZE -ANYCOUNT -HIDDEN", "first", "one"});
  ParseEntryOptions("C:\\OUT\\NEWS.ZIP", options);
  ExpectOptions(options, {"", "", ""});
}

// Where each option was found, for the checker to say why it acts.
TEST(ParseEntryOptionsTest, RecordsWhereEachOptionWasFound) {
  EntryOptions o;
  ParseEntryOptions("out-stay/* -desc \"no -Delete\" -STAY -OPTION x -DESC y", o);
  EXPECT_EQ(o.flagAt[kStayFlag], 3u);  // the first place, inside the mask
  EXPECT_EQ(o.flagAt[kDeleteFlag], 21u);
  EXPECT_FALSE(o.Has(kHiddenFlag));
  EXPECT_EQ(o.valueAt[kDescValue], 11u);  // the word whose value was taken
  EXPECT_EQ(o.valueAt[kOptionValue], 36u);
}

// The words after the mask outside the values (option names too), each with the one-word value
// before it; a parse keeps nothing of the one before.
TEST(ParseEntryOptionsTest, RecordsTheWordsOutsideTheValues) {
  ParsedEntry entry;
  const struct {
    std::string text, words;
    bool stayWord;
  } rows[] = {
      {"out/* -STAY -DESC news x -KEEP", "-STAY -DESC x(-DESC) -KEEP", true},
      {"out-stay/* -DESC \"a -STAY b\" c -DESC=d", "-DESC c -DESC=d", false},
      {"out/*", "", false},
  };
  for (const auto& row : rows) {
    ParseEntry(row.text, entry);
    std::string words;
    for (const ParsedEntry::Word& w : entry.words)
      words += (words.empty() ? "" : " ") + row.text.substr(w.at, w.size) +
               (w.afterValue.empty() ? "" : "(" + std::string(w.afterValue) + ")");
    EXPECT_EQ(words, row.words) << row.text;
    EXPECT_EQ(entry.flagWord[kStayFlag], row.stayWord) << row.text;
  }
}

// Only the first 255 characters of an entry are parsed, even when the line
// itself is longer (it is written back whole).
TEST(ParseEntryOptionsTest, ReadsOnlyTheFirst255Characters) {
  EntryOptions options;
  std::string entry = "M -DESC \"" + std::string(250, 'a') + "\" -STAY -OPTION late";
  ParseEntryOptions(entry, options);
  ExpectOptions(options, {"", std::string(255 - 9, 'a'), ""});

  std::string filler = "M -descx " + std::string(250, 'b');
  ParseEntryOptions(filler + " -DESC late", options);
  ExpectOptions(options, {"", "", ""});
}

}  // namespace
}  // namespace brimvel
