#pragma once

#include "run/run_context.h"

namespace brimvel {

inline constexpr const char* kTempName = "brimvel.tmp";

enum class PassResult {
  kDone,           // the configuration has been rewritten
  kLocked,         // another run works this configuration; nothing was changed
  kAlreadyWorked,  // another run finished today's work while this one started
};

// Reads the open configuration once, hands area blocks to ProcessAreaBlock,
// and replaces the configuration with the rewritten copy in one step.
PassResult ConfigPass(RunContext& run);

// Where the rewritten copy is written: beside the configuration.
ShortString TempNameFor(const ShortString& configName);

}  // namespace brimvel
