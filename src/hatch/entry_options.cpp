#include "hatch/entry_options.h"

#include <algorithm>

#include "support/string_utils.h"

namespace brimvel {

namespace {

// Where the word whose value GetOptionValue takes stands: the first word
// that is the name itself.
std::size_t ValueWordAt(std::string_view name, std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && text[at] == ' ') ++at;
    std::size_t end = std::min(text.find(' ', at), text.size());
    if (SameUpper(text.substr(at, end - at), name)) return at;
    at = end;
  }
  return EntryOptions::kAbsent;
}

std::pair<std::size_t, std::size_t> ValueSpan(std::string_view text, std::size_t at,
                                              std::size_t nameSize) {
  if (at == EntryOptions::kAbsent) return {at, at};
  std::size_t begin = std::min(text.find_first_not_of(' ', at + nameSize), text.size());
  bool quoted = begin < text.size() && text[begin] == '"';
  std::size_t end = text.find(quoted ? '"' : ' ', begin + 1);
  return {begin, end == std::string_view::npos ? text.size() : end + (quoted ? 1 : 0)};
}

}  // namespace

void ParseEntryOptions(std::string_view entryText, EntryOptions& options) {
  // A longer line is written back whole, but only its first 255 characters count.
  const std::string_view text = entryText.substr(0, kLineCapacity);
  const std::string upper = UpperText(text);
  options = EntryOptions();
  bool* flags[] = {&options.stay, &options.deleteFile, &options.anySize, &options.anyCount,
                   &options.hidden};
  for (std::size_t f = 0; f < kEntryFlagNames.size(); ++f) {
    options.flagAt[f] = upper.find(kEntryFlagNames[f]);
    *flags[f] = options.flagAt[f] != EntryOptions::kAbsent;
  }
  GetOptionValue("-DESC", options.desc, text);
  GetOptionValue("-OPTION", options.option, text);
  for (std::size_t k = 0; k < kEntryValueNames.size(); ++k) {
    options.valueAt[k] = ValueWordAt(kEntryValueNames[k], text);
    options.valueSpan[k] = ValueSpan(text, options.valueAt[k], kEntryValueNames[k].size());
  }
}

void ParseEntry(std::string_view entryText, ParsedEntry& entry) {
  entry.text = entryText.substr(0, kLineCapacity);
  const std::string_view text = entry.text;
  entry.mask = FirstWord(text);
  ParseEntryOptions(text, entry.options);
  const EntryOptions& options = entry.options;
  entry.maskEnd = text.find(entry.mask) + entry.mask.size();
  entry.words.clear();
  entry.flagWord = {};
  std::string_view lastValue;
  for (std::size_t at = text.find_first_not_of(' ', entry.maskEnd); at < text.size();
       at = text.find_first_not_of(' ', at)) {
    const std::size_t wordEnd = std::min(text.find(' ', at), text.size());
    std::size_t end = wordEnd;
    std::string_view valueOf;
    for (std::size_t k = 0; k < kEntryValueNames.size(); ++k)
      if (options.InValue(k, at)) {
        end = std::max(end, options.valueSpan[k].second);
        if (text[at] != '"') valueOf = kEntryValueNames[k];
      }
    const std::string upper = UpperText(text.substr(at, wordEnd - at));
    for (std::size_t f = 0; f < kEntryFlagNames.size(); ++f)
      entry.flagWord[f] = entry.flagWord[f] || upper == kEntryFlagNames[f];
    if (valueOf.empty() && end == wordEnd) entry.words.push_back({at, wordEnd - at, lastValue});
    lastValue = valueOf;
    at = end;
  }
}

ParsedEntry ParseEntry(std::string_view entryText) {
  ParsedEntry entry;
  ParseEntry(entryText, entry);
  return entry;
}

}  // namespace brimvel
