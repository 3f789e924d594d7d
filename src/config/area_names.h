#pragma once

#include <string>
#include <string_view>

#include "support/file_system.h"

namespace brimvel {

// Whether the configuration has an area block of that name, in any case:
// the quick first read a run that is asked for one area makes before it
// works anything, so a mistyped name ends it with nothing touched.
// Returns 0 with `found` set, or the code of a failure to read.
int FindAreaBlock(FileSystem& fs, const std::string& configName, std::string_view area,
                  bool& found);

// What a run, a plan and -CHECK say when -AREA names no block; each adds
// what it does then.
std::string AreaMissingText(std::string_view area, std::string_view configName);

}  // namespace brimvel
