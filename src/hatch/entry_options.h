#pragma once

#include <string_view>

#include "support/short_string.h"

namespace brimvel {

// The options of one DIRECTORY or FILE line, refilled at every entry line.
struct EntryOptions {
  bool stay = false;
  bool deleteFile = false;
  bool anySize = false;
  bool anyCount = false;
  bool hidden = false;
  ShortString desc;
  ShortString option;
};

// Flags are plain substring tests anywhere in the entry text (the mask
// included); -DESC and -OPTION take the next word or a double-quoted text.
void ParseEntryOptions(std::string_view entryText, EntryOptions& options);

}  // namespace brimvel
