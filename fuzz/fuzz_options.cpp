// The word and option helpers over arbitrary texts. Input: name, text and a
// value, separated by line feeds. Besides running clean under the
// sanitizers, the results must keep the rules the configuration language is
// built on (one blank separates words, the first occurrence of an option
// wins, a quoted value may hold blanks).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "support/short_string.h"
#include "support/string_utils.h"

using brimvel::ShortString;

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

void CheckWords(std::string_view text) {
  ShortString first = brimvel::FirstWord(text);
  ShortString after = brimvel::AfterFirstWord(text);
  ShortString trimmed = brimvel::TrimLeadingBlanks(text);
  Require(first.view().find(' ') == std::string_view::npos);
  Require(after.empty() || after[0] != ' ');
  Require(trimmed.empty() || trimmed[0] != ' ');
  Require(brimvel::FirstWordView(text).substr(0, ShortString::kCapacity) == first.view());
  if (text.size() > ShortString::kCapacity) return;  // the rest is about texts that fit
  Require(StartsWith(trimmed.view(), first.view()));
  Require(trimmed.empty() == first.empty());
  if (trimmed.view().find(' ') == std::string_view::npos) {
    Require(after == trimmed);  // a one-word text yields the word itself
  } else {
    Require(EndsWith(trimmed.view(), after.view()));
    Require(trimmed.size() > first.size() + after.size());
  }
  ShortString argument = brimvel::ArgumentText(text);
  Require(text.find(argument.view()) != std::string_view::npos);
  if (text.find('"') != std::string_view::npos)
    Require(argument.view().find('"') == std::string_view::npos);
}

void CheckOptions(std::string_view name, std::string_view text, std::string_view value) {
  bool flag = false;
  bool present = brimvel::OptionPresent(name, flag, text);
  Require(present == flag);
  Require(present == brimvel::OptionPresent(name, text));

  ShortString kept = "unchanged";
  brimvel::GetOptionValue(name, kept, text);
  if (!present) Require(kept == "unchanged");

  // An option standing first, followed by a plain or a quoted value.
  bool plainName = !name.empty() && name.find(' ') == std::string_view::npos &&
                   name.find('"') == std::string_view::npos;
  if (!plainName || name.size() + value.size() + 8 > ShortString::kCapacity) return;
  std::string word(brimvel::FirstWord(value).view());
  if (!word.empty() && word[0] != '"') {
    ShortString got;
    brimvel::GetOptionValue(name, got, " " + std::string(name) + " " + word + " tail");
    Require(got == word);
  }
  if (value.find('"') == std::string_view::npos) {
    ShortString got = "unchanged";
    brimvel::GetOptionValue(name, got,
                            " " + std::string(name) + "  \"" + std::string(value) + "\"");
    Require(got == value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::string_view name = Part(rest);
  std::string_view text = Part(rest);
  std::string_view value = Part(rest);
  CheckWords(text);
  CheckWords(rest);
  CheckOptions(name, text, value);
  return 0;
}
