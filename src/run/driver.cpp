#include "run/driver.h"

#include <string>
#include <vector>

#include "config/config_pass.h"
#include "run/config_check.h"
#include "run/daily_guard.h"
#include "run/run_context.h"
#include "support/io_error.h"
#include "support/platform.h"
#include "support/run_end.h"
#include "support/run_log.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

constexpr const char* kUsage[] = {
    "Usage: brimvel [-D] [-CFG file] [-AREA name] [-N]",
    "       brimvel -CHECK [-CFG file]",
    "       brimvel --help | --version",
    "",
    "Hands files over to the areas of a file distribution network, a few per run,",
    "by running the post program configured in the configuration file.",
    "",
    "  -D          work even when today's run has been done (first parameter only)",
    "  -CFG file   the configuration file (default brimvel.cfg)",
    "  -AREA name  work only the area of that name, whatever its schedule",
    "  -N          dry run: show what a run would do; start and change nothing",
    "  -CHECK      read the configuration and report its traps; change nothing",
    "  --help      this text (also -? and -H)",
    "  --version   the version banner",
    "",
    "The log (brimvel.log) and the day marker (EVERYDAY.FLG) are kept in the",
    "current directory. Exit code 0 on every handled path; otherwise the error",
    "number of the failed file operation. See brimvel(1).",
};

bool HasParameter(const std::vector<std::string>& parameters, std::string_view upperName) {
  for (const std::string& parameter : parameters)
    if (SameUpper(parameter, upperName)) return true;
  return false;
}

// A dry run has no log file, but its console shows the same end lines.
void FinishLog(RunContext& run) {
  if (!run.dryRun) {
    CloseLog(run.log);
    return;
  }
  LogLine(run.log, "End..");
  WriteLine(ConsoleOutput(), "");
}

[[noreturn]] void RefuseWorkedDay(RunContext& run) {
  LogLine(run.log, "Already worked today... (use -D for ignore this fact)");
  FinishLog(run);
  EndRun(0);
}

[[noreturn]] void RefuseBusy(RunContext& run) {
  LogLine(run.log, "Configuration file " + run.configName +
                       " is being worked by another run, leaving it alone..");
  FinishLog(run);
  EndRun(0);
}

void ReadOptions(RunContext& run, const std::vector<std::string>& parameters) {
  for (const std::string& parameter : parameters)
    run.commandLine = run.commandLine + " " + parameter;
  GetOptionValue("-CFG", run.configName, run.commandLine);
  GetOptionValue("-AREA", run.areaFilter, run.commandLine);
}

// The answers that touch nothing: no log, no marker, no configuration change.
void AnswerQuestions(RunContext& run, const std::vector<std::string>& parameters) {
  TextFile& console = ConsoleOutput();
  if (HasParameter(parameters, "--HELP") || HasParameter(parameters, "-?") ||
      HasParameter(parameters, "-H")) {
    for (const char* line : kUsage) WriteLine(console, line);
    EndRun(0);
  }
  if (HasParameter(parameters, "--VERSION")) {
    WriteLine(console, kBanner);
    EndRun(0);
  }
  if (HasParameter(parameters, "-CHECK")) {
    ReadOptions(run, parameters);
    EndRun(CheckConfiguration(run.configName, console) == 0 ? 0 : 1);
  }
}

}  // namespace

void RunMain(int argc, char** argv) {
  RegisterExitProcedure(RestoreTitle);
  SaveTitle();

  RunContext run;
  std::vector<std::string> parameters = platform::CommandLineParameters(argc, argv);
  AnswerQuestions(run, parameters);

  run.log.banner = kBanner;
  run.dryRun = HasParameter(parameters, "-N");
  if (run.dryRun) {
    // Everything goes to the console only; the log file is left alone.
    run.log.unavailable = true;
    LogLine(run.log, run.log.banner + ": started.. (dry run, nothing is changed)");
  } else {
    OpenLog("brimvel.log", run.log);
  }

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
  if (!run.dryRun) MarkWorkedToday();
  FinishLog(run);
  EndRun(0);
}

}  // namespace brimvel
