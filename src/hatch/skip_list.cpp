#include "hatch/skip_list.h"

#include "support/io_error.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

std::string_view DropBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return text.substr(i);
}

std::string_view WholeFirstWord(std::string_view text) {
  text = DropBlanks(text);
  return text.substr(0, text.find(' '));
}

std::string_view WholeAfterFirstWord(std::string_view text) {
  text = DropBlanks(text);
  std::size_t blank = text.find(' ');
  if (blank != std::string_view::npos) text = text.substr(blank + 1);
  return DropBlanks(text);
}

void Load(SkipList& list, std::string_view configName) {
  list.names.clear();
  list.readable = false;
  TextFile reader;
  BindFile(reader, configName);
  OpenRead(reader);
  if (TakeIoError() != 0) return;
  if (!SeekArea(reader, list.blockNumber)) {
    CloseText(reader);
    StrictCheck();
    return;
  }
  std::string whole;
  for (;;) {
    bool atEnd = AtEnd(reader);
    StrictCheck();
    if (atEnd) break;
    ReadNonEmptyLine(reader, whole);
    std::string upper = UpperWhole(whole);
    if (UpperText(upper) == "END") break;
    if (WholeFirstWord(upper) == "SKIP") list.names.emplace(WholeAfterFirstWord(upper));
  }
  CloseText(reader);
  StrictCheck();
  list.readable = true;
}

}  // namespace

std::string UpperWhole(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperChar(c);
  return upper;
}

bool SeekArea(TextFile& reader, std::int32_t n) {
  std::int32_t tally = 0;
  bool inBlock = false;
  ShortString line;
  while (tally < n && !AtEnd(reader)) {
    ReadLine(reader, line);
    if (!inBlock) {
      if (SameUpper(FirstWordView(line), "AREA")) {
        ++tally;
        inBlock = true;
      }
    } else if (SameUpper(line, "END")) {
      inBlock = false;
    }
  }
  return tally == n && !AtEnd(reader);
}

void ReadNonEmptyLine(TextFile& reader, std::string& whole) {
  ShortString line;
  for (;;) {
    ReadLine(reader, line, &whole);
    StrictCheck();
    if (!whole.empty()) return;
    bool atEnd = AtEnd(reader);
    StrictCheck();
    if (atEnd) return;
  }
}

bool NotOnSkipList(SkipList& list, std::string_view configName, std::int32_t blockNumber,
                   std::string_view upperName) {
  if (list.blockNumber != blockNumber) {
    list.blockNumber = blockNumber;
    Load(list, configName);
  }
  if (!list.readable) return false;
  return list.names.find(std::string(upperName)) == list.names.end();
}

}  // namespace brimvel
