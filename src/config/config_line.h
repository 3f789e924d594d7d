#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/schedule.h"
#include "hatch/entry_options.h"
#include "support/text_reader.h"

namespace brimvel {

// What a configuration line means where it stands. Outside an area block
// only POSTPROG, APPENDDESC and AREA mean anything; inside one, only END,
// the limits, WHEN, the entries and the skip lines.
enum class LineKind {
  kOther,  // a remark, a blank line, or a keyword out of its place
  kPostProg,
  kAppendDesc,
  kArea,  // opens a block
  kEnd,   // closes the block
  kSize,
  kCount,
  kWhen,
  kDirectory,
  kFile,
  kSkip,
};

// One line, read once into what the run, the checker and the plan need:
// nobody parses a line's text again.
struct ConfigLine {
  std::int32_t number = 0;  // 1-based line number
  std::string_view whole;   // every character but the CRs, valid until the next read
  // The line with its line end exactly as read, when the reader had it in
  // one piece; empty otherwise.
  std::string_view raw;
  std::string text;  // the first 255 characters: all that is ever parsed
  LineKind kind = LineKind::kOther;
  // POSTPROG, APPENDDESC, WHEN, DIRECTORY, FILE: the text after the keyword
  // (a line of one word yields that word). AREA: the area's name.
  std::string argument;
  // AREA: the schedule text (the name when there is none); WHEN: its argument.
  std::string scheduleText;
  Schedule schedule;           // AREA, WHEN: the schedule, parsed
  std::int32_t limit = 0;      // SIZE, COUNT: the value, 0 when it is no number
  bool limitIsNumber = false;  // SIZE, COUNT: the value text reads as a number
  ParsedEntry entry;           // DIRECTORY, FILE: the mask and the options
  std::string_view skipped;    // SKIP: the recorded name, whole, as written
  // SKIP: the name after the keyword and exactly one blank, for names that
  // begin with a blank themselves.
  std::string_view skippedExact;
  bool byteOrderMark = false;  // the file begins with a UTF-8 byte-order mark
};

// The one reader of the configuration language: streams the lines of an
// open file and tells each one's meaning, keeping track of the blocks.
class ConfigReader {
 public:
  explicit ConfigReader(TextReader& file) : file_(file) {}

  // The next line; false at the end of the text (a Ctrl-Z ends it too) or
  // when reading failed (see the file's error).
  bool Next(ConfigLine& line);
  bool inBlock() const { return inBlock_; }
  // Goes back to a position Tell gave, to read those lines again; the block
  // state is set as given.
  int Rewind(std::int64_t position, std::int32_t lineNumber, bool inBlock);
  std::int64_t Tell() const { return file_.Tell(); }
  // Passes over inert lines: those that `inert` says mean nothing here and
  // that may be copied exactly as they stand (see TextReader::TakeInertLines);
  // never the first line, which may begin with a byte-order mark.
  template <typename Inert>
  std::string_view TakeInertLines(std::string_view lineEnd, Inert inert) {
    if (number_ == 0) return {};
    return file_.TakeInertLines(lineEnd, inert, number_);
  }
  std::int32_t lineNumber() const { return number_; }
  TextReader& file() { return file_; }

 private:
  TextReader& file_;
  std::string scratch_;
  std::int32_t number_ = 0;
  bool inBlock_ = false;
};

// Where a line stands, for telling which lines can matter there.
enum class LinePlace {
  kOutside,    // outside the blocks: POSTPROG, APPENDDESC, AREA
  kBlock,      // in a block being worked: END, the limits, WHEN, the entries, Skip
  kIdleBlock,  // in a block not due (yet): only END and WHEN change its course
};

// The one rule for which lines can matter where they stand, told by the
// first letter of the first word; every other line is copied as it stands.
inline bool CanMatter(std::string_view text, LinePlace place) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i == text.size()) return false;
  char c = text[i];
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  switch (place) {
    case LinePlace::kOutside:
      return c == 'P' || c == 'A';
    case LinePlace::kBlock:
      return c == 'E' || c == 'S' || c == 'C' || c == 'W' || c == 'D' || c == 'F';
    case LinePlace::kIdleBlock:
      return c == 'E' || c == 'W';
  }
  return false;
}

// What a line that begins with this text's first word means in that place,
// whatever follows the word.
LineKind KeywordKind(std::string_view text, bool inBlock);

// The meaning of one line's text (already cut to 255) inside or outside a
// block; `whole` is the line however long.
void Classify(ConfigLine& line, bool inBlock);

}  // namespace brimvel
