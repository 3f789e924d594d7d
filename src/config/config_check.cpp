#include "config/config_check.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "config/area_block.h"
#include "config/area_names.h"
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

enum Severity { kError, kWarning, kNote };
constexpr std::array<const char*, 3> kLabels = {"error", "warning", "note"};

// What each flag makes an entry do, in the order of kEntryFlagNames.
constexpr std::array<const char*, 5> kFlagEffects = {
    "its line is never dropped from the configuration",
    "every file it hatches is deleted afterwards", "SIZE does not limit its files",
    "COUNT does not limit its files", "a FILE entry whose search fails hands the mask itself over"};
constexpr const char* kFails = ": every hand-over fails to start";
// How the macros are spelled in messages; the expansion itself decides what
// a template holds.
constexpr std::array<std::string_view, 5> kMacroNames = {"@File", "@Area", "@Option", "@AppDesc",
                                                         "@Desc"};
// The keywords a misspelling is looked for; END is too short to guess at.
constexpr std::array<std::string_view, 9> kKeywords = {
    "POSTPROG", "APPENDDESC", "AREA", "SIZE", "COUNT", "WHEN", "DIRECTORY", "FILE", "SKIP"};

bool HasTab(std::string_view text) { return text.find('\t') != npos; }
bool OneWord(std::string_view text) { return TrimLeadingBlanks(text).find(' ') == npos; }

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

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = std::min(text.find(' ', at), text.size());
    if (end > at) words.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

bool OddQuotes(std::string_view text) { return std::count(text.begin(), text.end(), '"') % 2 != 0; }

// The keyword a word, in capitals, is one letter from (two for the long ones).
std::string_view NearKeyword(std::string_view word) {
  const std::string upper = UpperText(word);
  if (upper.size() < 4 || upper.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != npos) return {};
  for (std::string_view keyword : kKeywords) {
    std::size_t distance = EditDistance(upper, keyword);
    if (distance > 0 && distance <= (keyword.size() > 5 ? 2u : 1u)) return keyword;
  }
  return {};
}

// A keyword hidden by a tab: the first word holds a tab, and what stands
// before it is a keyword. Returns that keyword, or empty.
std::string TabbedKeyword(std::string_view text) {
  std::string_view word = FirstWord(text);
  std::size_t start = word.find_first_not_of('\t');
  if (!HasTab(word) || start == npos) return {};
  std::string_view candidate = word.substr(start, word.find('\t', start) - start);
  bool keyword = KeywordKind(candidate, true) != LineKind::kOther ||
                 KeywordKind(candidate, false) != LineKind::kOther;
  return keyword ? UpperText(candidate) : std::string();
}

// Why a line that reads as END to a human is not END; empty when it is not such a line.
std::string EndProblem(std::string_view line) {
  std::size_t start = line.find_first_not_of(" \t");
  std::string_view word = FirstWord(line.substr(std::min(start, line.size())));
  if (!SameUpper(word.substr(0, 3), "END") || (word.size() > 3 && word[3] != '\t')) return {};
  if (line.front() == ' ') return "has a leading blank";
  if (HasTab(line)) return "holds a tab";
  return line.find_first_not_of(' ', 3) == npos ? "has a trailing blank"
                                                : "has more text after END";
}

// Why a schedule is never due, or due on fewer days than it names; whether
// it is due at all is the schedule's own EverDue.
std::string ScheduleProblem(std::string_view text, const Schedule& schedule) {
  if (schedule.word == ScheduleWord::kDaily) return {};
  const std::string_view word = FirstWord(text), list = AfterFirstWord(text);
  const std::string keyword = UpperText(word);
  std::vector<std::string_view> words = Words(list);  // views into `list`
  std::string never = Shown(text) + " is never due";
  if (keyword == "DAILY")
    return (words.empty() ? "only DAILY alone is due: " : "DAILY takes no list: ") + never;
  if (schedule.word == ScheduleWord::kNone)
    return Shown(word) + " is no schedule word (DAILY, WEEKLY, MONTHLY or YEARLY)" + TabNote(word) +
           ": " + never;
  if (!schedule.list) return {};  // the default day
  if (words.empty()) return "a trailing blank makes an empty list, not the default day: " + never;
  std::string found;
  for (std::string_view item : words) {
    int errorPos = 0;
    TextToNumber(item, errorPos);
    if (errorPos != 0 || !EverDue(ParseSchedule(Concat(keyword, " ", item))))
      found += (found.empty() ? "" : "; ") + Shown(item) +
               (errorPos != 0 ? " is no number" : " is no such day or year") +
               (item.find(',') != npos ? " (a comma separates nothing)" : "") + TabNote(item) +
               " and matches nothing";
  }
  return EverDue(schedule) ? found : found + (found.empty() ? "" : ", so ") + never;
}

