#pragma once

#include "run/run_once.h"
#include "run/run_options.h"

namespace brimvel {

// Shows, touching nothing, which file goes out on which of the coming days
// and what never will: the real pass is run once a simulated day against
// an in-memory copy of the configuration and of the files its entries
// name. Returns the exit code.
int RunPlan(const RunEnvironment& env, const RunOptions& options);

}  // namespace brimvel
