#pragma once

#include <string_view>

#include "config/area_record.h"
#include "hatch/entry_options.h"
#include "run/run_context.h"

namespace brimvel {

// Works one DIRECTORY line's entry text: hatches the files not on the area's
// skip list as far as the limits allow, writing a skip line for each.
// True when nothing was hatched.
bool ScanDirectory(RunContext& run, std::string_view entryText, BlockTotals& totals,
                   const AreaRecord& area, EntryOptions& options);

}  // namespace brimvel
