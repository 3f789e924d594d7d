#include "hatch/file_entry.h"

#include "hatch/hatch_command.h"
#include "support/io_error.h"
#include "support/platform.h"
#include "support/search.h"
#include "support/string_utils.h"

namespace brimvel {

ShortString DirectoryPart(std::string_view path) {
  std::string_view separators = platform::DirectorySeparators();
  std::size_t end = path.size();
  while (end > 0 && separators.find(path[end - 1]) == std::string_view::npos) --end;
  return path.substr(0, end);
}

bool WithinLimits(const AreaRecord& area, std::int64_t size, BlockTotals& totals,
                  const EntryOptions& options) {
  if (area.countLimit != 0 && !options.anyCount &&
      static_cast<std::int64_t>(totals.hatchedCount) + 1 > area.countLimit)
    return false;
  std::int64_t sum = totals.hatchedBytes + size;
  if (!(area.sizeLimit == 0 || sum <= area.sizeLimit || options.anySize)) return false;
  totals.hatchedBytes = sum;
  totals.hatchedCount += 1;
  return true;
}

ShortString HatchingMessage(std::string_view name, const AreaRecord& area,
                            const BlockTotals& totals) {
  ShortString message = "Hatching " + ShortString(name);
  if (area.countLimit != 0)
    message =
        message + ", #" + NumberText(totals.hatchedCount) + " of " + NumberText(area.countLimit);
  if (area.sizeLimit != 0)
    message =
        message + " (" + NumberText(totals.hatchedBytes) + "/" + NumberText(area.sizeLimit) + ")";
  return message;
}

bool SafeToHatch(RunContext& run, std::string_view directory, std::string_view name) {
  bool plain = true;
  std::string shown(name);
  for (char& c : shown) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x20 || c == '"') {
      plain = false;
      c = '?';  // never put the byte itself into the log
    }
  }
  if (!plain) {
    LogError(run.log, "Name " + ShortString(shown) +
                          " holds a control character or a double quote, passed over");
    return false;
  }
  if (directory.size() + name.size() > ShortString::kCapacity) {
    LogError(run.log,
             "Path of " + ShortString(shown) + " is longer than 255 characters, passed over");
    return false;
  }
  return true;
}

bool HatchFileEntry(RunContext& run, std::string_view entryText, BlockTotals& totals,
                    const AreaRecord& area, EntryOptions& options) {
  bool result = false;
  ShortString mask = FirstWord(entryText);
  ParseEntryOptions(entryText, options);
  ShortString directory = DirectoryPart(mask);

  SearchRecord record;
  SearchFirst(mask, kSearchFiles, record);
  bool fromSearch = true;
  if (OsStatus() != 0) {
    LogBegin(run.log, "Error while searching for " + mask);
    if (!options.hidden) {
      LogEnd(run.log, ", aborting...");
      return false;
    }
    LogEnd(run.log, ", but we'll continue..");
    // The mask itself stands in for the one file found.
    fromSearch = false;
    record.name = mask;
    record.fullName = mask.str();
    record.size = 0;
  }

  for (;;) {
    if (!fromSearch || SafeToHatch(run, directory, record.fullName)) {
      if (WithinLimits(area, static_cast<std::int64_t>(record.size), totals, options)) {
        LogStatus(run.log, HatchingMessage(record.name, area, totals));
        std::string path = fromSearch ? directory.str() + record.fullName : mask.str();
        HatchFile(run, path, area, options);
        result = true;
      }
    }
    if (options.hidden || !fromSearch) break;
    SearchNext(record);
    if (OsStatus() != 0) break;
  }
  return result;
}

}  // namespace brimvel
