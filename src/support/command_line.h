#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brimvel {

// Splits a command line into words: bytes 0x01-0x20 separate words; a double
// quote opens a quoted part running to the next quote or the end, whose
// blanks belong to the word; the quotes themselves are dropped; a pair of
// quotes at the start of a word is skipped, so no word is ever empty.
std::vector<std::string> SplitCommandLine(std::string_view line);

}  // namespace brimvel
