#include "run/config_check.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "config/area_block.h"
#include "hatch/entry_options.h"
#include "hatch/file_entry.h"
#include "hatch/template_expansion.h"
#include "support/error_text.h"
#include "support/io_error.h"
#include "support/platform.h"
#include "support/search.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

constexpr std::array<std::string_view, 10> kKeywords = {
    "POSTPROG", "APPENDDESC", "AREA", "SIZE", "COUNT", "WHEN", "SKIP", "DIRECTORY", "FILE", "END"};

struct Flag {
  std::string_view name;
  bool EntryOptions::*field;
  const char* effect;  // what the entry then does
};

constexpr std::array<Flag, 5> kFlags = {{
    {"-STAY", &EntryOptions::stay, "its line is never dropped from the configuration"},
    {"-DELETE", &EntryOptions::deleteFile, "every file it hatches is deleted afterwards"},
    {"-ANYSIZE", &EntryOptions::anySize, "SIZE does not limit its files"},
    {"-ANYCOUNT", &EntryOptions::anyCount, "COUNT does not limit its files"},
    {"-HIDDEN", &EntryOptions::hidden,
     "a FILE entry whose search fails hands the mask itself over"},
}};

constexpr std::array<std::string_view, 2> kValueOptions = {"-DESC", "-OPTION"};

// The macros of the command template, upper-cased, as the expansion matches them.
constexpr std::array<std::string_view, 6> kCommandMacros = {"@SPACE",  "@FILE",    "@AREA",
                                                            "@OPTION", "@APPDESC", "@DESC"};
// In APPENDDESC only these are replaced; the rest reach the command as written.
constexpr std::array<std::string_view, 2> kDescriptionMacros = {"@SPACE", "@DESC"};
// Text put in for -DESC has its escapes replaced, but never its macro names.
constexpr std::array<std::string_view, 5> kInertInDesc = {"@File", "@Area", "@Option", "@AppDesc",
                                                          "@Desc"};

bool IsBlank(char c) { return c == ' '; }
bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

bool IsKeyword(std::string_view upper) {
  for (std::string_view keyword : kKeywords)
    if (upper == keyword) return true;
  return false;
}

bool HasTab(std::string_view text) { return text.find('\t') != std::string_view::npos; }

// A text as it appears in a message: in single quotes, tabs and other control
// bytes made visible, long texts shortened.
std::string Shown(std::string_view text, std::size_t limit = 60) {
  std::string shown = "'";
  std::size_t count = 0;
  for (char c : text) {
    if (count++ == limit) {
      shown += "...";
      break;
    }
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '\t') {
      shown += "<tab>";
    } else if (byte < 0x20 || byte == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<0x%02X>", byte);
      shown += hex;
    } else {
      shown += c;
    }
  }
  return shown + "'";
}

std::string TabNote(std::string_view word) {
  return HasTab(word) ? " (a tab separates no words)" : "";
}

