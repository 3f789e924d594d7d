#pragma once

#include <functional>
#include <string>

#include "config/area_block.h"

namespace brimvel {

inline constexpr const char* kTempName = "brimvel.tmp";

enum class PassResult {
  kDone,           // the configuration has been rewritten (or, in a dry run, read through)
  kLocked,         // another run works this configuration; nothing was changed
  kAlreadyWorked,  // another run finished today's work while this one started
  kFailed,         // reading or writing failed; `error` says how
};

struct PassOutcome {
  PassResult result = PassResult::kDone;
  int error = 0;
};

// Reads the open configuration once, hands area blocks to ProcessAreaBlock,
// and replaces the configuration with the rewritten copy in one step. `temp`
// names the copy; it stays open, and so locked, after a rewrite: a run that
// starts while this one is still ending must see it as working.
// `dayWorked` tells whether today's work has been done meanwhile.
PassOutcome ConfigPass(PassContext& pass, TextFile& config, TextFile& temp, bool forced,
                       const std::function<bool()>& dayWorked);

// Where the rewritten copy is written: beside the configuration.
std::string TempNameFor(std::string_view configName, std::string_view separators);

}  // namespace brimvel
