#pragma once

#include "hatch/area_record.h"
#include "hatch/entry_options.h"
#include "hatch/entry_result.h"
#include "hatch/hatch_context.h"

namespace brimvel {

// Works one FILE line's parsed entry.
EntryResult HatchFileEntry(const HatchContext& context, const ParsedEntry& entry,
                           BlockTotals& totals, const AreaRecord& area);

}  // namespace brimvel