std::string Plural(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

// The words of a number list, split as the schedule splits them.
std::vector<ShortString> ListWords(std::string_view list) {
  std::vector<ShortString> words;
  ShortString rest(list);
  while (!rest.empty()) {
    ShortString word = FirstWord(rest);
    if (!word.empty()) words.push_back(word);
    if (rest.view().find(' ') == std::string_view::npos) break;
    rest = AfterFirstWord(rest);
  }
  return words;
}

struct ScheduleFinding {
  std::string text;  // empty when the schedule reads as meant
  bool neverDue = false;
};

ScheduleFinding NeverDue(std::string text) { return {std::move(text), true}; }

// Why a schedule text is never due, or due on fewer days than it names.
ScheduleFinding ScheduleProblem(std::string_view text) {
  if (UpperText(text) == "DAILY") return {};
  if (text.empty()) return NeverDue("the schedule text is empty, which is never due");
  ShortString word = FirstWord(text);
  ShortString rest = AfterFirstWord(text);
  ShortString keyword = UpperText(word);
  if (keyword == "DAILY") {
    if (TrimLeadingBlanks(rest).empty())
      return NeverDue(Shown(text) + " has a trailing blank: only DAILY alone is due, so it is " +
                      "never due");
    return NeverDue("DAILY takes no list: " + Shown(text) + " is never due");
  }
  int low = 0, high = 0;
  const char* range = "";
  if (keyword == "WEEKLY") {
    low = 0, high = 6, range = "day of the week (0 = Sunday to 6 = Saturday)";
  } else if (keyword == "MONTHLY") {
    low = 1, high = 31, range = "day of the month (1 to 31)";
  } else if (keyword != "YEARLY") {
    return NeverDue(Shown(word) + " is no schedule word (DAILY, WEEKLY, MONTHLY or YEARLY)" +
                    TabNote(word) + ", so it is never due");
  }
  if (word == rest) return {};  // no list: the default day
  std::vector<ShortString> words = ListWords(rest);
  if (words.empty())
    return NeverDue(Shown(text) + " has a trailing blank: that is an empty list, never due, " +
                    "not even on the default day of " + word.str());
  ScheduleFinding finding;
  std::size_t matching = 0;
  for (const ShortString& item : words) {
    int errorPos = 0;
    std::int32_t number = TextToNumber(item, errorPos);
    std::string problem;
    if (errorPos != 0) {
      problem = "list word " + Shown(item) + " is no number";
      if (item.view().find(',') != std::string_view::npos)
        problem += " (a comma separates nothing)";
      problem += TabNote(item) + " and matches nothing";
    } else if (high != 0 && (number < low || number > high)) {
      problem = "list number " + item.str() + " is not a " + range + " and never matches";
    } else {
      ++matching;
      continue;
    }
    finding.text += (finding.text.empty() ? "" : "; ") + problem;
  }
  if (!finding.text.empty() && matching == 0) {
    finding.text += ", so " + Shown(text) + " is never due";
    finding.neverDue = true;
  }
  return finding;
}

// A keyword hidden by a tab: the first word holds a tab, and what stands
// before it is a keyword. Returns that keyword, or empty.
std::string TabbedKeyword(std::string_view line) {
  ShortString word = FirstWord(line);
  if (!HasTab(word)) return {};
  std::string_view view = word.view();
  std::size_t start = view.find_first_not_of('\t');
  if (start == std::string_view::npos) return {};
  std::size_t end = view.find('\t', start);
  ShortString candidate = UpperText(view.substr(start, end - start));
  return IsKeyword(candidate) ? candidate.str() : std::string();
}

// A line that reads as END to a human but is not exactly END.
bool LooksLikeEnd(std::string_view line) {
  std::size_t start = 0;
  while (start < line.size() && IsBlankOrTab(line[start])) ++start;
  std::size_t end = start;
  while (end < line.size() && !IsBlankOrTab(line[end])) ++end;
  return SameUpper(line.substr(start, end - start), "END");
}

std::string EndProblem(std::string_view line) {
  if (!line.empty() && IsBlank(line.front())) return "has a leading blank";
  if (HasTab(line)) return "holds a tab";
  if (TrimLeadingBlanks(line).view().find_first_not_of(' ', 3) == std::string_view::npos)
    return "has a trailing blank";
  return "has more text after END";
}

// Macro-like words of a template that the expansion will not take as meant.
std::vector<std::string> MacroProblems(std::string_view text, const std::string_view* names,
                                       std::size_t nameCount, bool description) {
  std::vector<std::string> problems;
  for (std::size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', at + 1)) {
    std::size_t end = at + 1;
    while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end]))) ++end;
    if (end == at + 1) continue;
    std::string_view token = text.substr(at, end - at);
    ShortString upper = UpperText(token);
    std::string_view longest;
    for (std::size_t i = 0; i < nameCount; ++i)
      if (upper.view().substr(0, names[i].size()) == names[i] && names[i].size() > longest.size())
        longest = names[i];
    if (longest.size() == token.size()) continue;
    if (!longest.empty()) {
      problems.push_back(Shown(token) + " is read as the macro " +
                         Shown(token.substr(0, longest.size())) + " followed by " +
                         Shown(token.substr(longest.size())) +
                         ", which stays glued to the value put in");
      continue;
    }
    bool commandMacro = false;
    for (std::string_view name : kCommandMacros)
      if (upper.view().substr(0, name.size()) == name) commandMacro = true;
    if (description && commandMacro) {
      problems.push_back(Shown(token) +
                         " is not replaced in APPENDDESC (only @Desc and the escapes are): " +
                         "it reaches the command as written");
    } else {
      problems.push_back(Shown(token) + " is no macro: it reaches the command as written");
    }
  }
  return problems;
}

