#include "config/config_check.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/config_line.h"
#include "config/schedule.h"
#include "hatch/entry_options.h"
#include "hatch/hatch_command.h"
#include "hatch/template_expansion.h"
#include "support/error_text.h"
#include "support/search.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

constexpr std::size_t npos = std::string_view::npos;

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
// How the macros are spelled in messages; the expansion itself decides what
// a template holds.
constexpr std::array<std::string_view, 5> kMacroNames = {"@File", "@Area", "@Option", "@AppDesc",
                                                         "@Desc"};

bool HasTab(std::string_view text) { return text.find('\t') != npos; }
bool OneWord(std::string_view text) { return TrimLeadingBlanks(text).view().find(' ') == npos; }

// A text as it appears in a message: in single quotes, tabs and other control
// bytes made visible, long texts shortened.
std::string Shown(std::string_view text, std::size_t limit = 60) {
  std::string shown = "'";
  for (char c : text.substr(0, limit)) {
    auto byte = static_cast<unsigned char>(c);
    char hex[8] = {c, 0};
    if (byte < 0x20 || byte == 0x7F) std::snprintf(hex, sizeof hex, "<0x%02X>", byte);
    shown += c == '\t' ? "<tab>" : hex;
  }
  return shown + (text.size() > limit ? "...'" : "'");
}

std::string TabNote(std::string_view word) {
  return HasTab(word) ? " (a tab separates no words)" : "";
}

std::string Plural(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = std::min(text.find(' ', at), text.size());
    if (end > at) words.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

std::size_t QuoteCount(std::string_view text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '"'));
}

// What the reader makes of a line that starts with this line's first word,
// whatever follows it: the keyword, if the word is one in that place.
LineKind KeywordKind(std::string_view text, bool inBlock) {
  std::string word(FirstWordView(text));
  ConfigLine probe;
  for (const std::string& candidate : {word, word + " 0"}) {
    probe.text = ShortString(candidate);
    probe.whole = probe.text.view();
    Classify(probe, inBlock);
    if (probe.kind != LineKind::kOther) break;
  }
  return probe.kind;
}

// A keyword hidden by a tab: the first word holds a tab, and what stands
// before it is a keyword. Returns that keyword, or empty.
std::string TabbedKeyword(std::string_view text) {
  std::string_view word = FirstWordView(text);
  std::size_t start = word.find_first_not_of('\t');
  if (!HasTab(word) || start == npos) return {};
  std::string_view candidate = word.substr(start, word.find('\t', start) - start);
  bool keyword = KeywordKind(candidate, true) != LineKind::kOther ||
                 KeywordKind(candidate, false) != LineKind::kOther;
  return keyword ? UpperText(candidate).str() : std::string();
}

// A line that reads as END to a human but is not exactly END.
bool LooksLikeEnd(std::string_view line) {
  std::size_t start = line.find_first_not_of(" \t");
  if (start == npos) return false;
  std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
  return SameUpper(line.substr(start, end - start), "END");
}

std::string EndProblem(std::string_view line) {
  if (line.front() == ' ') return "has a leading blank";
  if (HasTab(line)) return "holds a tab";
  if (line.find_first_not_of(' ', 3) == npos) return "has a trailing blank";
  return "has more text after END";
}

// Whether a schedule is due on any day at all. A leap year holds every day
// of the month and every day of the week; a YEARLY list is due on 1 January
// of the years it names.
bool EverDue(std::string_view schedule) {
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int month = 1; month <= 12; ++month)
    for (int day = 1; day <= kDays[month - 1]; ++day)
      if (ScheduleDue(schedule, DateParts{2024, month, day, DayOfWeek(2024, month, day)}))
        return true;
  const ShortString list = AfterFirstWord(schedule);  // the words below are views into it
  for (std::string_view word : Words(list)) {
    int errorPos = 0;
    std::int32_t year = TextToNumber(word, errorPos);
    if (errorPos == 0 && year > 0 &&
        ScheduleDue(schedule, DateParts{year, 1, 1, DayOfWeek(year, 1, 1)}))
      return true;
  }
  return false;
}

struct ScheduleFinding {
  std::string text;  // empty when the schedule reads as meant
  bool neverDue = false;
};

