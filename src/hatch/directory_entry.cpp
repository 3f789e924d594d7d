#include "hatch/directory_entry.h"

#include <string>

#include "hatch/file_entry.h"
#include "hatch/hatch_command.h"
#include "hatch/skip_list.h"
#include "support/error_text.h"
#include "support/io_error.h"
#include "support/platform.h"
#include "support/search.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

// A skip line cannot hold a name that begins with a blank (the blanks after
// "Skip" are passed over when it is read), so such a file would be handed
// over again in every run.
bool Recordable(RunContext& run, std::string_view name) {
  if (name.empty() || name.front() != ' ') return true;
  LogError(run.log, "Name '" + ShortString(name) +
                        "' begins with a blank and cannot be recorded, passed over");
  return false;
}

}  // namespace

bool ScanDirectory(RunContext& run, std::string_view entryText, BlockTotals& totals,
                   const AreaRecord& area, EntryOptions& options) {
  bool nothingHatched = true;
  LogStatus(run.log, " -> Scaning directory " + ShortString(entryText));
  ParseEntryOptions(entryText, options);
  ShortString mask = FirstWord(entryText);
  ShortString directory = DirectoryPart(mask);
  bool upperPaths = platform::NamesIgnoreCase();

  SearchRecord record;
  SearchFirst(mask, kSearchFiles, record);
  while (OsStatus() == 0) {
    if (SafeToHatch(run, directory, record.fullName) && Recordable(run, record.fullName)) {
      std::int64_t size = static_cast<std::int64_t>(record.size);
      if (NotOnSkipList(run.skipList, run.configName, area.number, UpperWhole(record.fullName)) &&
          WithinLimits(area, size, totals, options)) {
        LogStatus(run.log, HatchingMessage(record.name, area, totals));
        // Where names ignore case the upper-cased path still names the file;
        // elsewhere it is kept exactly as found.
        std::string path = upperPaths ? UpperText(directory).str() + UpperWhole(record.fullName)
                                      : directory.str() + record.fullName;
        HatchFile(run, path, area, options);
        nothingHatched = false;
        WriteLine(run.tempFile, "Skip " + record.fullName);
        StrictCheck();
      } else {
        LogStatus(run.log, "Skipping " + record.name + " [" + NumberText(size) + "/" +
                               NumberText(totals.hatchedCount) + "]");
      }
    }
    SearchNext(record);
  }
  LogLine(run.log, " <- scanning stop: " + ErrorText(OsStatus(), mask));
  return nothingHatched;
}

}  // namespace brimvel