std::size_t QuoteCount(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) count += c == '"';
  return count;
}

// One DIRECTORY or FILE entry text, word by word, as its author meant it:
// the mask, option words, and the values of -DESC and -OPTION.
struct EntryReading {
  struct Span {
    std::size_t begin, end;
    std::string what;
  };
  std::array<bool, kFlags.size()> flagWord{};
  std::array<bool, kValueOptions.size()> valueSeen{};
  std::array<std::string, kValueOptions.size()> value;
  std::string unclosedValue;  // the option whose quoted value is never closed
  std::vector<Span> spans;    // the mask and the values, for saying where a name hides
  std::vector<std::string> problems;
};

EntryReading ReadEntry(std::string_view entry) {
  EntryReading reading;
  std::size_t pos = 0;
  auto skipBlanks = [&] {
    while (pos < entry.size() && IsBlank(entry[pos])) ++pos;
  };
  auto takeWord = [&] {
    std::size_t start = pos;
    while (pos < entry.size() && !IsBlank(entry[pos])) ++pos;
    return entry.substr(start, pos - start);
  };
  skipBlanks();
  std::size_t maskStart = pos;
  takeWord();
  reading.spans.push_back({maskStart, pos, "the mask"});
  std::string lastUnquoted;  // an option whose one-word value was just taken
  for (;;) {
    skipBlanks();
    if (pos >= entry.size()) break;
    std::string_view word = takeWord();
    ShortString upper = UpperText(word);
    bool handled = false;
    for (std::size_t i = 0; i < kFlags.size(); ++i) {
      if (upper == kFlags[i].name) reading.flagWord[i] = handled = true;
    }
    if (handled) {
      lastUnquoted.clear();
      continue;
    }
    for (std::size_t i = 0; i < kValueOptions.size() && !handled; ++i) {
      std::string_view name = kValueOptions[i];
      if (upper == name) {
        handled = true;
        bool repeated = reading.valueSeen[i];
        skipBlanks();
        if (pos >= entry.size()) {
          if (!repeated)
            reading.problems.push_back(std::string(name) +
                                       " has nothing behind it: its value stays empty");
          break;
        }
        std::size_t start = pos;
        std::string_view value;
        lastUnquoted.clear();
        if (entry[pos] == '"') {
          std::size_t close = entry.find('"', pos + 1);
          if (close == std::string_view::npos) {
            if (!repeated) reading.unclosedValue = name;
            value = entry.substr(pos + 1);
            pos = entry.size();
          } else {
            value = entry.substr(pos + 1, close - pos - 1);
            pos = close + 1;
          }
        } else {
          value = takeWord();
          lastUnquoted = name;
        }
        reading.spans.push_back({start, pos, "the " + std::string(name) + " value"});
        if (repeated) {
          reading.problems.push_back("the second " + std::string(name) + " (" + Shown(value) +
                                     ") is ignored: the first one counts");
        } else {
          reading.valueSeen[i] = true;
          reading.value[i] = std::string(value);
        }
      } else if (upper.view().substr(0, name.size()) == name) {
        handled = true;
        lastUnquoted.clear();
        reading.problems.push_back(Shown(word) + " is not read as " + std::string(name) +
                                   ": an option must stand as a word of its own, with its " +
                                   "value after a blank");
      }
    }
    if (handled) continue;
    bool holdsFlag = false;
    for (const Flag& flag : kFlags)
      if (upper.view().find(flag.name) != std::string_view::npos) holdsFlag = true;
    if (!holdsFlag) {
      if (word.front() == '-') {
        reading.problems.push_back(Shown(word) +
                                   " is no option and is ignored (the options are -STAY, -DELETE, "
                                   "-ANYSIZE, -ANYCOUNT, -HIDDEN, -DESC and -OPTION)");
      } else {
        std::string problem = Shown(word) + " is neither the mask nor an option and is ignored";
        if (!lastUnquoted.empty())
          problem += " (without double quotes " + lastUnquoted + " takes one word only)";
        reading.problems.push_back(problem);
      }
    }
    lastUnquoted.clear();
  }
  return reading;
}

