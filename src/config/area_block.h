#pragma once

#include <cstdint>
#include <string_view>

#include "run/run_context.h"

namespace brimvel {

// Works one area block, from the line after its AREA line up to and
// including its END line (or the end of the file), copying each line it
// keeps to the temporary file.
void ProcessAreaBlock(RunContext& run, std::string_view areaText);

// For a line whose first word is the keyword (followed by a blank): the
// limit becomes the number behind it, 0 when that is no number.
void ApplyLimitLine(std::string_view line, std::int32_t& limit, std::string_view keyword);

}  // namespace brimvel
