#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brimvel {

// The flags an entry line can carry, in the order of kEntryFlagNames.
enum EntryFlag : std::size_t { kStayFlag, kDeleteFlag, kAnySizeFlag, kAnyCountFlag, kHiddenFlag };
inline constexpr std::array<std::string_view, 5> kEntryFlagNames = {"-STAY", "-DELETE", "-ANYSIZE",
                                                                    "-ANYCOUNT", "-HIDDEN"};
// The options that take a value, in the order of kEntryValueNames.
enum EntryValue : std::size_t { kDescValue, kOptionValue };
inline constexpr std::array<std::string_view, 2> kEntryValueNames = {"-DESC", "-OPTION"};

// The options of one DIRECTORY or FILE line.
struct EntryOptions {
  static constexpr std::size_t kAbsent = std::string_view::npos;

  bool stay = false;
  bool deleteFile = false;
  bool anySize = false;
  bool anyCount = false;
  bool hidden = false;
  std::string desc;
  std::string option;
  // Where in the entry text each flag's name was first found (kAbsent when
  // not): a flag counts wherever it stands, inside the mask or a value too.
  std::array<std::size_t, kEntryFlagNames.size()> flagAt{kAbsent, kAbsent, kAbsent, kAbsent,
                                                         kAbsent};
  // Where the -DESC and -OPTION words whose values were taken stand, and the
  // text each value was taken from, quotes included: [first, second).
  std::array<std::size_t, kEntryValueNames.size()> valueAt{kAbsent, kAbsent};
  std::array<std::pair<std::size_t, std::size_t>, kEntryValueNames.size()> valueSpan{
      {{kAbsent, kAbsent}, {kAbsent, kAbsent}}};

  bool Has(EntryFlag flag) const { return flagAt[flag] != kAbsent; }
  const std::string& Value(EntryValue value) const { return value == kDescValue ? desc : option; }
  // Whether the text the value was taken from holds the position.
  bool InValue(std::size_t value, std::size_t at) const {
    return at >= valueSpan[value].first && at < valueSpan[value].second;
  }
};

// One DIRECTORY or FILE line's entry, read once by the configuration reader.
struct ParsedEntry {
  // A word after the mask that is no value, with the option whose one-word
  // value the word before it was (empty when none).
  struct Word {
    std::size_t at = 0;
    std::size_t size = 0;
    std::string_view afterValue;
  };

  std::string text;         // everything after the keyword, as far as it is read
  std::string mask;         // its first word
  std::size_t maskEnd = 0;  // where the mask ends in the text
  EntryOptions options;
  // The words after the mask as the options read them, a value at a time:
  // those outside the values, and whether each flag stands as a word of its own.
  std::vector<Word> words;
  std::array<bool, kEntryFlagNames.size()> flagWord{};
};

// Flags are plain substring tests anywhere in the entry text (the mask
// included); -DESC and -OPTION take the next word or a double-quoted text.
void ParseEntryOptions(std::string_view entryText, EntryOptions& options);
void ParseEntry(std::string_view entryText, ParsedEntry& entry);
ParsedEntry ParseEntry(std::string_view entryText);

}  // namespace brimvel
