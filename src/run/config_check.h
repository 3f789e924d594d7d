#pragma once

#include <string_view>

#include "support/text_file.h"

namespace brimvel {

// Reads the configuration once, changes nothing, and writes one line per
// trap found ("file:line: what the run will do with it") and a summary to
// `out`. Returns the number of findings.
int CheckConfiguration(std::string_view configName, TextFile& out);

}  // namespace brimvel