class Checker {
 public:
  Checker(std::string_view configName, TextFile& out) : name_(configName), out_(out) {}

  int Run() {
    if (name_.empty()) {
      // An empty name would read standard input; the run refuses it too.
      Report(0, "no configuration file is named: a run cannot open it and works no area");
      return Finish();
    }
    BindFile(config_, name_);
    OpenRead(config_);
    std::int32_t code = TakeIoError();
    if (code != 0) {
      Report(0, "cannot be opened for reading (" + ErrorText(code, name_).str() +
                    "): a run works no area");
      return Finish();
    }
    while (NextLine()) TopLevelLine();
    CloseText(config_);
    TakeIoError();
    return Finish();
  }

 private:
  int Finish() {
    if (findings_ == 0) {
      WriteLine(out_, "no findings");
    } else {
      WriteLine(out_, Plural(findings_, "finding", "findings"));
    }
    return findings_;
  }

  void Report(long line, const std::string& text) {
    WriteLine(out_, name_ + ":" + std::to_string(line) + ": " + text);
    ++findings_;
  }
  void Report(const std::string& text) { Report(lineNo_, text); }

  // The next line as the run reads it; false at the end of what it reads.
  bool NextLine() {
    if (ended_) return false;
    if (AtEnd(config_)) {
      ended_ = true;
      std::int32_t code = TakeIoError();
      if (code != 0) {
        Report(lineNo_ + 1, "reading fails here (error " + std::to_string(code) +
                                "): a run ends with a runtime error and changes nothing");
      } else {
        CheckCtrlZ();
      }
      return false;
    }
    ReadLine(config_, line_, &whole_);
    ++lineNo_;
    if (whole_.size() > line_.size())
      Report("the line holds " + std::to_string(whole_.size()) +
             " characters: only the first 255 are read, so " +
             Shown(std::string_view(whole_).substr(line_.size()), 30) +
             " and all after it have no effect (the line is written back whole)");
    return true;
  }

  // The run stops reading at a Ctrl-Z byte; whatever stands behind it is
  // never read, and the rewritten configuration leaves it out. When AtEnd
  // stopped at one, the read-ahead still holds it: step over it to see what
  // would be lost. A Ctrl-Z followed by nothing but blank lines loses nothing.
  void CheckCtrlZ() {
    TextFile& file = config_;
    if (file.inputPos >= file.input.size()) return;  // the true end
    bool midLine = file.inputPos > 0 && file.input[file.inputPos - 1] != '\n';
    long at = midLine || lineNo_ == 0 ? std::max(lineNo_, 1L) : lineNo_ + 1;
    std::size_t lines = 0;
    bool text = false;
    ShortString line;
    std::string whole;
    for (;;) {
      if (AtEnd(file)) {
        if (file.inputPos >= file.input.size()) break;
        ++file.inputPos;  // pass over the Ctrl-Z itself
        continue;
      }
      ReadLine(file, line, &whole);
      ++lines;
      if (whole.find_first_not_of(' ') != std::string::npos) text = true;
    }
    TakeIoError();
    if (!text) return;
    // The first line read holds what stood behind the Ctrl-Z on its own line.
    Report(at,
           "a Ctrl-Z byte (0x1A) ends the configuration here: a run reads nothing after it, "
           "and its rewrite leaves out the rest of this line and the " +
               Plural(lines - 1, "line", "lines") + " after it");
  }

