#pragma once

#include <string>
#include <vector>

#include "run/run_once.h"

namespace brimvel {

// One start of the program with its parameters; returns the exit code.
int RunMain(const RunEnvironment& env, const std::vector<std::string>& parameters);

}  // namespace brimvel
