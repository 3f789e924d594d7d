#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "hatch/hatch_observer.h"
#include "support/clock.h"
#include "support/file_system.h"
#include "support/process_runner.h"
#include "support/text_file.h"

namespace brimvel {

// The banner of the log and of --version.
std::string Banner();

// What a run works with: the OS, or fakes in tests.
struct RunEnvironment {
  FileSystem& fs;
  ProcessRunner& runner;
  const Clock& clock;
  TextFile& console;
  TextFile& errors;                                      // standard error: "Runtime error N"
  std::function<void(std::string_view)> showTitle = {};  // progress in the console title
  // Catches the first request to stop (Ctrl-C, SIGTERM, a closed console)
  // so the run can finish its hand-over and record it; a second ends it.
  std::function<void()> watchInterruptions = {};
  // The signal number of that request, 0 while there was none.
  std::function<int()> interruption = {};
  HatchObserver* observer = nullptr;  // hears every decision of the pass
};

// One start of the program with its parameters; returns the exit code.
int RunMain(const RunEnvironment& env, const std::vector<std::string>& parameters);

}  // namespace brimvel