// Why a schedule text is never due, or due on fewer days than it names.
ScheduleFinding ScheduleProblem(std::string_view text) {
  if (UpperText(text) == "DAILY") return {};
  if (text.empty()) return {"the schedule text is empty, which is never due", true};
  ShortString word = FirstWord(text);
  ShortString rest = AfterFirstWord(text);
  ShortString keyword = UpperText(word);
  if (keyword == "DAILY" && TrimLeadingBlanks(rest).empty())
    return {Shown(text) + " has a trailing blank: only DAILY alone is due, so it is never due",
            true};
  if (keyword == "DAILY") return {"DAILY takes no list: " + Shown(text) + " is never due", true};
  if (!EverDue(word))
    return {Shown(word) + " is no schedule word (DAILY, WEEKLY, MONTHLY or YEARLY)" +
                TabNote(word) + ", so it is never due",
            true};
  if (word == rest) return {};  // no list: the default day
  std::vector<std::string_view> words = Words(rest);
  if (words.empty())
    return {Shown(text) + " has a trailing blank: that is an empty list, never due, " +
                "not even on the default day of " + word.str(),
            true};
  const char* range = keyword == "WEEKLY"    ? "day of the week (0 = Sunday to 6 = Saturday)"
                      : keyword == "MONTHLY" ? "day of the month (1 to 31)"
                                             : "year";
  std::string found;
  for (std::string_view item : words) {
    int errorPos = 0;
    TextToNumber(item, errorPos);
    std::string problem;
    if (errorPos != 0) {
      problem = "list word " + Shown(item) + " is no number" +
                (item.find(',') != npos ? " (a comma separates nothing)" : "") + TabNote(item) +
                " and matches nothing";
    } else if (!EverDue(keyword.str() + " " + std::string(item))) {
      problem = "list number " + std::string(item) + " is not a " + range + " and never matches";
    }
    if (!problem.empty()) found += (found.empty() ? "" : "; ") + problem;
  }
  if (EverDue(text)) return {found, false};
  return {found + (found.empty() ? "" : ", so ") + Shown(text) + " is never due", true};
}

// A command for a template with every macro's value marked, so that what the
// expansion replaced can be seen.
std::string MarkedCommand(std::string_view postProg) {
  HatchSettings settings{ShortString(postProg), ShortString("\x05"), false};
  AreaRecord area;
  area.name = ShortString("\x02");
  EntryOptions options;
  options.desc = ShortString("\x03");
  options.option = ShortString("\x04");
  return BuildCommand(settings, "\x01", area, options).str();
}

// The macro a template token starts with, as written, judged by what the
// expansion made of it: empty when none, the whole token when it is one.
std::string_view MacroAt(std::string_view token, const std::string& expanded) {
  if (expanded == token) return {};
  std::size_t same = 0;  // the tail that came through unchanged
  while (same < token.size() && same < expanded.size() &&
         token[token.size() - 1 - same] == expanded[expanded.size() - 1 - same])
    ++same;
  return token.substr(0, token.size() - same);
}

// Shell syntax in a command template: the program is started directly, so
// none of it means what it would at a prompt.
std::vector<std::string_view> ShellWords(std::string_view templateText) {
  std::vector<std::string_view> found;
  for (std::string_view word : Words(templateText)) {
    bool shell = word.front() == '~' || word == "&" || word.find_first_of("|<>;`") != npos ||
                 word.find("&&") != npos;
    for (std::size_t at = word.find('$'); !shell && at != npos; at = word.find('$', at + 1)) {
      char next = at + 1 < word.size() ? word[at + 1] : ' ';
      shell = next == '{' || next == '(' || next == '_' ||
              std::isalpha(static_cast<unsigned char>(next)) != 0;
    }
    if (shell) found.push_back(word);
  }
  return found;
}

