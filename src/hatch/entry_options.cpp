#include "hatch/entry_options.h"

#include "support/string_utils.h"

namespace brimvel {

void ParseEntryOptions(std::string_view entryText, EntryOptions& options) {
  options = EntryOptions();
  OptionPresent("-STAY", options.stay, entryText);
  OptionPresent("-DELETE", options.deleteFile, entryText);
  OptionPresent("-ANYSIZE", options.anySize, entryText);
  OptionPresent("-ANYCOUNT", options.anyCount, entryText);
  OptionPresent("-HIDDEN", options.hidden, entryText);
  GetOptionValue("-DESC", options.desc, entryText);
  GetOptionValue("-OPTION", options.option, entryText);
}

}  // namespace brimvel
