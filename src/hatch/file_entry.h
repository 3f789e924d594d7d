#pragma once

#include <string_view>

#include "hatch/area_record.h"
#include "hatch/entry_options.h"
#include "hatch/entry_result.h"
#include "hatch/hatch_context.h"

namespace brimvel {

// Works one FILE line's entry text with its parsed options.
EntryResult HatchFileEntry(const HatchContext& context, std::string_view entryText,
                           const EntryOptions& options, BlockTotals& totals,
                           const AreaRecord& area);

}  // namespace brimvel