// An entry text read as its author meant it (the mask, then option words,
// -DESC and -OPTION each taking a word or a quoted text), against what a run
// reads: what differs is a trap.
std::vector<std::string> EntryProblems(std::string_view entry, const EntryOptions& options,
                                       bool directory) {
  struct Item {
    std::size_t begin, end;
    std::string label;  // "the mask", "the -DESC value", or empty
  };
  std::vector<Item> items;
  for (std::size_t at = entry.find_first_not_of(' '); at != npos;
       at = entry.find_first_not_of(' ', at)) {
    bool quoted = entry[at] == '"' && !items.empty();
    std::size_t end = entry.find(quoted ? '"' : ' ', at + 1);
    end = end == npos ? entry.size() : end + (quoted ? 1 : 0);
    items.push_back({at, end, items.empty() ? "the mask" : ""});
    at = end;
  }
  auto text = [&](const Item& item) { return entry.substr(item.begin, item.end - item.begin); };
  std::vector<std::string> problems;
  std::array<bool, kFlags.size()> flagWord{};
  std::array<std::optional<std::string>, kValueOptions.size()> value;
  std::string unclosed, lastUnquoted;  // an option whose one-word value was just taken
  for (std::size_t i = 1; i < items.size(); ++i) {
    std::string_view word = text(items[i]);
    ShortString upper = UpperText(word);
    std::string unquoted;
    bool known = false;
    for (std::size_t f = 0; f < kFlags.size(); ++f)
      if (upper == kFlags[f].name) flagWord[f] = known = true;
    for (std::size_t k = 0; k < kValueOptions.size() && !known; ++k) {
      std::string name(kValueOptions[k]);
      if (upper.view().substr(0, name.size()) != name) continue;
      known = true;
      if (upper != name) {
        problems.push_back(Shown(word) + " is not read as " + name +
                           ": an option must stand as a word of its own, with its value after "
                           "a blank");
      } else if (i + 1 < items.size() && !value[k]) {
        std::string_view given = text(items[++i]);
        items[i].label = "the " + name + " value";
        bool closed = given.size() > 1 && given.back() == '"';
        if (given.front() != '"') {
          unquoted = name;
        } else {
          if (!closed) unclosed = name;
          given = given.substr(1, given.size() - (closed ? 2 : 1));
        }
        value[k] = std::string(given);
      }
    }
    for (const Flag& flag : kFlags) known = known || upper.view().find(flag.name) != npos;
    if (!known && word.front() == '-') {
      problems.push_back(Shown(word) +
                         " is no option and is ignored (the options are -STAY, -DELETE, "
                         "-ANYSIZE, -ANYCOUNT, -HIDDEN, -DESC and -OPTION)");
    } else if (!known) {
      problems.push_back(Shown(word) + " is neither the mask nor an option and is ignored" +
                         (lastUnquoted.empty() ? std::string()
                                               : " (without double quotes " + lastUnquoted +
                                                     " takes one word only)"));
    }
    lastUnquoted = unquoted;
  }
  ShortString upperEntry = UpperText(entry);
  for (std::size_t f = 0; f < kFlags.size(); ++f) {
    if (!(options.*kFlags[f].field) || flagWord[f]) continue;
    std::size_t at = upperEntry.view().find(kFlags[f].name);
    for (const Item& item : items)
      if (at >= item.begin && at < item.end)
        problems.push_back(std::string(kFlags[f].name) + " is found inside " + item.label +
                           (item.label.empty() ? "" : " ") + Shown(text(item)) +
                           ": the option test looks for the name anywhere in the line, so " +
                           kFlags[f].effect);
  }
  if (directory && flagWord[4])  // -HIDDEN
    problems.push_back(
        "-HIDDEN has no effect on a DIRECTORY entry: hidden files are always searched");
  const ShortString* actual[] = {&options.desc, &options.option};
  for (std::size_t k = 0; k < kValueOptions.size(); ++k) {
    if (*actual[k] == value[k].value_or("")) continue;
    problems.push_back(std::string(kValueOptions[k]) + " is read as " + Shown(*actual[k]) +
                       (value[k] ? ", not " + Shown(*value[k]) : std::string()) +
                       ": the value search takes the first word " + std::string(kValueOptions[k]) +
                       " of the line, also one inside double quotes");
  }
  if (QuoteCount(entry) % 2 != 0)
    problems.push_back(unclosed.empty()
                           ? std::string("the line holds an unmatched double quote")
                           : "the double quote opening the " + unclosed +
                                 " value is never closed: the value runs to the end of the line");
  ShortString upperDesc = UpperText(options.desc);
  for (std::string_view name : kMacroNames) {
    if (upperDesc.view().find(UpperText(name).view()) == npos) continue;
    problems.push_back("the -DESC text holds " + Shown(name) +
                       ": text put in for a macro is never expanded again, so the post program "
                       "receives it as written");
    break;
  }
  return problems;
}

class Checker {
 public:
  Checker(FileSystem& fs, ProcessRunner& runner, const std::string& configName, TextFile& out)
      : fs_(fs), runner_(runner), name_(configName), out_(out) {
    std::string_view directory = DirectoryPart(name_, fs_.DirectorySeparators());
    if (directory.size() != 2 || directory[0] != '.') configDirectory_ = directory;
  }

