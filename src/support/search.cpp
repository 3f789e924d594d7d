#include "support/search.h"

#include "support/io_error.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

constexpr std::uint8_t kExcludable =
    kAttrHidden | kAttrSystem | kAttrVolume | kAttrDirectory | kAttrArchive;

bool Admitted(std::uint8_t attributes, std::uint8_t mask) {
  // Read-only never excludes; any other attribute missing from the mask does.
  return (attributes & kExcludable & ~mask) == 0;
}

void Deliver(SearchRecord& record) {
  while (record.next < record.entries.size()) {
    const platform::FoundEntry& entry = record.entries[record.next++];
    if (!Admitted(entry.attributes, record.mask)) continue;
    record.attributes = entry.attributes;
    record.time = entry.time;
    record.size = entry.size;
    record.name = ShortString(entry.name);
    record.fullName = entry.name;
    SetOsStatus(0);
    return;
  }
  record.entries.clear();
  record.next = 0;
  SetOsStatus(platform::kNoMoreFiles);
}

bool MatchFrom(std::string_view pattern, std::string_view name) {
  // Iterative wildcard match with single-star backtracking.
  std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    // A '*' in the mask is always a wildcard, also where the name holds one.
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || UpperChar(pattern[p]) == UpperChar(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool MaskMatches(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") return true;
  return MatchFrom(pattern, name);
}

void SearchFirst(std::string_view pattern, std::uint8_t mask, SearchRecord& record) {
  record.entries.clear();
  record.next = 0;
  record.mask = mask;
  int code = platform::FindEntries(std::string(pattern), record.entries);
  if (code != 0) {
    record.entries.clear();
    SetOsStatus(code);
    return;
  }
  Deliver(record);
}

void SearchNext(SearchRecord& record) { Deliver(record); }

}  // namespace brimvel
