#pragma once

#include <cstdint>

namespace brimvel {

using ExitProcedure = void (*)();

// Procedures run, last registered first, on every end of the process that
// goes through EndRun or RuntimeErrorReport.
void RegisterExitProcedure(ExitProcedure procedure);

[[noreturn]] void EndRun(std::int32_t code);
// Runs the exit procedures, writes "Runtime error <code>" to standard error
// and ends the process with the code.
[[noreturn]] void RuntimeErrorReport(std::int32_t code);

}  // namespace brimvel