  int Run() {
    TextFile config(fs_, name_);
    if (name_.empty()) {
      // A run cannot open a configuration without a name either.
      Report(0, "no configuration file is named: a run cannot open it and works no area");
    } else if (int code = config.OpenRead(); code != 0) {
      Report(0, "cannot be opened for reading (" + ErrorText(code, name_).str() +
                    "): a run works no area");
    } else {
      ReadAll(config);
    }
    out_.WriteLine(findings_ == 0
                       ? std::string("no findings")
                       : Plural(static_cast<std::size_t>(findings_), "finding", "findings"));
    return findings_;
  }

 private:
  void Report(std::int32_t line, const std::string& text) {
    out_.WriteLine(name_ + ":" + std::to_string(line) + ": " + text);
    ++findings_;
  }
  void Report(const std::string& text) { Report(lineNo_, text); }

  std::string BlockLabel() const {
    return "the block of area " + (areaName_.empty() ? std::string("''") : areaName_);
  }

  void ReadAll(TextFile& config) {
    ConfigReader reader(config);
    ConfigLine line;
    bool lineOpen = false;  // the last line ended at a Ctrl-Z, not at a line feed
    for (;;) {
      bool inBlock = reader.inBlock();
      std::int64_t start = reader.Tell();
      if (!reader.Next(line)) break;
      lineNo_ = line.number;
      lineOpen = reader.Tell() - start == static_cast<std::int64_t>(line.whole.size());
      std::string_view text = line.text.view();
      if (line.byteOrderMark) {
        text.remove_prefix(3);
        Report(
            "the file begins with a UTF-8 byte-order mark: a run passes over it when it reads "
            "the words of this line, and writes it back unchanged");
      }
      if (line.whole.size() > line.text.size())
        Report("the line holds " + std::to_string(line.whole.size()) +
               " characters: only the first 255 are read, so " +
               Shown(line.whole.substr(line.text.size()), 30) +
               " and all after it have no effect (the line is written back whole)");
      CheckLine(line, text, inBlock);
    }
    if (int code = config.error(); code != 0) {
      Report(lineNo_ + 1, "reading fails here (error " + std::to_string(code) +
                              "): a run ends with a runtime error and changes nothing");
    } else if (config.PassCtrlZ()) {
      CtrlZ(config, lineOpen || lineNo_ == 0 ? std::max(lineNo_, 1) : lineNo_ + 1);
    }
    if (reader.inBlock())
      Report(areaLine_, BlockLabel() +
                            " has no END line: it runs to the end of the file, and every line "
                            "below, AREA lines included, belongs to it");
  }

  // A run stops reading at a Ctrl-Z byte, and its rewrite leaves out what
  // stands behind it; only blank lines there lose nothing.
  void CtrlZ(TextFile& config, std::int32_t at) {
    std::size_t lines = 0;
    bool text = false;
    ShortString part;
    std::string scratch;
    while (!config.AtEnd() || config.PassCtrlZ()) {
      if (config.AtEnd()) continue;  // another Ctrl-Z was passed
      std::string_view whole = config.ReadLine(part, scratch);
      ++lines;
      text = text || whole.find_first_not_of(' ') != npos;
    }
    // The first line read holds what stood behind the Ctrl-Z on its own line.
    if (text)
      Report(at,
             "a Ctrl-Z byte (0x1A) ends the configuration here: a run reads nothing after it, "
             "and its rewrite leaves out the rest of this line and the " +
                 Plural(lines - 1, "line", "lines") + " after it");
  }

