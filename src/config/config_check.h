#pragma once

#include <string>

#include "support/file_system.h"
#include "support/process_runner.h"
#include "support/text_file.h"

namespace brimvel {

// Reads the configuration once, the way a run reads it, and changes nothing:
// no log, no rewrite, no program started. Writes one line per finding to
// `out` ("file:line: what a run will do with that line"), then a summary
// line, and returns the number of findings.
int CheckConfiguration(FileSystem& fs, ProcessRunner& runner, const std::string& configName,
                       TextFile& out);

}  // namespace brimvel