  void TopLevelLine() {
    std::string_view keyword = FirstWordView(line_);
    if (ReportTabbedKeyword()) return;
    if (SameUpper(keyword, "POSTPROG")) {
      PostProgLine();
    } else if (SameUpper(keyword, "APPENDDESC")) {
      AppendDescLine();
    } else if (SameUpper(keyword, "AREA")) {
      AreaBlock();
    } else if (SameUpper(keyword, "END")) {
      Report("END outside an area block ends nothing: it is copied as a remark");
    } else if (SameUpper(keyword, "SKIP")) {
      Report(
          "a Skip line outside an area block belongs to no area: it keeps no file from "
          "being hatched");
    } else if (SameUpper(keyword, "DIRECTORY") || SameUpper(keyword, "FILE") ||
               SameUpper(keyword, "SIZE") || SameUpper(keyword, "COUNT") ||
               SameUpper(keyword, "WHEN")) {
      Report(UpperText(keyword).str() +
             " outside an area block has no effect: it is copied as a remark");
    }
  }

  bool ReportTabbedKeyword() {
    std::string keyword = TabbedKeyword(line_);
    if (keyword.empty()) return false;
    Report("a tab separates no words, so the first word is " + Shown(FirstWord(line_)) +
           ", not the keyword " + keyword + ": the line is copied as a remark and does nothing");
    return true;
  }

  void PostProgLine() {
    ShortString value = AfterFirstWord(line_);
    postProgSet_ = true;
    if (TrimLeadingBlanks(line_).view().find(' ') == std::string_view::npos) {
      Report(
          "POSTPROG has no command: the template is the word POSTPROG itself, so every "
          "hand-over runs a program of that name in the working directory");
      return;
    }
    CheckProgram(FirstWord(ExpandTemplate(value.view(), "", "")));
    ShortString upper = UpperText(value);
    if (upper.view().find("\"@FILE") != std::string_view::npos)
      Report(
          "@File stands in double quotes: a path holding a blank is quoted already, and the "
          "doubled quotes split it into several parameters");
    if (upper.view().find("@FILE") == std::string_view::npos)
      Report(
          "the command template has no @File: the post program is never told which file "
          "to hand over");
    for (const std::string& problem :
         MacroProblems(value, kCommandMacros.data(), kCommandMacros.size(), false))
      Report(problem);
    if (QuoteCount(value) % 2 != 0)
      Report(
          "the command template holds an unclosed double quote: the post program receives "
          "everything after it as one parameter");
  }

  void CheckProgram(const ShortString& program) {
    if (program.empty() || program.view().find('@') != std::string_view::npos) return;
    std::error_code error;
    std::filesystem::path path(program.str());
    std::filesystem::file_status status = std::filesystem::status(path, error);
    std::string fails = ": every hand-over fails to start";
    if (!std::filesystem::exists(status)) {
      std::string where;
      if (DirectoryPart(program).empty())
        where = " in the working directory (programs are not looked up along PATH)";
      Report("the post program " + Shown(program) + " does not exist" + where + fails);
    } else if (std::filesystem::is_directory(status)) {
      Report("the post program " + Shown(program) + " is a directory" + fails);
    } else if (platform::CheckRunnable(program.str()) != 0) {
      Report("the post program " + Shown(program) + " is not executable" + fails);
    }
  }