  void CheckLine(const ConfigLine& line, std::string_view text, bool inBlock) {
    switch (line.kind) {
      case LineKind::kPostProg:
        return PostProgLine(line);
      case LineKind::kAppendDesc:
        return CheckTokens(line.argument, true);
      case LineKind::kArea:
        return AreaLine(line, text);
      case LineKind::kSize:
      case LineKind::kCount:
        return LimitLine(line, text);
      case LineKind::kWhen:
        return WhenLine(line, text);
      case LineKind::kDirectory:
      case LineKind::kFile:
        return EntryLine(line, text);
      case LineKind::kOther:
        break;
      default:
        return;
    }
    if (inBlock && LooksLikeEnd(text))
      return Report(Shown(text) + " " + EndProblem(text) + ": it does not end " + BlockLabel() +
                    "; only a line that is exactly END (in any case) does, so the block runs on "
                    "to the next such line");
    if (std::string hidden = TabbedKeyword(text); !hidden.empty())
      return Report("a tab separates no words, so the first word is " + Shown(FirstWord(text)) +
                    ", not the keyword " + hidden +
                    ": the line is copied as a remark and does nothing");
    // A keyword out of its place is a remark.
    std::string keyword = UpperText(FirstWordView(text)).str();
    LineKind elsewhere = KeywordKind(text, !inBlock);
    LineKind alone = KeywordKind(text, true);
    if (!inBlock && elsewhere == LineKind::kEnd) {
      Report("END outside an area block ends nothing: it is copied as a remark");
    } else if (!inBlock && elsewhere == LineKind::kSkip) {
      Report(
          "a Skip line outside an area block belongs to no area: it keeps no file from being "
          "hatched");
    } else if (!inBlock && elsewhere != LineKind::kOther) {
      Report(keyword + " outside an area block has no effect: it is copied as a remark");
    } else if (elsewhere == LineKind::kPostProg || elsewhere == LineKind::kAppendDesc) {
      Report(keyword + " inside " + BlockLabel() +
             " has no effect: it is copied as a remark and changes no template");
    } else if (elsewhere == LineKind::kArea) {
      Report("an AREA line inside " + BlockLabel() + " (opened at line " +
             std::to_string(areaLine_) +
             ") opens no block: it is copied as a remark, and the lines below still belong "
             "to " +
             areaName_ + " up to its END line");
    } else if (inBlock && (alone == LineKind::kSize || alone == LineKind::kCount)) {
      Report(keyword + " alone has no value: the limit stays as it was");
    }
  }

  // A configuration elsewhere than the working directory: its relative paths
  // still start from the working directory.
  void CheckRelative(const std::string& what, std::string_view path) {
    bool absolute =
        fs_.DirectorySeparators().find(path.front()) != npos || (path.size() > 1 && path[1] == ':');
    if (!configDirectory_.empty() && !absolute)
      Report(what + Shown(path) + " is relative: a run looks for it from the working " +
             "directory, not from " + Shown(configDirectory_) + " where the configuration is");
  }

  // Whether a path without wildcards names a directory: its search finds
  // only entries that a search for files leaves out.
  bool NamesDirectory(std::string_view path) {
    std::vector<FoundEntry> found;
    std::string_view name = path.substr(DirectoryPart(path, fs_.DirectorySeparators()).size());
    if (name.empty()) return fs_.List(std::string(path), found) == 0;
    return name.find_first_of("*?") == npos &&
           FindFiles(fs_, path, kSearchFiles, found) == kNoMoreFiles;
  }

  void PostProgLine(const ConfigLine& line) {
    const ShortString& value = line.argument;
    postProgSet_ = true;
    std::vector<std::string_view> shell = ShellWords(value);
    std::string list;
    for (std::string_view word : shell) list += (list.empty() ? "" : ", ") + Shown(word);
    if (!shell.empty())
      Report("shell syntax in the command template (" + list +
             "): the post program is started directly, not by a shell, so nothing expands, "
             "redirects or chains it and it reaches the program as written");
    std::string program = FirstWord(ExpandTemplate(value.view(), "", "")).str();
    bool shellProgram = std::find(shell.begin(), shell.end(), FirstWordView(value)) != shell.end();
    if (!shellProgram && program.find('@') == npos) CheckProgram(program);
    std::string marked = MarkedCommand(value);
    if (marked.find("\"\x01") != npos)
      Report(
          "@File stands in double quotes: a path holding a blank is quoted already, and the "
          "doubled quotes split it into several parameters");
    if (marked.find('\x01') == npos)
      Report(
          "the command template has no @File: the post program is never told which file "
          "to hand over");
    CheckTokens(value, false);
  }

