#include "support/command_line.h"

namespace brimvel {

namespace {
bool IsSeparator(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return b >= 0x01 && b <= 0x20;
}

// One word from `i` on, its quotes taken out; `i` ends at the separator after it.
std::string ReadWord(std::string_view line, std::size_t& i) {
  const std::size_t n = line.size();
  std::string word;
  while (i < n && !IsSeparator(line[i])) {
    if (line[i] == '"') {
      ++i;
      while (i < n && line[i] != '"') word.push_back(line[i++]);
      if (i < n) ++i;  // the closing quote
    } else {
      word.push_back(line[i++]);
    }
  }
  return word;
}
}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  const std::size_t n = line.size();
  while (i < n) {
    while (i < n && IsSeparator(line[i])) ++i;
    // An empty quoted pair at the start of a word is passed over.
    while (i + 1 < n && line[i] == '"' && line[i + 1] == '"') i += 2;
    if (i >= n || IsSeparator(line[i])) continue;
    std::string word = ReadWord(line, i);
    if (!word.empty()) words.push_back(word);
  }
  return words;
}

}  // namespace brimvel
