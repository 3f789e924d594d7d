#pragma once

#include <cstdint>

#include "hatch/skip_list.h"
#include "support/run_log.h"
#include "support/short_string.h"
#include "support/text_file.h"

namespace brimvel {

// Everything one run owns, passed by reference to the procedures that need
// it instead of living in globals.
struct RunContext {
  // From the command line.
  ShortString configName = "brimvel.cfg";
  ShortString areaFilter;
  ShortString commandLine;
  bool forced = false;  // "-D": work even on a day already worked
  bool dryRun = false;  // "-N": decide everything, change nothing, start nothing

  RunLog log;

  // The configuration pass.
  TextFile configFile;
  TextFile tempFile;
  ShortString postProg;
  ShortString appendDesc;
  std::int32_t areaCounter = 0;
  SkipList skipList;
};

}  // namespace brimvel
