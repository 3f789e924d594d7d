#pragma once

#include <string_view>

#include "config/config_line.h"
#include "config/pass_context.h"
#include "hatch/entry_result.h"
#include "support/clock.h"

namespace brimvel {

// Whether a block is worked from its AREA line on: the block -AREA names,
// whatever its schedule; without -AREA, a block whose schedule is due today.
bool AreaWorked(const ConfigLine& areaLine, std::string_view areaFilter, const DateParts& today);

// The one keep rule: whether an entry line worked with this result stays
// in the new configuration.
bool EntryStays(LineKind kind, const EntryResult& result, const EntryOptions& options);

// Copies a line unchanged to the new configuration: in one step when it
// already ends the way the new configuration ends its lines. Returns the
// new configuration's state.
int CopyLine(TextWriter& out, const ConfigLine& line);

// Works one area block, from the line after its AREA line up to and
// including its END line (or the end of the file), copying each line it
// keeps to the new configuration. A block that is worked is read to its
// END first, so its skip lines are known before its entries are worked.
// Returns 0, or the code of a failure to read or write.
int ProcessAreaBlock(PassContext& pass, ConfigReader& reader, const ConfigLine& areaLine);

}  // namespace brimvel
