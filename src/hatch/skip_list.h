#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "support/text_file.h"

namespace brimvel {

// The skip lines of one area block, read once from the configuration as it
// stood when the run began (this run's own skip lines go to the temporary
// file and count from the next run on).
struct SkipList {
  std::int32_t blockNumber = 0;           // 0: nothing loaded yet
  bool readable = false;                  // false: every name counts as listed
  std::unordered_set<std::string> names;  // upper-cased
};

// True when the upper-cased name may be hatched: the list could be read and
// does not hold it. Loads the block's list on the first question per block.
bool NotOnSkipList(SkipList& list, std::string_view configName, std::int32_t blockNumber,
                   std::string_view upperName);

// Reads forward past the n-th line that opens an area block, counting only
// AREA lines outside a block as the configuration pass does; true when lines
// remain after it.
bool SeekArea(TextFile& reader, std::int32_t n);
// The next line that is not empty, or the empty text when only empty lines
// remain; `whole` receives the line however long.
void ReadNonEmptyLine(TextFile& reader, std::string& whole);

// Whole-line upper-casing, for names longer than a short text holds.
std::string UpperWhole(std::string_view text);

}  // namespace brimvel
