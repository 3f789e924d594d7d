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
#include "support/string_utils.h"

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

void CheckWords(std::string_view text) {
  std::string_view first = brimvel::FirstWord(text);
  std::string_view after = brimvel::AfterFirstWord(text);
  std::string_view trimmed = brimvel::TrimLeadingBlanks(text);
  Require(first.find(' ') == std::string_view::npos);
  Require(after.empty() || after[0] != ' ');
  Require(trimmed.empty() || trimmed[0] != ' ');
  Require(StartsWith(trimmed, first));
  Require(trimmed.empty() == first.empty());
  if (trimmed.find(' ') == std::string_view::npos) {
    Require(after == trimmed);  // a one-word text yields the word itself
  } else {
    Require(EndsWith(trimmed, after));
    Require(trimmed.size() > first.size() + after.size());
  }
  std::string_view argument = brimvel::ArgumentText(text);
  Require(text.find(argument) != std::string_view::npos);
  if (text.find('"') != std::string_view::npos)
    Require(argument.find('"') == std::string_view::npos);
}

void CheckOptions(std::string_view name, std::string_view text, std::string_view value) {
  // The value is taken only where the name stands, in any case.
  bool present =
      !name.empty() && brimvel::UpperText(text).find(brimvel::UpperText(name)) != std::string::npos;

  std::string kept = "unchanged";
  brimvel::GetOptionValue(name, kept, text);
  if (!present) Require(kept == "unchanged");

  // An option standing first, followed by a plain or a quoted value.
  bool plainName = !name.empty() && name.find(' ') == std::string_view::npos &&
                   name.find('"') == std::string_view::npos;
  if (!plainName) return;
  std::string word(brimvel::FirstWord(value));
  if (!word.empty() && word[0] != '"') {
    std::string got;
    brimvel::GetOptionValue(name, got, " " + std::string(name) + " " + word + " tail");
    Require(got == word);
  }
  if (value.find('"') == std::string_view::npos) {
    std::string got = "unchanged";
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