  void CheckProgram(const std::string& program) {
    CheckRelative("the post program ", program);
    std::string fails = ": every hand-over fails to start";
    FoundEntry entry;
    if (NamesDirectory(program))
      return Report("the post program " + Shown(program) + " is a directory" + fails);
    if (fs_.Describe(program, entry) != 0)
      return Report("the post program " + Shown(program) + " does not exist" +
                    (DirectoryPart(program, fs_.DirectorySeparators()).empty()
                         ? " in the working directory (programs are not looked up along PATH)"
                         : "") +
                    fails);
    if (runner_.CheckRunnable(program) != 0)
      return Report("the post program " + Shown(program) + " is not executable" + fails);
    // A script saved with CR LF line ends names an interpreter whose name
    // ends in a CR, which the system cannot find.
    TextFile script(fs_, program);
    ShortString first;
    std::string scratch;
    if (script.OpenRead() == 0 && script.ReadLine(first, scratch).substr(0, 2) == "#!" &&
        script.LineEndRead() == "\r\n")
      Report("the post program " + Shown(program) +
             " is a script whose first line ends in a carriage return (CR LF line ends): the "
             "system finds no interpreter of that name, and every hand-over fails to start "
             "('not found')");
  }

  // Macro-like words of a template that the expansion will not take as
  // meant. APPENDDESC replaces only @Desc and the escapes.
  void CheckTokens(std::string_view text, bool description) {
    for (std::size_t at = text.find('@'); at != npos; at = text.find('@', at + 1)) {
      std::size_t end = at + 1;
      while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end]))) ++end;
      std::string_view token = text.substr(at, end - at);
      std::string_view macro = description
                                   ? MacroAt(token, ExpandTemplate(token, "\x03", "@Desc").str())
                                   : MacroAt(token, MarkedCommand(token));
      if (token.size() == 1 || macro.size() == token.size()) continue;
      if (!macro.empty()) {
        Report(Shown(token) + " is read as the macro " + Shown(macro) + " followed by " +
               Shown(token.substr(macro.size())) + ", which stays glued to the value put in");
      } else if (description && !MacroAt(token, MarkedCommand(token)).empty()) {
        Report(Shown(token) +
               " is not replaced in APPENDDESC (only @Desc and the escapes are): it reaches the "
               "command as written");
      } else {
        Report(Shown(token) + " is no macro: it reaches the command as written");
      }
    }
    if (QuoteCount(text) % 2 != 0)
      Report(std::string("the ") + (description ? "description" : "command") +
             " template holds an unclosed double quote: the post program receives everything "
             "after it as one parameter");
  }

  void AreaLine(const ConfigLine& line, std::string_view text) {
    const ShortString& area = line.argument;
    areaName_ = area.str();
    areaLine_ = line.number;
    std::string worked =
        "; the block is worked only with '-AREA " + areaName_ + "' or below a due WHEN line";
    ScheduleFinding problem = ScheduleProblem(line.scheduleText);
    if (area.empty()) {
      Report(
          "the AREA line has no area name: a nameless area matches the empty area filter, so "
          "every run without -AREA works it, whatever its schedule");
    } else if (area == line.scheduleText && OneWord(AfterFirstWord(text))) {
      Report("area " + Shown(area) + " has no schedule" +
             (problem.text.empty() ? ": its name is taken as the schedule text"
                                   : TabNote(area) +
                                         ": its schedule text is then the name itself, which is "
                                         "never due" +
                                         worked));
    } else if (!problem.text.empty()) {
      Report("area " + Shown(area) + ": " + problem.text + (problem.neverDue ? worked : ""));
    }
    auto [it, added] = areaLines_.emplace(UpperText(area).str(), line.number);
    if (!added && !area.empty())
      Report("area name " + Shown(area) + " was used before, at line " +
             std::to_string(it->second) + ": '-AREA " + areaName_ +
             "' works every block of that name");
  }

  void LimitLine(const ConfigLine& line, std::string_view text) {
    std::string keyword = line.kind == LineKind::kSize ? "SIZE" : "COUNT";
    ShortString value = ArgumentText(TrimLeadingBlanks(text));
    std::string_view bare = value.view().substr(0, value.view().find_last_not_of(' ') + 1);
    int errorPos = 0, bareError = 0;
    TextToNumber(value, errorPos);
    TextToNumber(bare, bareError);
    std::string unlimited = line.kind == LineKind::kSize
                                ? "no limit on the bytes hatched in a run"
                                : "no limit, so every file found is hatched in one run";
    std::string why = value.empty()                                   ? " is empty"
                      : bareError == 0 && bare.size() != value.size() ? " has a trailing blank"
                                                                      : " is no number";
    if (errorPos != 0) {
      Report(keyword + " value " + Shown(value) + why + TabNote(value) +
             ", so it reads as 0: " + unlimited);
    } else if (line.limit == 0) {
      Report(keyword + " 0 means " + unlimited);
    } else if (line.limit < 0) {
      Report(keyword + " " + std::to_string(line.limit) +
             " is negative: no file fits, so the block hatches nothing except from entries "
             "with -ANY" +
             keyword);
    }
  }

  void WhenLine(const ConfigLine& line, std::string_view text) {
    std::string off = "; the lines below it in " + BlockLabel() + " are not worked";
    ScheduleFinding problem = ScheduleProblem(line.argument);
    if (OneWord(text)) {
      Report("WHEN alone takes the word WHEN as its schedule text, which is never due" + off);
    } else if (!problem.text.empty()) {
      Report("WHEN: " + problem.text + (problem.neverDue ? off : ""));
    }
  }

  void EntryLine(const ConfigLine& line, std::string_view text) {
    std::string keyword = line.kind == LineKind::kDirectory ? "DIRECTORY" : "FILE";
    const ShortString& entry = line.argument;
    if (!postProgSet_ && !noPostProgReported_) {
      noPostProgReported_ = true;
      Report(
          "no POSTPROG line stands above this entry: its command is empty, so every "
          "hand-over fails to start");
    }
    std::string mask = FirstWord(entry).str();
    if (OneWord(text) || mask.empty())
      return Report(keyword + " has no mask: " +
                    (mask.empty() ? "the search has nothing to look for and hatches nothing"
                                  : "the entry text is then the word " + keyword +
                                        " itself, so the search looks for a file of that name "
                                        "in the working directory"));
    if (mask[0] == '-') {
      ShortString next = FirstWord(AfterFirstWord(entry));
      std::string found = Shown(mask) +
                          " stands before the mask: the first word is the mask, so the search "
                          "looks for a file named " +
                          Shown(mask);
      if (next != mask) found += " and " + Shown(next) + " is not searched";
      for (const Flag& flag : kFlags)
        if (UpperText(mask).view().find(flag.name) != npos)
          found += " (" + std::string(flag.name) + " still acts, found anywhere in the line)";
      return Report(found + "; options must follow the mask");
    }
    if (HasTab(mask))
      Report("the mask " + Shown(mask) +
             " holds a tab, which separates no words: the search looks for names with a tab "
             "in them");
    const EntryOptions& options = line.entry.options;
    CheckRelative("the mask ", mask);
    CheckSearch(keyword, mask, options);
    for (const std::string& problem :
         EntryProblems(entry, options, line.kind == LineKind::kDirectory))
      Report(problem);
  }

  void CheckSearch(const std::string& keyword, const std::string& mask,
                   const EntryOptions& options) {
    std::string nothing =
        keyword == "FILE"
            ? (options.hidden ? "with -HIDDEN the mask itself is handed over as the file"
                              : "every run logs 'Error while searching for " + mask +
                                    ", aborting...' and keeps the line")
        : options.stay ? "nothing is hatched from it in any run"
                       : "nothing is hatched, and the run drops this line from the configuration";
    std::vector<FoundEntry> found;
    int code = FindFiles(fs_, mask, kSearchFiles, found);
    std::string_view directory = DirectoryPart(mask, fs_.DirectorySeparators());
    char separator = directory.empty() ? fs_.DirectorySeparators().front() : directory.back();
    if (NamesDirectory(mask)) {
      std::string files = directory.size() == mask.size() ? mask + "*" : mask + separator + "*";
      Report("the mask " + Shown(mask) + " names a directory, and a search hands over files " +
             "only: " + nothing + "; write " + Shown(files) + " for the files in it");
    } else if (code != 0 && code != kFileNotFound && code != kNoMoreFiles) {
      Report("the search for " + Shown(mask) + " fails (" + ErrorText(code, mask).str() +
             "): " + nothing);
    }
  }

  FileSystem& fs_;
  ProcessRunner& runner_;
  std::string name_;
  TextFile& out_;
  std::string configDirectory_;  // empty when it is the working directory
  std::int32_t lineNo_ = 0;
  int findings_ = 0;
  bool postProgSet_ = false;
  bool noPostProgReported_ = false;
  std::string areaName_;  // the block being read
  std::int32_t areaLine_ = 0;
  std::map<std::string, std::int32_t> areaLines_;  // upper-cased area name -> its AREA line
};

}  // namespace

int CheckConfiguration(FileSystem& fs, ProcessRunner& runner, const std::string& configName,
                       TextFile& out) {
  return Checker(fs, runner, configName, out).Run();
}

}  // namespace brimvel
