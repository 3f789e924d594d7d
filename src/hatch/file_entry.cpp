#include "hatch/file_entry.h"

#include <vector>

#include "support/error_text.h"
#include "support/search.h"
#include "support/string_utils.h"

namespace brimvel {

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

bool SafeToHatch(RunLog& log, std::string_view directory, std::string_view name) {
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
    log.Error("Name " + ShortString(shown) +
              " holds a control character or a double quote, passed over");
    return false;
  }
  if (directory.size() + name.size() > ShortString::kCapacity) {
    log.Error("Path of " + ShortString(shown) + " is longer than 255 characters, passed over");
    return false;
  }
  return true;
}

bool PassOverOwnFile(const HatchContext& context, const std::string& path, std::int64_t size,
                     BlockTotals& totals) {
  if (!context.IsOwnFile(path)) return false;
  totals.hatchedCount -= 1;
  totals.hatchedBytes -= size;
  context.log.Error(" -> " + ShortString(path) + " is this run's own configuration, passed over");
  return true;
}

void CountHeldBack(const HatchContext& context, EntryResult& result, const AreaRecord& area,
                   const EntryOptions& options, std::string_view path, std::int64_t size) {
  result.heldBack += 1;
  if (context.observer != nullptr)
    context.observer->HeldBack(area, path, size,
                               area.sizeLimit != 0 && !options.anySize && size > area.sizeLimit);
}

bool CountHandOver(const HatchContext& context, EntryResult& result, HandOver handOver,
                   const AreaRecord& area, std::string_view path, std::int64_t size,
                   BlockTotals& totals) {
  if (handOver == HandOver::kNotStarted || handOver == HandOver::kNotRun) {
    totals.hatchedCount -= 1;
    totals.hatchedBytes -= size;
    result.notStarted += 1;
    // The reason first: a long path must not cut it off.
    context.log.Error(" -> Not handed over, not recorded, its entry stays: " + ShortString(path));
    return false;
  }
  result.handedOver += 1;
  result.bytes += size;
  if (handOver == HandOver::kFailed) result.failed += 1;
  if (context.observer != nullptr) context.observer->HandedOver(area, path, size);
  return true;
}

EntryResult HatchFileEntry(const HatchContext& context, std::string_view entryText,
                           BlockTotals& totals, const AreaRecord& area, EntryOptions& options) {
  EntryResult result;
  RunLog& log = context.log;
  ShortString mask = FirstWord(entryText);
  ParseEntryOptions(entryText, options);
  std::string directory(DirectoryPart(mask.view(), context.fs.DirectorySeparators()));

  std::vector<FoundEntry> found;
  result.searchCode = FindFiles(context.fs, mask.view(), kSearchFiles, found);
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
    if (context.Interrupted()) {
      result.interrupted = true;
    } else if (WithinLimits(area, 0, totals, options)) {
      if (PassOverOwnFile(context, mask.str(), 0, totals)) return result;
      log.Status(HatchingMessage(mask.view(), area, totals));
      CountHandOver(context, result, HatchFile(context, mask.view(), area, options), area,
                    mask.view(), 0, totals);
    } else {
      CountHeldBack(context, result, area, options, mask.view(), 0);
    }
    return result;
  }

  for (const FoundEntry& entry : found) {
    if (context.Interrupted()) {
      result.interrupted = true;
      break;
    }
    if (SafeToHatch(log, directory, entry.name)) {
      std::int64_t size = static_cast<std::int64_t>(entry.size);
      if (WithinLimits(area, size, totals, options)) {
        std::string path = directory + entry.name;
        if (!PassOverOwnFile(context, path, size, totals)) {
          log.Status(HatchingMessage(ShortString(entry.name).view(), area, totals));
          CountHandOver(context, result, HatchFile(context, path, area, options), area, path, size,
                        totals);
        }
      } else {
        CountHeldBack(context, result, area, options, directory + entry.name, size);
      }
    }
    // -HIDDEN takes only the first file the search finds.
    if (options.hidden) break;
  }
  return result;
}

}  // namespace brimvel