  void AppendDescLine() {
    ShortString value = AfterFirstWord(line_);
    if (TrimLeadingBlanks(line_).view().find(' ') == std::string_view::npos) {
      Report("APPENDDESC has no template: @AppDesc then receives the word APPENDDESC itself");
      return;
    }
    for (const std::string& problem :
         MacroProblems(value, kDescriptionMacros.data(), kDescriptionMacros.size(), true))
      Report(problem);
    if (QuoteCount(value) % 2 != 0)
      Report(
          "the description template holds an unclosed double quote: the post program "
          "receives everything after it as one parameter");
  }

  // From the AREA line to the block's END line, read as the area block does.
  void AreaBlock() {
    ShortString areaText = AfterFirstWord(line_);
    ShortString area = FirstWord(areaText);
    long areaLine = lineNo_;
    CheckAreaLine(areaText, area);
    std::string label = "the block of area " + (area.empty() ? std::string("''") : area.str());
    for (;;) {
      if (!NextLine()) {
        Report(areaLine, label +
                             " has no END line: it runs to the end of the file, and every "
                             "line below, AREA lines included, belongs to it");
        return;
      }
      if (SameUpper(line_, "END")) return;
      if (LooksLikeEnd(line_)) {
        Report(Shown(line_) + " " + EndProblem(line_) + ": it does not end " + label +
               "; only a line that is exactly END (in any case) does, so the block runs on "
               "to the next such line");
        continue;
      }
      if (ReportTabbedKeyword()) continue;
      std::string_view keyword = FirstWordView(line_);
      if (SameUpper(keyword, "SIZE") || SameUpper(keyword, "COUNT")) {
        LimitLine(UpperText(keyword).str());
      } else if (SameUpper(keyword, "WHEN")) {
        WhenLine(label);
      } else if (SameUpper(keyword, "DIRECTORY") || SameUpper(keyword, "FILE")) {
        EntryLine(UpperText(keyword).str());
      } else if (SameUpper(keyword, "POSTPROG") || SameUpper(keyword, "APPENDDESC")) {
        Report(UpperText(keyword).str() + " inside " + label +
               " has no effect: it is copied as a remark and changes no template");
      } else if (SameUpper(keyword, "AREA")) {
        Report("an AREA line inside " + label + " (opened at line " + std::to_string(areaLine) +
               ") opens no block: it is copied as a remark, and the lines below still belong "
               "to " +
               area.str() + " up to its END line");
      }
    }
  }

  void CheckAreaLine(const ShortString& areaText, const ShortString& area) {
    std::string worked =
        "; the block is worked only with '-AREA " + area.str() + "' or below a due WHEN line";
    if (area.empty()) {
      Report(
          "the AREA line has no area name: a nameless area matches the empty area filter, so "
          "every run without -AREA works it, whatever its schedule");
    } else if (TrimLeadingBlanks(line_).view().find(' ') == std::string_view::npos) {
      Report(
          "AREA has no name and no schedule: the area is named AREA and its schedule text "
          "is AREA, never due" +
          worked);
    } else if (area == AfterFirstWord(areaText)) {
      if (ScheduleProblem(area).text.empty()) {
        Report("area " + Shown(area) + " has no schedule: its name is taken as the schedule text");
      } else {
        Report("area " + Shown(area) + " has no schedule" + TabNote(area) +
               ": its schedule text is then the name itself, which is never due" + worked);
      }
    } else {
      ScheduleFinding problem = ScheduleProblem(AfterFirstWord(areaText));
      if (!problem.text.empty())
        Report("area " + Shown(area) + ": " + problem.text + (problem.neverDue ? worked : ""));
    }
    if (area.empty()) return;
    ShortString upper = UpperText(area);
    auto [it, added] = areaLines_.emplace(upper.str(), lineNo_);
    if (!added)
      Report("area name " + Shown(area) + " was used before, at line " +
             std::to_string(it->second) + ": '-AREA " + area.str() +
             "' works every block of that name");
  }

