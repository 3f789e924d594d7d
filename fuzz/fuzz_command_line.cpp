// SplitCommandLine over arbitrary text, and the guarantee the post program
// relies on: words that hold no double quote, written with quotes around the
// ones that hold a separator, come back exactly.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "support/command_line.h"

namespace {

bool IsSeparator(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return b >= 0x01 && b <= 0x20;
}

void CheckArbitrary(std::string_view line) {
  bool quoted = line.find('"') != std::string_view::npos;
  for (const std::string& word : brimvel::SplitCommandLine(line)) {
    if (word.empty()) std::abort();
    if (word.find('"') != std::string::npos) std::abort();
    // Only a quoted part can carry a separator into a word.
    if (!quoted)
      for (char c : word)
        if (IsSeparator(c)) std::abort();
  }
}

void CheckRoundTrip(std::string_view data) {
  // Words: the NUL-separated pieces of the input, quotes removed.
  std::vector<std::string> words;
  std::string word;
  for (std::size_t i = 0; i <= data.size(); ++i) {
    if (i == data.size() || data[i] == '\0') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else if (data[i] != '"') {
      word.push_back(data[i]);
    }
  }
  std::string line;
  for (const std::string& w : words) {
    bool needsQuotes = false;
    for (char c : w) needsQuotes = needsQuotes || IsSeparator(c);
    line += line.empty() ? "" : " ";
    line += needsQuotes ? "\"" + w + "\"" : w;
  }
  if (brimvel::SplitCommandLine(line) != words) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckArbitrary(text);
  CheckRoundTrip(text);
  return 0;
}
