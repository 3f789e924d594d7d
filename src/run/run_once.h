#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "hatch/hatch_observer.h"
#include "run/run_options.h"
#include "run/run_summary.h"
#include "support/clock.h"
#include "support/file_system.h"
#include "support/process_runner.h"
#include "support/text_writer.h"

namespace brimvel {

// The banner of the log and of --version.
std::string Banner();

// What a run works with: the OS, or fakes in tests.
struct RunEnvironment {
  FileSystem& fs;
  ProcessRunner& runner;
  const Clock& clock;
  TextWriter& console;
  TextWriter& errors;                                    // standard error: "Runtime error N"
  std::function<void(std::string_view)> showTitle = {};  // progress in the console title
  // Catches the first request to stop (Ctrl-C, SIGTERM, a closed console)
  // so the run can finish its hand-over and record it; a second ends it.
  std::function<void()> watchInterruptions = {};
  // The signal number of that request, 0 while there was none.
  std::function<int()> interruption = {};
  HatchObserver* observer = nullptr;  // hears every decision of the pass
  // "--edit": runs the operator's editor on a file, returning 0 or why it
  // could not start; and reads the operator's answer to a question.
  std::function<int(const std::string&, int&)> edit = {};
  std::function<std::string()> ask = {};
  bool consoleIsJournal = false;  // console lines carry syslog priorities
};

// One run over the configuration as the parsed options ask: the pass, the
// day marker and the summary. The program's start, a dry run and every
// simulated day of a plan come through here. Returns the exit code.
int RunOnce(const RunEnvironment& env, const RunOptions& options);
// The same, counting into the caller's summary, which also learns what the
// run came to.
int RunOnce(const RunEnvironment& env, const RunOptions& options, RunSummary& summary);

}  // namespace brimvel
