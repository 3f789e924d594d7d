#include "hatch/file_offer.h"

#include "hatch/hatch_command.h"
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

std::string HatchingMessage(std::string_view name, const AreaRecord& area,
                            const BlockTotals& totals) {
  std::string message = Concat("Hatching ", name);
  if (area.countLimit != 0)
    message +=
        Concat(", #", std::to_string(totals.hatchedCount), " of ", std::to_string(area.countLimit));
  if (area.sizeLimit != 0)
    message +=
        Concat(" (", std::to_string(totals.hatchedBytes), "/", std::to_string(area.sizeLimit), ")");
  return message;
}

bool SafeToHatch(RunLog& log, std::string_view path, std::string_view name) {
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
    log.Error(Concat("Name ", shown, " holds a control character or a double quote, passed over"));
    return false;
  }
  if (path.size() > kLineCapacity) {
    log.Error(Concat("Path of ", shown, " is longer than 255 characters, passed over"));
    return false;
  }
  return true;
}

namespace {

// Whether an earlier entry of the block handed this file over; `remember`
// notes it as handed over now.
bool HandedOverBefore(BlockTotals& totals, const FoundFile& file, bool remember) {
  if (file.listed != nullptr && file.listed->fileIndex != 0) {
    auto key = std::make_pair(file.listed->device, file.listed->fileIndex);
    return remember ? !totals.filesHandedOver.insert(key).second
                    : totals.filesHandedOver.count(key) != 0;
  }
  return remember ? !totals.pathsHandedOver.insert(file.path).second
                  : totals.pathsHandedOver.count(file.path) != 0;
}

// What a hand-over came to: counted, recorded, and told to the observer.
Offered Outcome(const HatchContext& context, const AreaRecord& area, const FoundFile& file,
                HandOver handOver, BlockTotals& totals, EntryResult& result) {
  if (handOver == HandOver::kNotStarted || handOver == HandOver::kNotRun) {
    // A program that never started handed nothing over: the file neither
    // counts against the limits nor gets recorded.
    totals.hatchedCount -= 1;
    totals.hatchedBytes -= file.size;
    result.notStarted += 1;
    if (context.observer != nullptr)
      context.observer->HandOverFailed(area, file.path, file.size, false);
    // The reason first: a long path must not cut it off.
    context.log.Error(Concat(" -> Not handed over, not recorded, its entry stays: ", file.path));
    return Offered::kNotStarted;
  }
  HandedOverBefore(totals, file, true);
  result.handedOver += 1;
  result.bytes += file.size;
  // A file that went out but could not be deleted stays recorded; the
  // failure is still one.
  if (handOver == HandOver::kFailed || handOver == HandOver::kNotDeleted) result.failed += 1;
  if (context.observer != nullptr) {
    // Handed over means its program ended with 0; one that ended otherwise failed.
    if (handOver == HandOver::kFailed) {
      context.observer->HandOverFailed(area, file.path, file.size, true);
    } else {
      context.observer->HandedOver(area, file.path, file.size);
    }
  }
  return handOver == HandOver::kChanged ? Offered::kChanged : Offered::kHandedOver;
}

}  // namespace

Offered OfferFile(const HatchContext& context, const AreaRecord& area, const EntryOptions& options,
                  const ListingSkips* skips, const FoundFile& file, BlockTotals& totals,
                  EntryResult& result) {
  if (context.Interrupted()) {
    // What the stop leaves behind waits for the next run.
    result.interrupted = true;
    if (context.observer != nullptr && (skips == nullptr || !skips->Contains(file.name)))
      context.observer->Waiting(area, file.path, file.size, WaitReason::kInterrupted);
    return Offered::kInterrupted;
  }
  if (!SafeToHatch(context.log, file.path, file.name)) {
    result.refused += 1;
    return Offered::kRefused;
  }
  if (skips != nullptr && skips->Contains(file.name)) return Offered::kListed;
  if (HandedOverBefore(totals, file, false)) {
    result.alreadyGone += 1;
    return Offered::kAlreadyGone;
  }
  if (!WithinLimits(area, file.size, totals, options)) {
    result.heldBack += 1;
    if (context.observer != nullptr)
      context.observer->Waiting(
          area, file.path, file.size,
          area.sizeLimit != 0 && !options.anySize && file.size > area.sizeLimit
              ? WaitReason::kNever
              : WaitReason::kHeldBack);
    return Offered::kHeldBack;
  }
  // Handing over the configuration this run reads or writes, let alone
  // deleting it, would lose the record of the run.
  if (context.IsOwnFile(file.path)) {
    totals.hatchedCount -= 1;
    totals.hatchedBytes -= file.size;
    context.log.Error(Concat(" -> ", file.path, " is this run's own configuration, passed over"));
    result.refused += 1;
    return Offered::kRefused;
  }
  context.log.Status(HatchingMessage(file.name, area, totals));
  return Outcome(context, area, file, HatchFile(context, file.path, area, options, file.listed),
                 totals, result);
}

}  // namespace brimvel