// A command for a template with every macro's value marked, so that what the
// expansion replaced can be seen.
std::string MarkedCommand(std::string_view postProg, std::string_view appendDesc = "\x05") {
  HatchSettings settings{std::string(postProg), std::string(appendDesc), false};
  AreaRecord area;
  area.name = "\x02";
  EntryOptions options;
  options.desc = "\x03";
  options.option = "\x04";
  return BuildCommand(settings, "\x01", area, options);
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

class Checker {
 public:
  Checker(FileSystem& fs, ProcessRunner& runner, const Clock& clock, std::string_view area,
          TextWriter& out)
      : fs_(fs), runner_(runner), today_(ReadDate(clock)), areaFilter_(area), out_(out) {}

  CheckOutcome Run(const std::string& name) {
    name_ = name;
    if (std::string_view at = DirectoryPart(name_, fs_.DirectorySeparators());
        at.size() != 2 || at[0] != '.')
      configDirectory_ = at;
    TextReader config(fs_, name_);
    if (name_.empty()) {
      // A run cannot open a configuration without a name either.
      Report(0, kError, "no configuration file is named: a run cannot open it");
    } else if (int code = config.OpenRead(); code != 0) {
      Report(0, kError,
             "cannot be opened for reading (" + ErrorText(code, name_) + "): a run works no area");
    } else if (config.LinesEndInCrOnly()) {
      Report(1, kError,
             "lines end in CR only: a run refuses the file and works no area (save it with LF "
             "or CR LF line ends)");
    } else {
      CheckWritable(name_, "the configuration", "every run refuses to work");
      std::string directory(DirectoryPart(name_, fs_.DirectorySeparators()));
      CheckWritable(directory.empty() ? "." : directory, "the directory of the configuration",
                    "a run cannot write its new copy (brimvel.tmp) there and works no area");
      ReadAll(config);
      // A run asked for an area no block has ends before it works anything.
      if (!areaFilter_.empty() && areaLines_.count(UpperText(areaFilter_)) == 0)
        Report(0, kError,
               AreaMissingText(areaFilter_, name_) + ": a run with -AREA " + areaFilter_ +
                   " works nothing");
    }
    std::string summary;
    for (Severity s : {kError, kWarning, kNote})
      if (int n = Count(s); n > 0)
        summary += (summary.empty() ? "" : ", ") + std::to_string(n) + " " + kLabels[s] +
                   (n == 1 ? "" : "s");
    out_.WriteLine(summary.empty() ? "no findings" : summary);
    return outcome_;
  }

 private:
  // "FILE:LINE: error: TEXT", or "FILE: error: TEXT" when no line is meant.
  void Report(std::int32_t line, Severity severity, const std::string& text) {
    out_.WriteLine(name_ + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " +
                   kLabels[severity] + ": " + text);
    ++Count(severity);
  }
  int& Count(Severity severity) {
    return *std::array{&outcome_.errors, &outcome_.warnings, &outcome_.notes}[severity];
  }
  void Error(const std::string& text) { Report(lineNo_, kError, text); }
  void Warn(const std::string& text) { Report(lineNo_, kWarning, text); }
  void Note(const std::string& text) { Report(lineNo_, kNote, text); }

  std::string BlockLabel() const {
    return "the block of area " + (areaName_.empty() ? std::string("''") : areaName_);
  }

  void CheckWritable(const std::string& name, const std::string& what, const std::string& then) {
    int code = fs_.CheckWritable(name);
    if (code != 0 && code != kFileNotFound && code != kPathNotFound)
      Error(what + " " + Shown(name) + " cannot be written by this user (" + ErrorText(code, name) +
            "): " + then);
  }

  void ReadAll(TextReader& config) {
    ConfigReader reader(config);
    ConfigLine line;
    bool lineOpen = false;  // the last line ended at a Ctrl-Z, not at a line feed
    for (;;) {
      bool inBlock = reader.inBlock();
      std::int64_t start = reader.Tell();
      if (!reader.Next(line)) break;
      lineNo_ = line.number;
      lineOpen = reader.Tell() - start == static_cast<std::int64_t>(line.whole.size());
      std::string_view text = line.text;
      if (line.byteOrderMark) {
        text.remove_prefix(3);
        Note("a UTF-8 byte-order mark: a run passes over it and writes it back unchanged");
      }
      if (line.whole.size() > line.text.size())
        Warn("only the first 255 characters are read: " +
             Shown(line.whole.substr(line.text.size()), 30) + " and the rest have no effect");
      CheckLine(line, text, inBlock);
      if (line.kind == LineKind::kEnd) EndBlock();
    }
    if (int code = config.error(); code != 0) {
      Report(lineNo_ + 1, kError,
             "reading fails here (error " + std::to_string(code) + "): a run changes nothing");
    } else if (config.PassCtrlZ()) {
      CtrlZ(config, lineOpen || lineNo_ == 0 ? std::max(lineNo_, 1) : lineNo_ + 1);
    }
    if (reader.inBlock()) {
      Report(areaLine_, kError,
             BlockLabel() + " has no END line: every line below belongs to it, AREA lines too");
      EndBlock();
    }
  }

  void EndBlock() {
    if (entryLines_ == 0)
      Report(areaLine_, kWarning,
             BlockLabel() + " holds no DIRECTORY or FILE entry: it hands nothing over");
    entries_.clear();
    entryLines_ = 0;
  }

  // A run stops reading at a Ctrl-Z byte, and its rewrite leaves out what
  // stands behind it; only blank lines there lose nothing.
  void CtrlZ(TextReader& config, std::int32_t at) {
    std::size_t lines = 0;
    bool text = false;
    std::string part, scratch;
    while (!config.AtEnd() || config.PassCtrlZ()) {
      if (config.AtEnd()) continue;  // another Ctrl-Z was passed
      std::string_view whole = config.ReadLine(part, scratch);
      ++lines;
      text = text || whole.find_first_not_of(' ') != npos;
    }
    // The first line read holds what stood behind the Ctrl-Z on its own line.
    if (text)
      Report(at, kError,
             "a Ctrl-Z byte (0x1A) ends the configuration here: the rewrite loses the rest of "
             "this line and the " +
                 std::to_string(lines - 1) + " line(s) after it");
  }

  void CheckLine(const ConfigLine& line, std::string_view text, bool inBlock) {
    const LineKind kind = line.kind;
    if (kind == LineKind::kPostProg) PostProgLine(line);
    if (kind == LineKind::kAppendDesc) CheckTokens(appendDesc_ = line.argument, true);
    if (kind == LineKind::kArea) AreaLine(line, text);
    if (kind == LineKind::kSize || kind == LineKind::kCount) LimitLine(line, text);
    if (kind == LineKind::kWhen) WhenLine(line, text);
    if (kind == LineKind::kDirectory || kind == LineKind::kFile) EntryLine(line, text);
    if (kind == LineKind::kOther) RemarkLine(text, inBlock);
  }

  // A line a run takes as a remark, though it may not be meant as one.
  void RemarkLine(std::string_view text, bool inBlock) {
    if (std::string end = EndProblem(text); inBlock && !end.empty())
      return Error(Shown(text) + " " + end + ": it does not end " + BlockLabel() +
                   "; only exactly END does");
    if (std::string hidden = TabbedKeyword(text); !hidden.empty())
      return Error("a tab separates no words, so the first word is " + Shown(FirstWord(text)) +
                   ", not " + hidden + ": the line is a remark");
    // A keyword out of its place is a remark.
    const std::string keyword = UpperText(FirstWord(text));
    const LineKind elsewhere = KeywordKind(text, !inBlock), alone = KeywordKind(text, true);
    if (!inBlock && elsewhere == LineKind::kEnd) {
      Warn("END outside an area block ends nothing: it is a remark");
    } else if (!inBlock && elsewhere == LineKind::kSkip) {
      Warn("a Skip line outside an area block keeps no file from being hatched");
    } else if (!inBlock && elsewhere != LineKind::kOther) {
      Error(keyword + " outside an area block is a remark");
    } else if (elsewhere == LineKind::kPostProg || elsewhere == LineKind::kAppendDesc) {
      Error(keyword + " inside " + BlockLabel() + " is a remark and changes no template");
    } else if (elsewhere == LineKind::kArea) {
      Error("an AREA line inside " + BlockLabel() + " (line " + std::to_string(areaLine_) +
            ") opens no block: the lines below still belong to " + areaName_);
    } else if (inBlock && (alone == LineKind::kSize || alone == LineKind::kCount)) {
      Warn(keyword + " alone has no value: the limit stays as it was");
    } else if (std::string_view near = NearKeyword(FirstWord(text)); !near.empty()) {
      Warn(Shown(FirstWord(text)) + " is no keyword (" + std::string(near) +
           "?): the line is a remark");
    }
  }

  // A configuration elsewhere than the working directory: its relative paths
  // still start from the working directory.
  void CheckRelative(const std::string& what, std::string_view path) {
    bool absolute =
        fs_.DirectorySeparators().find(path.front()) != npos || (path.size() > 1 && path[1] == ':');
    if (!configDirectory_.empty() && !absolute)
      Warn(what + Shown(path) + " is relative: a run reads it from the working directory, not " +
           Shown(configDirectory_));
  }

  // Whether a path without wildcards names a directory: its search finds
  // only entries that a search for files leaves out.
  bool NamesDirectory(std::string_view path) {
    std::vector<FoundEntry> found;
    std::string_view name = path.substr(DirectoryPart(path, fs_.DirectorySeparators()).size());
    if (name.empty()) return fs_.List(std::string(path), found) == 0;
    return name.find_first_of("*?") == npos && FindFiles(fs_, path, found) == kNoMoreFiles;
  }

  void PostProgLine(const ConfigLine& line) {
    const std::string& value = postProg_ = line.argument;
    postProgSet_ = true;
    std::vector<std::string_view> shell = ShellWords(value);
    std::string list;
    for (std::string_view word : shell) list += (list.empty() ? "" : ", ") + Shown(word);
    if (!shell.empty())
      Warn("shell syntax in the command template (" + list +
           "): no shell starts the post program, so it receives them as written");
    std::string program(FirstWord(ExpandTemplate(value, "", "")));
    bool shellProgram = std::find(shell.begin(), shell.end(), FirstWord(value)) != shell.end();
    if (!shellProgram && program.find('@') == npos) CheckProgram(program);
    std::string marked = MarkedCommand(value);
    if (marked.find("\"\x01") != npos)
      Error("@File stands in double quotes: a path with a blank is quoted already and splits");
    if (marked.find('\x01') == npos)
      Error("the command template has no @File: the post program is never told the file");
    CheckTokens(value, false);
  }

  void CheckProgram(const std::string& program) {
    CheckRelative("the post program ", program);
    const std::string shown = "the post program " + Shown(program), fails = kFails;
    FoundEntry entry;
    if (NamesDirectory(program)) return Error(shown + " is a directory" + fails);
    if (fs_.Describe(program, entry) != 0)
      return Error(shown + " does not exist" +
                   (DirectoryPart(program, fs_.DirectorySeparators()).empty()
                        ? " here (programs are not looked up along PATH)"
                        : "") +
                   fails);
    if (runner_.CheckRunnable(program) != 0) return Error(shown + " is not executable" + fails);
    if (std::string why = ScriptProblem(program, fails); !why.empty()) Error(shown + why);
  }

  // Why a script cannot be started: its '#!' line names no interpreter there
  // is, or it has none (the system then says "not found").
  std::string ScriptProblem(const std::string& program, const std::string& fails) {
    TextReader script(fs_, program);
    std::string first, scratch;
    FoundEntry entry;
    const std::string_view head = script.OpenRead() == 0 ? script.ReadLine(first, scratch) : "";
    const std::string_view interpreter =
        FirstWord(head.substr(std::min<std::size_t>(2, head.size())));
    // A script saved with CR LF line ends names an interpreter whose name
    // ends in a CR, which the system cannot find.
    if (head.starts_with("#!") && script.LineEndRead() == "\r\n")
      return " is a script whose first line ends in a carriage return (CR LF)" + fails;
    if (head.starts_with("#!") && fs_.Describe(std::string(interpreter), entry) != 0)
      return " names the interpreter " + Shown(interpreter) + ", which does not exist" + fails;
    const std::string upper = UpperText(program);
    const bool binary = std::any_of(head.begin(), head.end(), [](char c) {
      return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == '\x7F';
    });
    if (head.starts_with("#!") || head.empty() || binary || upper.ends_with(".BAT") ||
        upper.ends_with(".CMD"))
      return {};
    return " is a script without a '#!' line" + fails + " ('not found')";
  }

  // Macro-like words of a template that the expansion will not take as
  // meant. APPENDDESC replaces only @Desc and the escapes.
  void CheckTokens(std::string_view text, bool description) {
    for (std::size_t at = text.find('@'); at != npos; at = text.find('@', at + 1)) {
      std::size_t end = at + 1;
      while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end]))) ++end;
      std::string_view token = text.substr(at, end - at);
      std::string_view macro = description ? MacroAt(token, ExpandTemplate(token, "\x03", "@Desc"))
                                           : MacroAt(token, MarkedCommand(token));
      if (token.size() == 1 || macro.size() == token.size()) continue;
      if (!macro.empty()) {
        Warn(Shown(token) + " is the macro " + Shown(macro) + " with " +
             Shown(token.substr(macro.size())) + " glued to its value");
      } else if (description && !MacroAt(token, MarkedCommand(token)).empty()) {
        Warn(Shown(token) + " is not replaced in APPENDDESC (only @Desc is)");
      } else {
        Warn(Shown(token) + " is no macro: it reaches the command as written");
      }
    }
    if (OddQuotes(text))
      Warn(std::string("an unclosed double quote: the rest of the ") +
           (description ? "description" : "command") + " is one parameter");
  }

  void AreaLine(const ConfigLine& line, std::string_view text) {
    const std::string& area = line.argument;
    areaName_ = area;
    areaLine_ = line.number;
    enabled_ = AreaWorked(line, areaFilter_, today_);
    const std::string worked = "; only '-AREA " + areaName_ + "' or a due WHEN line works it";
    const bool never = !EverDue(line.schedule);
    if (area.empty()) {
      Warn(
          "the AREA line has no area name: every run without -AREA works it, whatever its "
          "schedule");
    } else if (area == line.scheduleText && OneWord(AfterFirstWord(text))) {
      Report(line.number, never ? kError : kWarning,
             "area " + Shown(area) + " has no schedule" + TabNote(area) +
                 ": its name is taken as the schedule" + (never ? ", never due" + worked : ""));
    } else {
      ScheduleFinding(line, "area " + Shown(area) + ": ", worked);
    }
    auto [it, added] = areaLines_.emplace(UpperText(area), line.number);
    if (!added && !area.empty())
      Warn("area name " + Shown(area) + " was used before, at line " + std::to_string(it->second) +
           ": -AREA works both");
  }

  void LimitLine(const ConfigLine& line, std::string_view text) {
    std::string keyword = line.kind == LineKind::kSize ? "SIZE" : "COUNT";
    const std::string_view value = ArgumentText(TrimLeadingBlanks(text));
    if (!line.limitIsNumber) {
      int errorPos = 0;
      std::string_view bare = value.substr(0, value.find_last_not_of(' ') + 1);
      TextToNumber(bare, errorPos);
      std::string why = value.empty()                                  ? " is empty"
                        : errorPos == 0 && bare.size() != value.size() ? " has a trailing blank"
                                                                       : " is no number";
      Error(keyword + " value " + Shown(value) + why + TabNote(value) +
            ", so it reads as 0: no limit");
    } else if (line.limit == 0) {
      Note(keyword + " 0 means no limit");
    } else if (line.limit < 0) {
      Error(keyword + " " + std::to_string(line.limit) + " is negative: only -ANY" + keyword +
            " entries hand over");
    }
  }

  void WhenLine(const ConfigLine& line, std::string_view text) {
    enabled_ = ScheduleDue(line.schedule, today_);
    const std::string off = "; the lines below it in " + BlockLabel() + " are not worked";
    if (OneWord(text))
      return Error("WHEN alone takes the word WHEN as its schedule text, which is never due" + off);
    ScheduleFinding(line, "WHEN: ", off);
  }

  // A schedule never due is an error, one due on fewer days than it names a warning.
  void ScheduleFinding(const ConfigLine& line, const std::string& what, const std::string& then) {
    const bool never = !EverDue(line.schedule);
    if (std::string problem = ScheduleProblem(line.scheduleText, line.schedule); !problem.empty())
      Report(line.number, never ? kError : kWarning, what + problem + (never ? then : ""));
  }

  void EntryLine(const ConfigLine& line, std::string_view text) {
    std::string keyword = line.kind == LineKind::kDirectory ? "DIRECTORY" : "FILE";
    const ParsedEntry& entry = line.entry;
    const std::string& mask = entry.mask;
    ++entryLines_;
    if (!postProgSet_ && !std::exchange(noPostProgReported_, true))
      Error(std::string("no POSTPROG line stands above this entry") + kFails);
    if (OneWord(text) || mask.empty())
      return Error(keyword + " has no mask" +
                   (mask.empty() ? "" : ": it searches a file named " + keyword));
    if (mask[0] == '-') {
      const std::string_view next = FirstWord(AfterFirstWord(entry.text));
      return Error(
          Shown(mask) + " stands before the mask: the search looks for a file of that name" +
          (next != mask ? ", not " + Shown(next) : std::string()) + "; options follow the mask");
    }
    if (HasTab(mask))
      Error("the mask " + Shown(mask) + " holds a tab: the search looks for names with a tab");
    CheckRelative("the mask ", mask);
    EntryProblems(entry, line.kind == LineKind::kDirectory);
    CheckSearch(line);
    CheckDescription(entry.options);
    std::string_view directory = DirectoryPart(mask, fs_.DirectorySeparators());
    if (entry.options.deleteFile)
      CheckWritable(directory.empty() ? "." : std::string(directory), "the directory",
                    "-DELETE cannot delete the files handed over from it");
    for (const auto& [at, other] : entries_)
      if (SameUpper(DirectoryPart(other, fs_.DirectorySeparators()), UpperText(directory)) &&
          MasksMeet(other.substr(DirectoryPart(other, fs_.DirectorySeparators()).size()),
                    std::string_view(mask).substr(directory.size())))
        Warn("the mask " + Shown(mask) + " can match the same file as line " + std::to_string(at) +
             ": a run may hand it over twice");
    entries_.emplace_back(line.number, mask);
    if (line.kind == LineKind::kDirectory && !entry.options.stay)
      Note(
          "without -STAY the line is dropped once its directory has nothing new; a feed wants "
          "-STAY");
  }

  // An entry as its author meant it (the mask, then option words, -DESC and
  // -OPTION each taking a word or a quoted text), against what the run's
  // parser recorded: what differs is a trap.
  void EntryProblems(const ParsedEntry& entry, bool directory) {
    const EntryOptions& options = entry.options;
    const std::string_view text = entry.text;
    for (const ParsedEntry::Word& word : entry.words)
      WordProblem(text.substr(word.at, word.size), word.afterValue);
    FlagsInside(entry);
    if (directory && entry.flagWord[kHiddenFlag])
      Note("-HIDDEN has no effect on a DIRECTORY entry");
    for (EntryValue k : {kDescValue, kOptionValue})
      if (options.InValue(1 - k, options.valueAt[k]))
        Warn(std::string(kEntryValueNames[k]) + " is read as " + Shown(options.Value(k)) +
             " from inside the " + std::string(kEntryValueNames[1 - k]) +
             " value: its first word " + std::string(kEntryValueNames[k]) + " counts");
    if (OddQuotes(text))
      Warn("an unmatched double quote: a quoted value runs to the end of the line");
    const std::string upperDesc = UpperText(options.desc);
    for (std::string_view name : kMacroNames)
      if (upperDesc.find(UpperText(name)) != npos)
        return Note("the -DESC text holds " + Shown(name) +
                    ": the post program receives it as written");
  }

  // A flag found inside a longer word counts all the same.
  void FlagsInside(const ParsedEntry& entry) {
    const EntryOptions& options = entry.options;
    const std::string_view text = entry.text;
    for (std::size_t f = 0; f < kEntryFlagNames.size(); ++f) {
      const std::size_t at = options.flagAt[f];
      if (!options.Has(static_cast<EntryFlag>(f)) || entry.flagWord[f]) continue;
      std::string where = at < entry.maskEnd ? "the mask " + Shown(entry.mask) : std::string();
      for (std::size_t k = 0; k < kEntryValueNames.size() && where.empty(); ++k)
        if (options.InValue(k, at)) where = "the " + std::string(kEntryValueNames[k]) + " value";
      if (where.empty()) where = Shown(FirstWord(text.substr(text.rfind(' ', at) + 1)));
      Report(lineNo_, f == kDeleteFlag ? kError : kWarning,
             std::string(kEntryFlagNames[f]) + " is found inside " + where +
                 ": a flag counts anywhere in the line, so " + kFlagEffects[f]);
    }
  }

  // A word after the mask that is no value: what the run makes of it.
  void WordProblem(std::string_view word, std::string_view lastValue) {
    const std::string upper = UpperText(word);
    for (std::string_view name : kEntryValueNames)
      if (upper.starts_with(name)) {
        if (upper != name)
          Warn(Shown(word) + " is not read as " + std::string(name) +
               ": an option stands as a word of its own");
        return;
      }
    for (std::string_view flag : kEntryFlagNames)
      if (upper.find(flag) != npos) return;  // a flag, or one found inside the word
    if (word.front() == '-') return Warn(Shown(word) + " is no option and is ignored");
    Warn(Shown(word) + " is neither the mask nor an option and is ignored" +
         (lastValue.empty()
              ? ""
              : " (without double quotes " + std::string(lastValue) + " takes one word only)"));
  }

  // What the run does with an entry whose mask finds nothing today, told
  // by the pass's own keep rule; the longest name found, against the
  // command's length.
  void CheckSearch(const ConfigLine& line) {
    const ParsedEntry& entry = line.entry;
    const std::string& mask = entry.mask;
    std::vector<FoundEntry> found;
    EntryResult result;
    result.searchCode = FindFiles(fs_, mask, found);
    if (!found.empty()) return CheckCommandLength(entry, found);
    const bool file = line.kind == LineKind::kFile;
    const std::string write = DirectoryHint(mask);
    if (file && entry.options.hidden)
      return Warn("the mask " + Shown(mask) +
                  " matches nothing today: -HIDDEN hands the mask itself over" + write);
    EntryFate fate = !enabled_                                      ? EntryFate::kNotWorked
                     : EntryStays(line.kind, result, entry.options) ? EntryFate::kKept
                                                                    : EntryFate::kDropped;
    outcome_.verdicts.push_back({line.number, fate});
    std::string does =
        fate == EntryFate::kNotWorked    ? "its block is not worked today, so the line stays"
        : fate == EntryFate::kDropped    ? "the run hands nothing over and drops the line"
        : file && !result.SearchFailed() ? "the run logs 'Error while searching for " + mask +
                                               ", aborting...' and keeps the line"
                                         : "the run hands nothing over and keeps the line";
    if (result.SearchFailed() && fate != EntryFate::kNotWorked) does += " with an [err] line";
    if (!write.empty()) {
      Error("the mask " + Shown(mask) + " names a directory, not files: " + does + write);
    } else if (result.SearchFailed()) {
      Error("the search for " + Shown(mask) + " fails (" + ErrorText(result.searchCode, mask) +
            "): " + does);
    } else {
      Report(
          line.number,
          fate == EntryFate::kNotWorked || (fate == EntryFate::kKept && !file) ? kNote : kWarning,
          "the mask " + Shown(mask) + " matches nothing today: " + does);
    }
  }

  // For a mask that names a directory: the mask meant.
  std::string DirectoryHint(const std::string& mask) {
    if (!NamesDirectory(mask)) return {};
    std::string_view directory = DirectoryPart(mask, fs_.DirectorySeparators());
    char separator = directory.empty() ? fs_.DirectorySeparators().front() : directory.back();
    return "; write " +
           Shown(directory.size() == mask.size() ? mask + "*" : mask + separator + "*") +
           " for the files in it";
  }

  // The run refuses a command the platform cannot take, and only that.
  void CheckCommandLength(const ParsedEntry& entry, const std::vector<FoundEntry>& found) {
    auto longest = std::max_element(found.begin(), found.end(), [](const auto& a, const auto& b) {
      return a.name.size() < b.name.size();
    });
    const std::string path =
        std::string(DirectoryPart(entry.mask, fs_.DirectorySeparators())) + longest->name;
    AreaRecord area;
    area.name = areaName_;
    HatchSettings settings{postProg_, appendDesc_, false};
    const std::size_t limit = runner_.CommandLimit();
    if (BuildCommand(settings, path, area, entry.options).size() > limit)
      Error("the command for " + Shown(path) + " is longer than the " + std::to_string(limit) +
            " characters the platform takes: it is not run");
  }

  // A -DESC text that no macro of the templates takes, or that puts a line
  // break into a quoted @Desc.
  void CheckDescription(const EntryOptions& options) {
    if (options.desc.empty() || !postProgSet_) return;
    std::string marked = MarkedCommand(postProg_, appendDesc_);
    std::size_t at = marked.find('\x03');
    if (at == npos) return Warn("no macro of the templates uses the -DESC text");
    std::string_view desc = options.desc;
    if ((desc.find("\\n") != npos || desc.find("\\k") != npos) &&
        std::count(marked.begin(), marked.begin() + static_cast<std::ptrdiff_t>(at), '"') % 2 != 0)
      Warn("a \\n or \\k in the -DESC text breaks the line inside the quoted @Desc");
  }

  FileSystem& fs_;
  ProcessRunner& runner_;
  DateParts today_;
  std::string areaFilter_;  // -AREA: the one block a run works, whatever its schedule
  TextWriter& out_;
  std::string name_;
  CheckOutcome outcome_;
  std::string configDirectory_;  // empty when it is the working directory
  std::int32_t lineNo_ = 0;
  bool postProgSet_ = false;
  bool noPostProgReported_ = false;
  std::string postProg_, appendDesc_;
  std::string areaName_;  // the block being read
  std::int32_t areaLine_ = 0;
  bool enabled_ = false;  // whether today's run works the lines here
  std::vector<std::pair<std::int32_t, std::string>> entries_;  // the block's: line, mask
  int entryLines_ = 0;                                         // the block's entry lines
  std::map<std::string, std::int32_t> areaLines_;  // upper-cased area name -> its AREA line
};

}  // namespace

CheckOutcome CheckConfiguration(FileSystem& fs, ProcessRunner& runner, const Clock& clock,
                                const std::string& configName, TextWriter& out,
                                std::string_view areaFilter) {
  return Checker(fs, runner, clock, areaFilter, out).Run(configName);
}

}  // namespace brimvel
