#include "run/driver.h"

#include <string>
#include <vector>

#include "config/config_pass.h"
#include "run/daily_guard.h"
#include "run/run_context.h"
#include "support/io_error.h"
#include "support/platform.h"
#include "support/run_end.h"
#include "support/run_log.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

[[noreturn]] void RefuseWorkedDay(RunContext& run) {
  LogLine(run.log, "Already worked today... (use -D for ignore this fact)");
  CloseLog(run.log);
  EndRun(0);
}

[[noreturn]] void RefuseBusy(RunContext& run) {
  LogLine(run.log, "Configuration file " + run.configName +
                       " is being worked by another run, leaving it alone..");
  CloseLog(run.log);
  EndRun(0);
}

void ReadOptions(RunContext& run, const std::vector<std::string>& parameters) {
  for (const std::string& parameter : parameters)
    run.commandLine = run.commandLine + " " + parameter;
  GetOptionValue("-CFG", run.configName, run.commandLine);
  GetOptionValue("-AREA", run.areaFilter, run.commandLine);
}

}  // namespace

void RunMain(int argc, char** argv) {
  RegisterExitProcedure(RestoreTitle);
  SaveTitle();

  RunContext run;
  run.log.banner = kBanner;
  OpenLog("brimvel.log", run.log);

  std::vector<std::string> parameters = platform::CommandLineParameters(argc, argv);
  ShortString first = parameters.empty() ? ShortString() : ShortString(parameters.front());
  run.forced = UpperText(first) == "-D";
  if (!ShouldWorkToday() && !run.forced) RefuseWorkedDay(run);

  ReadOptions(run, parameters);

  BindFile(run.configFile, run.configName.view());
  std::int32_t code = platform::kFileNotFound;
  // An empty name would mean standard input: refuse it like a missing file.
  if (!run.configName.empty()) {
    OpenRead(run.configFile);
    code = TakeIoError();
  }
  // Another run holds the configuration it just wrote until it ends.
  if (code == platform::kSharingViolation) RefuseBusy(run);
  if (code != 0) {
    LogLine(run.log, "Shit, I can't open configuration file " + run.configName + "!..");
    // A scheduler must see the failure, so the error number is the exit code.
    EndRun(code);
  }

  switch (ConfigPass(run)) {
    case PassResult::kLocked:
      RefuseBusy(run);
    case PassResult::kAlreadyWorked:
      RefuseWorkedDay(run);
    case PassResult::kDone:
      break;
  }
  MarkWorkedToday();
  CloseLog(run.log);
  EndRun(0);
}

}  // namespace brimvel
