#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "config/config_merge.h"
#include "hatch/hatch_context.h"
#include "support/clock.h"

namespace brimvel {

// What the pass has done so far, over all blocks.
struct PassTotals {
  std::int32_t areas = 0;       // blocks met
  std::int32_t handedOver = 0;  // programs started (or shown, in a dry run)
  std::int64_t bytes = 0;
  std::int32_t heldBack = 0;  // files found but refused by the limits
  std::int32_t notStarted = 0;
  std::int32_t failed = 0;
  std::int32_t dropped = 0;         // entry lines left out of the new configuration
  std::int32_t searchFailures = 0;  // entries kept because their search failed
  std::int32_t refused = 0;         // files that cannot be handed over as they stand
  bool areaFound = false;           // a block had the name -AREA asked for
  int interruption = 0;             // the signal that stopped the hand-overs, 0 when none

  // Whether anything went wrong that a scheduler should hear of.
  bool AnyFailure() const {
    return notStarted > 0 || failed > 0 || searchFailures > 0 || refused > 0;
  }
};

// Everything a pass works with. `out` is the new configuration.
struct PassContext {
  FileSystem& fs;
  ProcessRunner& runner;
  const Clock& clock;
  RunLog& log;
  TextWriter& out;
  HatchSettings settings;
  std::string areaFilter;  // -AREA: work only this area, whatever its schedule
  PassTotals totals;
  // The signal that asked the run to stop, 0 while none.
  std::function<int()> interruption = {};
  HatchObserver* observer = nullptr;
  bool everyAreaDue = false;  // without -AREA, every block is worked as if due (a plan's last look)
  RunRecord record = {};      // the entry lines changed so far
};

}  // namespace brimvel
