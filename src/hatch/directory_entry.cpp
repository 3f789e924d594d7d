#include "hatch/directory_entry.h"

#include <string>
#include <vector>

#include "hatch/file_offer.h"
#include "support/error_text.h"
#include "support/search.h"
#include "support/string_utils.h"

namespace brimvel {

EntryResult ScanDirectory(const HatchContext& context, const ParsedEntry& entry,
                          const SkipList& skips, BlockTotals& totals, const AreaRecord& area) {
  EntryResult result;
  RunLog& log = context.log;
  log.Status(" -> Scaning directory " + entry.text);
  const std::string& mask = entry.mask;
  const EntryOptions& options = entry.options;
  std::string directory(DirectoryPart(mask, context.fs.DirectorySeparators()));
  // Where names ignore case the upper-cased path still names the file;
  // elsewhere it is kept exactly as found.
  const bool upperPaths = context.fs.NamesIgnoreCase();
  const std::string pathDirectory = upperPaths ? UpperText(directory) : directory;

  std::vector<FoundEntry> found;
  result.searchCode = FindFiles(context.fs, mask, found);
  const ListingSkips listed(skips, found);
  for (const FoundEntry& each : found) {
    // A new configuration that can no longer be written would not record
    // what goes out next.
    if (int code = context.out.error(); code != 0) {
      result.outputError = code;
      return result;
    }
    FoundFile file{each.name, pathDirectory + (upperPaths ? UpperWhole(each.name) : each.name),
                   static_cast<std::int64_t>(each.size), &each};
    Offered offered = OfferFile(context, area, options, &listed, file, totals, result);
    // Once the run is asked to stop, the rest is only counted as waiting.
    if (offered == Offered::kInterrupted) continue;
    // A file an earlier entry handed over is listed here too, so that a
    // later run does not offer it through this entry either.
    if (offered == Offered::kHandedOver || offered == Offered::kAlreadyGone)
      result.recorded.push_back(each.name);
    if (offered == Offered::kListed || offered == Offered::kHeldBack ||
        offered == Offered::kAlreadyGone)
      log.Status(Concat("Skipping ", each.name, " [", std::to_string(file.size), "/",
                        std::to_string(totals.hatchedCount), "]"));
  }
  int stop = result.searchCode == 0 ? kNoMoreFiles : result.searchCode;
  log.Line(" <- scanning stop: " + ErrorText(stop, mask));
  // A directory that is missing or unreadable this morning may be back
  // tomorrow: its entry must not vanish for it.
  if (result.SearchFailed())
    log.Error("Entry DIRECTORY " + mask + " kept: " + ErrorText(result.searchCode, mask));
  return result;
}

}  // namespace brimvel
