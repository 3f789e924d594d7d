#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "hatch/area_record.h"
#include "hatch/entry_options.h"
#include "hatch/entry_result.h"
#include "hatch/hatch_command.h"
#include "hatch/hatch_context.h"

namespace brimvel {

// Works one FILE line's entry text.
EntryResult HatchFileEntry(const HatchContext& context, std::string_view entryText,
                           BlockTotals& totals, const AreaRecord& area, EntryOptions& options);

// Whether one more file of this size fits the block's limits; an admitted
// file is counted at once.
bool WithinLimits(const AreaRecord& area, std::int64_t size, BlockTotals& totals,
                  const EntryOptions& options);

// The "Hatching" progress message, with the count and size parts the limits ask for.
ShortString HatchingMessage(std::string_view name, const AreaRecord& area,
                            const BlockTotals& totals);

// A found name is hatched only when it can stand in a configuration line and
// on a command line unchanged: no control bytes, no double quote, and a full
// path that fits a text. Otherwise the reason is logged and false returned.
bool SafeToHatch(RunLog& log, std::string_view directory, std::string_view name);

// Adds one hand-over to the entry's result. A program that never started
// handed nothing over: the file is taken off the block's totals again, so it
// neither counts against the limits nor gets recorded. Returns whether the
// file counts as handed over.
bool CountHandOver(const HatchContext& context, EntryResult& result, HandOver handOver,
                   const AreaRecord& area, std::string_view path, std::int64_t size,
                   BlockTotals& totals);

// A file the limits admitted that turns out to be the run's own
// configuration is passed over, with an [err] line, and taken off the
// block's totals again. True when it was passed over.
bool PassOverOwnFile(const HatchContext& context, const std::string& path, std::int64_t size,
                     BlockTotals& totals);

// Counts a file the limits kept back for a later run.
void CountHeldBack(const HatchContext& context, EntryResult& result, const AreaRecord& area,
                   const EntryOptions& options, std::string_view path, std::int64_t size);

}  // namespace brimvel
