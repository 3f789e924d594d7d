#include "hatch/file_entry.h"

#include <string>
#include <vector>

#include "hatch/file_offer.h"
#include "support/error_text.h"
#include "support/search.h"
#include "support/string_utils.h"

namespace brimvel {

EntryResult HatchFileEntry(const HatchContext& context, const ParsedEntry& entry,
                           BlockTotals& totals, const AreaRecord& area) {
  EntryResult result;
  RunLog& log = context.log;
  const std::string& mask = entry.mask;
  const EntryOptions& options = entry.options;
  std::string directory(DirectoryPart(mask, context.fs.DirectorySeparators()));

  std::vector<FoundEntry> found;
  result.searchCode = FindFiles(context.fs, mask, found);
  if (result.searchCode != 0) {
    log.Begin("Error while searching for " + mask);
    if (!options.hidden) {
      log.End(", aborting...");
      if (result.SearchFailed())
        log.Error("Entry FILE " + mask + " kept: " + ErrorText(result.searchCode, mask));
      return result;
    }
    log.End(", but we'll continue..");
    // The mask itself stands in for the one file found.
    OfferFile(context, area, options, nullptr, FoundFile{mask, mask, 0}, totals, result);
    return result;
  }

  for (std::size_t i = 0; i < found.size(); ++i) {
    FoundFile file{found[i].name, directory + found[i].name,
                   static_cast<std::int64_t>(found[i].size), &found[i]};
    Offered offered = OfferFile(context, area, options, nullptr, file, totals, result);
    if (offered == Offered::kInterrupted) {
      for (std::size_t rest = i; rest < found.size(); ++rest) {
        result.waiting.push_back(directory + found[rest].name);
        // The observer heard of the first from OfferFile; the rest wait too.
        if (rest > i && context.observer != nullptr)
          context.observer->Waiting(area, directory + found[rest].name,
                                    static_cast<std::int64_t>(found[rest].size),
                                    WaitReason::kInterrupted);
      }
      break;
    }
    if (offered != Offered::kHandedOver && offered != Offered::kAlreadyGone)
      result.waiting.push_back(file.path);
    // -HIDDEN takes only the first file the search finds.
    if (options.hidden) break;
  }
  return result;
}

}  // namespace brimvel
