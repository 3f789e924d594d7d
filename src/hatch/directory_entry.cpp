#include "hatch/directory_entry.h"

#include <string>
#include <vector>

#include "hatch/file_entry.h"
#include "hatch/hatch_command.h"
#include "support/error_text.h"
#include "support/search.h"
#include "support/string_utils.h"

namespace brimvel {

EntryResult ScanDirectory(const HatchContext& context, std::string_view entryText,
                          const SkipList& skips, BlockTotals& totals, const AreaRecord& area,
                          EntryOptions& options) {
  EntryResult result;
  RunLog& log = context.log;
  log.Status(" -> Scaning directory " + ShortString(entryText));
  ParseEntryOptions(entryText, options);
  ShortString mask = FirstWord(entryText);
  std::string directory(DirectoryPart(mask.view(), context.fs.DirectorySeparators()));
  bool upperPaths = context.fs.NamesIgnoreCase();

  std::vector<FoundEntry> found;
  result.searchCode = FindFiles(context.fs, mask.view(), kSearchFiles, found);
  for (const FoundEntry& entry : found) {
    if (context.Interrupted()) {
      result.interrupted = true;
      break;
    }
    if (!SafeToHatch(log, directory, entry.name)) continue;
    std::int64_t size = static_cast<std::int64_t>(entry.size);
    if (!skips.Contains(entry.name) && WithinLimits(area, size, totals, options)) {
      // Where names ignore case the upper-cased path still names the file;
      // elsewhere it is kept exactly as found.
      std::string path =
          upperPaths ? UpperText(directory).str() + UpperWhole(entry.name) : directory + entry.name;
      if (PassOverOwnFile(context, path, size, totals)) continue;
      log.Status(HatchingMessage(ShortString(entry.name).view(), area, totals));
      // Recorded only when its program ran: one that never started handed
      // nothing over.
      if (!CountHandOver(context, result, HatchFile(context, path, area, options), area, path, size,
                         totals))
        continue;
      if (int code = context.out.WriteLine("Skip " + entry.name); code != 0) {
        result.outputError = code;
        return result;
      }
    } else {
      if (!skips.Contains(entry.name))
        CountHeldBack(context, result, area, options,
                      upperPaths ? UpperText(directory).str() + UpperWhole(entry.name)
                                 : directory + entry.name,
                      size);
      log.Status("Skipping " + ShortString(entry.name) + " [" + NumberText(size) + "/" +
                 NumberText(totals.hatchedCount) + "]");
    }
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
