#pragma once

#include <string>
#include <vector>

#include "support/short_string.h"

namespace brimvel {

// What the command line asks for.
struct RunOptions {
  ShortString configName = "brimvel.cfg";
  ShortString areaFilter;
  bool forced = false;  // "-D": work even on a day already worked
  bool dryRun = false;  // "-N": decide everything, change nothing, start nothing
  bool check = false;   // "-CHECK": report the configuration's traps
  bool help = false;
  bool version = false;
};

RunOptions ReadRunOptions(const std::vector<std::string>& parameters);

}  // namespace brimvel
