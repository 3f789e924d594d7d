#include "config/config_line.h"

#include "support/string_utils.h"

namespace brimvel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Keywords are ASCII, and no byte outside ASCII upper-cases into ASCII, so
// these cheap forms decide exactly as the word helpers do; every line of the
// configuration passes here.
inline std::string_view DropBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return text.substr(i);
}

inline char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

inline bool Same(std::string_view text, std::string_view upperKeyword) {
  if (text.size() != upperKeyword.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (AsciiUpper(text[i]) != upperKeyword[i]) return false;
  return true;
}

// The first word of a text whose leading blanks are already gone.
inline std::string_view Word(std::string_view trimmed) {
  return trimmed.substr(0, trimmed.find(' '));
}

// The name a skip line records: everything after "Skip" and its blanks, and
// the text after exactly one blank, which keeps a name's own leading blanks.
bool SkipName(std::string_view whole, std::string_view& name, std::string_view& exact) {
  std::string_view text = DropBlanks(whole);
  if (text.size() < 4 || !Same(std::string_view(text.data(), 4), "SKIP")) return false;
  if (text.size() == 4) {
    // A lone "Skip" records the word itself, as the word helpers read it.
    name = exact = text;
    return true;
  }
  if (text[4] != ' ') return false;
  exact = std::string_view(text.data() + 5, text.size() - 5);
  name = DropBlanks(exact);
  return true;
}

// For a line whose first word is the keyword followed by a blank: the limit
// the line sets; false when it is no limit line (a keyword alone is none).
bool LimitValue(std::string_view text, ConfigLine& line) {
  std::string_view trimmed = TrimLeadingBlanks(text);
  if (trimmed.find(' ') == std::string_view::npos) return false;
  int errorPos = 0;
  line.limit = TextToNumber(ArgumentText(trimmed), errorPos);
  line.limitIsNumber = errorPos == 0;
  return true;
}

}  // namespace

void Classify(ConfigLine& line, bool inBlock) {
  std::string_view text = line.text;
  if (line.byteOrderMark) text.remove_prefix(kByteOrderMark.size());
  line.kind = LineKind::kOther;
  // Most lines are skip lines and remarks: the rest of the work is done only
  // where a line can matter.
  if (!CanMatter(text, inBlock ? LinePlace::kBlock : LinePlace::kOutside)) return;
  std::string_view trimmed = DropBlanks(text);
  std::string_view keyword = Word(trimmed);
  if (!inBlock) {
    if (Same(keyword, "POSTPROG")) {
      line.kind = LineKind::kPostProg;
    } else if (Same(keyword, "APPENDDESC")) {
      line.kind = LineKind::kAppendDesc;
    } else if (Same(keyword, "AREA")) {
      line.kind = LineKind::kArea;
      std::string_view areaText = AfterFirstWord(text);
      line.argument = FirstWord(areaText);
      line.scheduleText = AfterFirstWord(areaText);
      ParseSchedule(line.scheduleText, line.schedule);
      return;
    }
    if (line.kind != LineKind::kOther) line.argument = AfterFirstWord(text);
    return;
  }
  if (Same(text, "END")) {
    line.kind = LineKind::kEnd;
  } else if (Same(keyword, "SIZE") || Same(keyword, "COUNT")) {
    if (LimitValue(text, line))
      line.kind = AsciiUpper(keyword.front()) == 'S' ? LineKind::kSize : LineKind::kCount;
  } else if (SkipName(line.whole, line.skipped, line.skippedExact)) {
    line.kind = LineKind::kSkip;
  } else if (Same(keyword, "WHEN")) {
    line.kind = LineKind::kWhen;
    line.argument = line.scheduleText = AfterFirstWord(text);
    ParseSchedule(line.scheduleText, line.schedule);
  } else if (Same(keyword, "DIRECTORY") || Same(keyword, "FILE")) {
    line.kind = AsciiUpper(keyword.front()) == 'D' ? LineKind::kDirectory : LineKind::kFile;
    line.argument = AfterFirstWord(text);
    ParseEntry(line.argument, line.entry);
  }
}

LineKind KeywordKind(std::string_view text, bool inBlock) {
  std::string word(FirstWord(text));
  ConfigLine probe;
  // A limit keyword needs a value after it to count.
  for (const std::string& candidate : {word, word + " 0"}) {
    probe.text = candidate;
    probe.whole = probe.text;
    Classify(probe, inBlock);
    if (probe.kind != LineKind::kOther) break;
  }
  return probe.kind;
}

bool ConfigReader::Next(ConfigLine& line) {
  if (file_.AtEnd()) return false;
  line.whole = file_.ReadLine(line.text, scratch_);
  if (file_.error() != 0) return false;
  line.raw = file_.RawLine();
  line.number = ++number_;
  line.byteOrderMark =
      line.number == 1 && std::string_view(line.text).substr(0, 3) == kByteOrderMark;
  line.argument.clear();
  line.scheduleText.clear();
  line.limit = 0;
  line.limitIsNumber = false;
  line.skipped = line.skippedExact = {};
  Classify(line, inBlock_);
  if (line.kind == LineKind::kArea) inBlock_ = true;
  if (line.kind == LineKind::kEnd) inBlock_ = false;
  return true;
}

int ConfigReader::Rewind(std::int64_t position, std::int32_t lineNumber, bool inBlock) {
  number_ = lineNumber;
  inBlock_ = inBlock;
  return file_.SeekTo(position);
}

}  // namespace brimvel
