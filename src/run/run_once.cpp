#include "run/run_once.h"

#include "config/area_names.h"
#include "config/config_pass.h"
#include "run/daily_guard.h"
#include "run/run_summary.h"
#include "support/error_text.h"
#include "support/pending_erasures.h"
#include "support/run_log.h"
#include "support/string_utils.h"

#ifndef BRIMVEL_VERSION
#error "BRIMVEL_VERSION comes from the build"
#endif

namespace brimvel {

namespace {

// The end of a run that found a file it needs failing: the code goes out
// as "Runtime error N" and as the exit code, as it always has.
int RuntimeError(const RunEnvironment& env, int code) {
  env.errors.WriteLine("Runtime error " + std::to_string(code));
  return code;
}

// The same, said in the log too, for whoever reads only the log.
int RuntimeError(const RunEnvironment& env, RunLog& log, int code) {
  log.Error("Run ended early: runtime error " + std::to_string(code));
  return RuntimeError(env, code);
}

// A dry run has no log file, but its console shows the same end lines. The
// summary learns what the run came to; a log that cannot be closed makes any
// run an error.
int FinishLog(const RunEnvironment& env, RunLog& log, int exitCode, RunSummary& summary,
              RunEnd end) {
  summary.Ended(end);
  if (int code = log.Close(); code != 0) {
    summary.Ended(RunEnd::kError);
    return RuntimeError(env, code);
  }
  return exitCode;
}

int RefuseWorkedDay(const RunEnvironment& env, RunLog& log, RunSummary& summary) {
  log.Line("Already worked today... (use -D for ignore this fact)");
  return FinishLog(env, log, 0, summary, RunEnd::kRefused);
}

int RefuseBusy(const RunEnvironment& env, RunLog& log, const std::string& configName,
               RunSummary& summary) {
  log.Line("Configuration file " + configName +
           " is being worked by another run, leaving it alone..");
  return FinishLog(env, log, 0, summary, RunEnd::kRefused);
}

// A mistyped -AREA would work nothing, yet a WHEN line could still turn
// another block on: the names are known before anything is worked. False
// when the run ends here, with `exitCode`.
bool AreaNamed(const RunEnvironment& env, RunLog& log, const RunOptions& options,
               RunSummary& summary, int& exitCode) {
  bool found = false;
  if (int failed = FindAreaBlock(env.fs, options.configName, options.areaFilter, found);
      failed != 0) {
    exitCode = RuntimeError(env, log, failed);
    return false;
  }
  if (found) return true;
  log.Error(AreaMissingText(options.areaFilter, options.configName) + ", nothing was worked");
  if (options.errorLevel) log.Line(summary.Line());
  exitCode = FinishLog(env, log, options.errorLevel ? 1 : 0, summary, RunEnd::kFailed);
  return false;
}

// The end of a pass that was done: the day marked unless cut short, the
// summary, and the exit code.
int FinishRun(const RunEnvironment& env, RunLog& log, const RunOptions& options,
              RunSummary& summary, const PassTotals& totals, bool deleteFailed) {
  int signal = env.interruption ? env.interruption() : 0;
  if (signal != 0) {
    log.Error("Interrupted by signal " + std::to_string(signal) + ": " +
              Plural(totals.handedOver, "file", "files") +
              " handed over and recorded, the rest is left for the next run");
  }
  // A day cut short is not a day worked.
  if (!options.dryRun && signal == 0) {
    if (int failed = MarkWorkedToday(env.fs, env.console); failed != 0)
      return RuntimeError(env, log, failed);
  }
  if (options.errorLevel) log.Line(summary.Line());
  bool anyFailure = totals.AnyFailure() || summary.AnyFailed() || deleteFailed;
  int exitCode = 0;
  if (signal != 0) {
    exitCode = 128 + signal;
  } else if (options.errorLevel && anyFailure) {
    exitCode = 1;
  }
  return FinishLog(env, log, exitCode, summary,
                   signal != 0  ? RunEnd::kInterrupted
                   : anyFailure ? RunEnd::kFailed
                                : RunEnd::kOk);
}

}  // namespace

std::string Banner() { return std::string("Brimvel {v") + BRIMVEL_VERSION + "W32}"; }

int RunOnce(const RunEnvironment& env, const RunOptions& options) {
  RunSummary summary(env.observer);
  return RunOnce(env, options, summary);
}

int RunOnce(const RunEnvironment& env, const RunOptions& options, RunSummary& summary) {
  // Every path that does not say otherwise ends in an error.
  summary.Ended(RunEnd::kError);
  TextWriter& console = env.console;
  RunLog log(console, env.clock, Banner());
  log.SetTitleSink(env.showTitle);
  log.SetConsolePriorities(env.consoleIsJournal);
  if (options.dryRun) {
    // Everything goes to the console only; the log file is left alone.
    log.ConsoleOnly();
    log.Line(Banner() + ": started.. (dry run, nothing is changed)");
  } else if (int code = log.Open(env.fs, "brimvel.log"); code != 0) {
    return RuntimeError(env, code);
  }
  if (env.watchInterruptions) env.watchInterruptions();

  auto dayWorked = [&env] { return DayWorked(env.fs, env.clock); };
  if (!options.forced && dayWorked()) return RefuseWorkedDay(env, log, summary);

  // Every path to one file (a link, another spelling) shares its lock and
  // temporary file, and a link stays a link.
  std::string realName;
  env.fs.RealName(options.configName, realName);
  TextReader config(env.fs, realName);
  int code = config.OpenRead();
  // Another run holds the configuration it just wrote until it ends.
  if (code == kSharingViolation) return RefuseBusy(env, log, options.configName, summary);
  if (code != 0) {
    log.Line("Shit, I can't open configuration file " + options.configName + "!..");
    log.Error(ErrorText(code, options.configName));
    // A scheduler must see the failure, so the error number is the exit code.
    return code;
  }
  if (int exitCode = 0;
      !options.areaFilter.empty() && !AreaNamed(env, log, options, summary, exitCode))
    return exitCode;

  TextWriter temp(env.fs, TempNameFor(realName, env.fs.DirectorySeparators()));
  TextWriter merged(env.fs, realName + kMergingSuffix);
  // -DELETE takes effect once the new configuration, which records the
  // hand-over, has taken the old one's place.
  PendingErasures erasures(env.fs);
  PassContext context{erasures,
                      env.runner,
                      env.clock,
                      log,
                      temp,
                      HatchSettings{{}, {}, options.dryRun},
                      options.areaFilter,
                      {},
                      env.interruption,
                      &summary,
                      options.everyAreaDue,
                      {}};
  PassOutcome outcome =
      ConfigPass(context, config, temp, merged, options.configName, options.forced, dayWorked);
  switch (outcome.result) {
    case PassResult::kLocked:
      return RefuseBusy(env, log, options.configName, summary);
    case PassResult::kAlreadyWorked:
      return RefuseWorkedDay(env, log, summary);
    case PassResult::kFailed:
      for (const std::string& name : erasures.pending())
        log.Error(" -> File " + name +
                  " kept, the configuration recording its hand-over was not rewritten");
      return RuntimeError(env, log, outcome.error);
    case PassResult::kDone:
      break;
  }
  bool deleteFailed = false;
  erasures.Commit([&log, &deleteFailed](const std::string& name, int failure) {
    log.Error(" -> File " + name + " not deleted: " + ErrorText(failure, name));
    deleteFailed = true;
  });
  // `temp` is the new configuration: it stays open, and so locked, until
  // the run has ended.
  return FinishRun(env, log, options, summary, context.totals, deleteFailed);
}

}  // namespace brimvel
