#include "config/config_line.h"

#include "support/string_utils.h"

namespace brimvel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view DropBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return text.substr(i);
}

// The name a skip line records: everything after "Skip" and its blanks, and
// the text after exactly one blank, which keeps a name's own leading blanks.
bool SkipName(std::string_view whole, std::string_view& name, std::string_view& exact) {
  std::string_view text = DropBlanks(whole);
  std::size_t blank = text.find(' ');
  std::string_view word = text.substr(0, blank);
  if (!SameUpper(word, "SKIP")) return false;
  if (blank == std::string_view::npos) {
    // A lone "Skip" records the word itself, as the word helpers read it.
    name = exact = text;
    return true;
  }
  exact = text.substr(blank + 1);
  name = DropBlanks(exact);
  return true;
}

}  // namespace

bool LimitLineValue(std::string_view line, std::string_view keyword, std::int32_t& limit) {
  ShortString trimmed = TrimLeadingBlanks(line);
  std::size_t blank = trimmed.view().find(' ');
  // A keyword alone, without a blank after it, is not a limit line.
  if (blank == std::string_view::npos) return false;
  if (!SameUpper(trimmed.view().substr(0, blank), UpperText(keyword))) return false;
  int errorPos = 0;
  limit = TextToNumber(ArgumentText(trimmed), errorPos);
  return true;
}

void Classify(ConfigLine& line, bool inBlock) {
  std::string_view text = line.text.view();
  if (line.byteOrderMark) text.remove_prefix(kByteOrderMark.size());
  line.kind = LineKind::kOther;
  std::string_view keyword = FirstWordView(text);
  if (!inBlock) {
    if (SameUpper(keyword, "POSTPROG")) {
      line.kind = LineKind::kPostProg;
    } else if (SameUpper(keyword, "APPENDDESC")) {
      line.kind = LineKind::kAppendDesc;
    } else if (SameUpper(keyword, "AREA")) {
      line.kind = LineKind::kArea;
      ShortString areaText = AfterFirstWord(text);
      line.argument = FirstWord(areaText);
      line.schedule = AfterFirstWord(areaText);
      return;
    }
    if (line.kind != LineKind::kOther) line.argument = AfterFirstWord(text);
    return;
  }
  if (SameUpper(text, "END")) {
    line.kind = LineKind::kEnd;
  } else if (SameUpper(keyword, "SIZE")) {
    if (LimitLineValue(text, "SIZE", line.limit)) line.kind = LineKind::kSize;
  } else if (SameUpper(keyword, "COUNT")) {
    if (LimitLineValue(text, "COUNT", line.limit)) line.kind = LineKind::kCount;
  } else if (SameUpper(keyword, "WHEN")) {
    line.kind = LineKind::kWhen;
    line.argument = AfterFirstWord(text);
  } else if (SameUpper(keyword, "DIRECTORY")) {
    line.kind = LineKind::kDirectory;
    line.argument = AfterFirstWord(text);
  } else if (SameUpper(keyword, "FILE")) {
    line.kind = LineKind::kFile;
    line.argument = AfterFirstWord(text);
  } else if (SkipName(line.whole, line.skipped, line.skippedExact)) {
    line.kind = LineKind::kSkip;
  }
}

bool ConfigReader::Next(ConfigLine& line) {
  if (file_.AtEnd()) return false;
  line.whole = file_.ReadLine(line.text, scratch_);
  if (file_.error() != 0) return false;
  line.number = ++number_;
  line.byteOrderMark = line.number == 1 && line.text.view().substr(0, 3) == kByteOrderMark;
  line.argument = ShortString();
  line.schedule = ShortString();
  line.limit = 0;
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
