#pragma once

#include <functional>
#include <string>

#include "config/pass_context.h"

namespace brimvel {

inline constexpr const char* kTempName = "brimvel.tmp";
// Added to the configuration's name for a run's version that could not
// replace it because the operator changed it meanwhile.
inline constexpr const char* kUnmergedSuffix = ".unmerged";
// Added to the configuration's name for the operator's version with the
// run's record applied, while it is written.
inline constexpr const char* kMergingSuffix = ".merging";

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
// `dayWorked` tells whether today's work has been done meanwhile. `config`
// is opened by its real name (links followed); `shownName` is the name the
// run was given, for the log. When the operator saved the configuration
// while the run worked it, the run's record is applied to that version,
// written to `merged`, which then stays open as `temp` would.
PassOutcome ConfigPass(PassContext& pass, TextReader& config, TextWriter& temp, TextWriter& merged,
                       const std::string& shownName, bool forced,
                       const std::function<bool()>& dayWorked);

// Where the rewritten copy is written: beside the configuration.
std::string TempNameFor(std::string_view configName, std::string_view separators);

}  // namespace brimvel
