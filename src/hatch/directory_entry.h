#pragma once

#include "hatch/area_record.h"
#include "hatch/entry_options.h"
#include "hatch/entry_result.h"
#include "hatch/hatch_context.h"
#include "hatch/skip_list.h"

namespace brimvel {

// Works one DIRECTORY line's parsed entry: hands over the files the skip
// list does not hold as far as the limits allow. The names handed over come
// back in `recorded`, for the block to list.
EntryResult ScanDirectory(const HatchContext& context, const ParsedEntry& entry,
                          const SkipList& skips, BlockTotals& totals, const AreaRecord& area);

}  // namespace brimvel