  void LimitLine(const std::string& keyword) {
    ShortString trimmed = TrimLeadingBlanks(line_);
    if (trimmed.view().find(' ') == std::string_view::npos) {
      Report(keyword + " alone has no value: the limit stays as it was");
      return;
    }
    std::int32_t limit = 0;
    ApplyLimitLine(line_, limit, keyword);
    ShortString value = ArgumentText(trimmed);
    int errorPos = 0;
    TextToNumber(value, errorPos);
    std::string unlimited = keyword == "SIZE"
                                ? "no limit on the bytes hatched in a run"
                                : "no limit, so every file found is hatched in one run";
    if (errorPos != 0) {
      std::string why = " is no number";
      int trimmedError = 0;
      std::string_view bare = value.view();
      while (!bare.empty() && bare.back() == ' ') bare.remove_suffix(1);
      TextToNumber(bare, trimmedError);
      if (value.empty()) {
        why = " is empty";
      } else if (trimmedError == 0 && bare.size() != value.size()) {
        why = " has a trailing blank";
      }
      Report(keyword + " value " + Shown(value) + why + TabNote(value) +
             ", so it reads as 0: " + unlimited);
    } else if (limit == 0) {
      Report(keyword + " 0 means " + unlimited);
    } else if (limit < 0) {
      Report(keyword + " " + std::to_string(limit) +
             " is negative: no file fits, so the block "
             "hatches nothing except from entries with -ANY" +
             keyword);
    }
  }

  void WhenLine(const std::string& label) {
    std::string off = "; the lines below it in " + label + " are not worked";
    if (TrimLeadingBlanks(line_).view().find(' ') == std::string_view::npos) {
      Report("WHEN alone takes the word WHEN as its schedule text, which is never due" + off);
      return;
    }
    ScheduleFinding problem = ScheduleProblem(AfterFirstWord(line_));
    if (!problem.text.empty()) Report("WHEN: " + problem.text + (problem.neverDue ? off : ""));
  }

