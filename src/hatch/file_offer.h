#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "hatch/area_record.h"
#include "hatch/entry_options.h"
#include "hatch/entry_result.h"
#include "hatch/hatch_context.h"
#include "hatch/skip_list.h"

namespace brimvel {

// What became of one found file offered for hand-over.
enum class Offered {
  kHandedOver,   // its program ran, whatever it ended with (or would, in a dry run)
  kChanged,      // handed over, but a new version took its path meanwhile and waits
  kNotStarted,   // its program could not be started: the file waits for a later run
  kHeldBack,     // the block's limits keep it for a later run
  kListed,       // a skip line records it already
  kAlreadyGone,  // an earlier entry of the block handed it over in this run
  kRefused,      // it cannot be handed over as it stands (see SafeToHatch, IsOwnFile)
  kInterrupted,  // the run was asked to stop before it
};

// One file as an entry found it.
struct FoundFile {
  std::string_view name;  // as the search delivered it; shown in the log
  std::string path;       // as it is handed over
  std::int64_t size = 0;
  const FoundEntry* listed = nullptr;  // as the search listed it; none for a stand-in
};

// Offers one found file: the stop request, its name, the skip list (when
// `skips` is given), the limits, the run's own configuration, then the
// hand-over itself. What became of it is counted in `result` and told to
// the observer.
Offered OfferFile(const HatchContext& context, const AreaRecord& area, const EntryOptions& options,
                  const ListingSkips* skips, const FoundFile& file, BlockTotals& totals,
                  EntryResult& result);

// Whether one more file of this size fits the block's limits; an admitted
// file is counted at once.
bool WithinLimits(const AreaRecord& area, std::int64_t size, BlockTotals& totals,
                  const EntryOptions& options);

// The "Hatching" progress message, with the count and size parts the limits ask for.
std::string HatchingMessage(std::string_view name, const AreaRecord& area,
                            const BlockTotals& totals);

// A found name is hatched only when it can stand in a configuration line and
// on a command line unchanged: no control bytes, no double quote, and a full
// path that fits a text. Otherwise the reason is logged and false returned.
bool SafeToHatch(RunLog& log, std::string_view path, std::string_view name);

}  // namespace brimvel
