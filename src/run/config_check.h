#pragma once

#include <string_view>

#include "support/text_file.h"

namespace brimvel {

// Reads the configuration once, the way a run reads it, and changes nothing:
// no log, no rewrite, no program started. Writes one line per finding to
// `out` ("file:line: what a run will do with that line"), then a summary
// line, and returns the number of findings.
int CheckConfiguration(std::string_view configName, TextFile& out);

}  // namespace brimvel