  void EntryLine(const std::string& keyword) {
    bool directory = keyword == "DIRECTORY";
    ShortString entry = AfterFirstWord(line_);
    if (!postProgSet_ && !noPostProgReported_) {
      noPostProgReported_ = true;
      Report(
          "no POSTPROG line stands above this entry: its command is empty, so every "
          "hand-over fails to start");
    }
    if (TrimLeadingBlanks(line_).view().find(' ') == std::string_view::npos) {
      Report(keyword + " has no mask: the entry text is then the word " + keyword +
             " itself, so the search looks for a file of that name in the working directory");
      return;
    }
    ShortString mask = FirstWord(entry);
    if (mask.empty()) {
      Report(keyword + " has no mask: the search has nothing to look for and hatches nothing");
      return;
    }
    if (mask[0] == '-') {
      ShortString next = FirstWord(AfterFirstWord(entry));
      std::string text = Shown(mask) +
                         " stands before the mask: the first word is the mask, so the search "
                         "looks for a file named " +
                         Shown(mask);
      if (next != mask) text += " and " + Shown(next) + " is not searched";
      ShortString upperMask = UpperText(mask);
      for (const Flag& flag : kFlags)
        if (upperMask.view().find(flag.name) != std::string_view::npos)
          text += " (" + std::string(flag.name) + " still acts, found anywhere in the line)";
      Report(text + "; options must follow the mask");
      return;
    }
    if (HasTab(mask))
      Report("the mask " + Shown(mask) +
             " holds a tab, which separates no words: the search looks for names with a tab "
             "in them");
    EntryOptions options;
    ParseEntryOptions(entry, options);
    CheckMaskDirectory(keyword, mask, options);

    EntryReading reading = ReadEntry(entry);
    for (const std::string& problem : reading.problems) Report(problem);
    std::string_view entryView = entry.view();
    ShortString upperEntry = UpperText(entryView);
    for (std::size_t i = 0; i < kFlags.size(); ++i) {
      const Flag& flag = kFlags[i];
      if (!(options.*flag.field) || reading.flagWord[i]) continue;
      std::size_t at = upperEntry.view().find(flag.name);
      std::string where;
      for (const EntryReading::Span& span : reading.spans)
        if (at >= span.begin && at < span.end)
          where =
              " " + span.what + " " + Shown(entryView.substr(span.begin, span.end - span.begin));
      if (where.empty()) {
        std::size_t begin = entryView.rfind(' ', at);
        begin = begin == std::string_view::npos ? 0 : begin + 1;
        std::size_t end = entryView.find(' ', at);
        if (end == std::string_view::npos) end = entryView.size();
        where = " " + Shown(entryView.substr(begin, end - begin));
      }
      Report(std::string(flag.name) + " is found inside" + where +
             ": the option test looks for the name anywhere in the line, so " + flag.effect);
    }
    if (directory && options.hidden && reading.flagWord[4])
      Report("-HIDDEN has no effect on a DIRECTORY entry: hidden files are always searched");
    const ShortString* actual[] = {&options.desc, &options.option};
    for (std::size_t i = 0; i < kValueOptions.size(); ++i) {
      if (*actual[i] == reading.value[i]) continue;
      std::string text = std::string(kValueOptions[i]) + " is read as " + Shown(*actual[i]);
      if (reading.valueSeen[i]) text += ", not " + Shown(reading.value[i]);
      Report(text + ": the value search takes the first word " + std::string(kValueOptions[i]) +
             " of the line, also one inside double quotes");
    }
    if (QuoteCount(entryView) % 2 != 0) {
      if (!reading.unclosedValue.empty()) {
        Report("the double quote opening the " + reading.unclosedValue +
               " value is never closed: the value runs to the end of the line");
      } else {
        Report("the line holds an unmatched double quote");
      }
    }
    ShortString upperDesc = UpperText(options.desc);
    for (std::string_view name : kInertInDesc) {
      if (upperDesc.view().find(UpperText(name).view()) == std::string_view::npos) continue;
      Report("the -DESC text holds " + Shown(name) +
             ": text put in for a macro is never expanded again, so the post program receives " +
             "it as written");
      break;
    }
  }

  void CheckMaskDirectory(const std::string& keyword, const ShortString& mask,
                          const EntryOptions& options) {
    if (DirectoryPart(mask).empty()) return;
    SearchRecord record;
    SearchFirst(mask, kSearchFiles, record);
    std::int32_t status = OsStatus();
    SetOsStatus(0);
    if (status == 0 || status == platform::kFileNotFound || status == platform::kNoMoreFiles)
      return;
    std::string text =
        "the search for " + Shown(mask) + " fails (" + ErrorText(status, mask).str() + "): ";
    if (keyword == "DIRECTORY") {
      text += options.stay ? "nothing is hatched from it in any run"
                           : "nothing is hatched, and the run drops this line from the "
                             "configuration";
    } else if (options.hidden) {
      text += "with -HIDDEN the mask itself is handed over as the file";
    } else {
      text += "every run logs 'Error while searching for " + mask.str() +
              ", aborting...' and keeps the line";
    }
    Report(text);
  }

  std::string name_;
  TextFile& out_;
  TextFile config_;
  long lineNo_ = 0;
  ShortString line_;
  std::string whole_;
  bool ended_ = false;
  int findings_ = 0;
  bool postProgSet_ = false;
  bool noPostProgReported_ = false;
  std::map<std::string, long> areaLines_;  // upper-cased area name -> its AREA line
};

}  // namespace

int CheckConfiguration(std::string_view configName, TextFile& out) {
  Checker checker(configName, out);
  return checker.Run();
}

}  // namespace brimvel
