#pragma once

#include <string>

#include "run/run_once.h"

namespace brimvel {

// "--edit": the operator's editor on a copy of the configuration, under the
// run lock; the checker on the saved copy, with the offer to edit again;
// the copy installed in one step with the original's owner and mode.
// Returns the exit code.
int EditConfiguration(const RunEnvironment& env, const std::string& configName);

}  // namespace brimvel
