#include "support/search.h"

#include <algorithm>
#include <string>
#include <utility>

#include "support/string_utils.h"

namespace brimvel {

bool MaskMatches(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") return true;
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

namespace {

// From a pair of prefixes that some text matches, the longer pairs it reaches.
void ReachFrom(std::vector<std::vector<char>>& reach, std::string_view a, std::string_view b,
               std::size_t i, std::size_t j) {
  bool starA = i < a.size() && a[i] == '*', starB = j < b.size() && b[j] == '*';
  if (starA) reach[i + 1][j] = 1;  // a star that matches nothing
  if (starB) reach[i][j + 1] = 1;
  if (i == a.size() || j == b.size()) return;
  if (starA) reach[i][j + 1] = 1;  // a star that takes the other's next character
  if (starB) reach[i + 1][j] = 1;
  if (a[i] == '?' || b[j] == '?' || UpperChar(a[i]) == UpperChar(b[j])) reach[i + 1][j + 1] = 1;
}

}  // namespace

bool MasksMeet(std::string_view a, std::string_view b) {
  if (a == "*.*") a = "*";
  if (b == "*.*") b = "*";
  // reach[i][j]: some text matches both a[0, i) and b[0, j).
  std::vector<std::vector<char>> reach(a.size() + 1, std::vector<char>(b.size() + 1, 0));
  reach[0][0] = 1;
  for (std::size_t i = 0; i <= a.size(); ++i)
    for (std::size_t j = 0; j <= b.size(); ++j)
      if (reach[i][j] != 0) ReachFrom(reach, a, b, i, j);
  return reach[a.size()][b.size()] != 0;
}

void SortAsListed(std::vector<FoundEntry>& entries) {
  std::vector<std::pair<std::string, std::size_t>> keys;
  keys.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) keys.emplace_back(UpperText(entries[i].name), i);
  std::sort(keys.begin(), keys.end(), [&entries](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    return entries[a.second].name < entries[b.second].name;
  });
  std::vector<FoundEntry> sorted;
  sorted.reserve(entries.size());
  for (const auto& key : keys) sorted.push_back(std::move(entries[key.second]));
  entries = std::move(sorted);
}

std::string_view DirectoryPart(std::string_view path, std::string_view separators) {
  std::size_t end = path.size();
  while (end > 0 && separators.find(path[end - 1]) == std::string_view::npos) --end;
  return path.substr(0, end);
}

int FindFiles(FileSystem& fs, std::string_view pattern, std::vector<FoundEntry>& found) {
  found.clear();
  std::string_view directory = DirectoryPart(pattern, fs.DirectorySeparators());
  std::string_view namePattern = pattern.substr(directory.size());
  std::vector<FoundEntry> entries;
  if (int code = fs.List(std::string(directory), entries); code != 0) return code;
  bool anyMatch = false;
  for (FoundEntry& entry : entries) {
    if (!MaskMatches(namePattern, entry.name)) continue;
    anyMatch = true;
    if ((entry.attributes & kAttrDirectory) == 0) found.push_back(std::move(entry));
  }
  if (!anyMatch) return kFileNotFound;
  return found.empty() ? kNoMoreFiles : 0;
}

}  // namespace brimvel
