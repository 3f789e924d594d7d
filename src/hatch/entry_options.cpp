#include "hatch/entry_options.h"

#include "support/string_utils.h"

namespace brimvel {

void ParseEntryOptions(std::string_view entryText, EntryOptions& options) {
  // A longer line is written back whole, but only its first 255 characters count.
  const ShortString text(entryText);
  options = EntryOptions();
  OptionPresent("-STAY", options.stay, text);
  OptionPresent("-DELETE", options.deleteFile, text);
  OptionPresent("-ANYSIZE", options.anySize, text);
  OptionPresent("-ANYCOUNT", options.anyCount, text);
  OptionPresent("-HIDDEN", options.hidden, text);
  GetOptionValue("-DESC", options.desc, text);
  GetOptionValue("-OPTION", options.option, text);
}

}  // namespace brimvel
