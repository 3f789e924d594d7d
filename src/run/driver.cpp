#include "run/driver.h"

#include "config/config_check.h"
#include "config/config_pass.h"
#include "run/daily_guard.h"
#include "run/plan.h"
#include "run/run_options.h"
#include "support/error_text.h"
#include "support/pending_erasures.h"
#include "support/run_log.h"
#include "support/string_utils.h"

#ifndef BRIMVEL_VERSION
#error "BRIMVEL_VERSION comes from the build"
#endif

namespace brimvel {

namespace {

constexpr const char* kUsage[] = {
    "Usage: brimvel [-D] [-CFG file] [-AREA name] [-N] [-ERRORLEVEL]",
    "       brimvel -CHECK [-CFG file]",
    "       brimvel -PLAN days [-CFG file] [-AREA name]",
    "       brimvel --help | --version | -V",
    "",
    "Hands files over to the areas of a file distribution network, a few per run,",
    "by running the post program configured in the configuration file.",
    "",
    "  -D            work even when today's run has been done (first parameter only)",
    "  -CFG file     the configuration file (default brimvel.cfg); also --config",
    "  -AREA name    work only the area of that name, whatever its schedule",
    "  -N            dry run: show what a run would do, change nothing; also --dry-run",
    "  -ERRORLEVEL   exit 1 when anything failed, after a summary line",
    "  -CHECK        report the configuration's traps, change nothing; also --check",
    "  -PLAN days    show which file goes out on which coming day; also --plan",
    "  --help        this text (also -? and -H)",
    "  --version     the version banner (also -V)",
    "",
    "The log (brimvel.log) and the day marker (EVERYDAY.FLG) are kept in the",
    "current directory. Exit code 0 on every handled path; with -ERRORLEVEL 1",
    "when a hand-over or a search failed or -AREA named no area; 2 for a mistyped",
    "option (any unknown word that begins with \"-\"); 128 + N after signal N;",
    "otherwise the error number of the failed file operation. See brimvel(1).",
};

// A mistake on the command line ends the program before it touches anything.
int UsageError(const RunEnvironment& env, const std::string& problem) {
  env.errors.WriteLine("brimvel: " + problem);
  for (const char* line : kUsage) env.errors.WriteLine(line);
  return 2;
}

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

std::string Plural(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// One line for the scheduler's mail or the journal: what the run came to.
void LogSummary(RunLog& log, const PassTotals& totals) {
  log.Line("Summary: " + Plural(totals.handedOver, "file", "files") + " handed over (" +
           Plural(totals.bytes, "byte", "bytes") + "), " +
           Plural(totals.notStarted + totals.failed, "hand-over", "hand-overs") + " failed, " +
           Plural(totals.heldBack, "file", "files") + " waiting, " +
           Plural(totals.dropped, "entry", "entries") + " dropped");
}

// A dry run has no log file, but its console shows the same end lines.
int FinishLog(const RunEnvironment& env, RunLog& log, int exitCode) {
  if (int code = log.Close(); code != 0) return RuntimeError(env, code);
  return exitCode;
}

int RefuseWorkedDay(const RunEnvironment& env, RunLog& log) {
  log.Line("Already worked today... (use -D for ignore this fact)");
  return FinishLog(env, log, 0);
}

int RefuseBusy(const RunEnvironment& env, RunLog& log, const ShortString& configName) {
  log.Line("Configuration file " + configName +
           " is being worked by another run, leaving it alone..");
  return FinishLog(env, log, 0);
}

}  // namespace

std::string Banner() { return std::string("Brimvel {v") + BRIMVEL_VERSION + "W32}"; }

int RunMain(const RunEnvironment& env, const std::vector<std::string>& parameters) {
  RunOptions options = ReadRunOptions(parameters);
  TextFile& console = env.console;
  if (!options.unknownOption.empty())
    return UsageError(env, "unknown option '" + options.unknownOption + "', did you mean " +
                               options.nearestOption + "?");
  if (!options.badValue.empty()) return UsageError(env, options.badValue);
  // The answers that touch nothing: no log, no marker, no configuration change.
  if (options.help) {
    for (const char* line : kUsage) console.WriteLine(line);
    return 0;
  }
  if (options.version) {
    console.WriteLine(Banner());
    return 0;
  }
  if (options.planDays > 0) return RunPlan(env, options);
  if (options.check)
    return CheckConfiguration(env.fs, env.runner, env.clock, options.configName.str(), console)
                       .errors == 0
               ? 0
               : 1;

  RunLog log(console, env.clock, Banner());
  log.SetTitleSink(env.showTitle);
  if (options.dryRun) {
    // Everything goes to the console only; the log file is left alone.
    log.ConsoleOnly();
    log.Line(Banner() + ": started.. (dry run, nothing is changed)");
  } else if (int code = log.Open(env.fs, "brimvel.log"); code != 0) {
    return RuntimeError(env, code);
  }
  if (env.watchInterruptions) env.watchInterruptions();

  auto dayWorked = [&env] { return DayWorked(env.fs, env.clock); };
  if (!options.forced && dayWorked()) return RefuseWorkedDay(env, log);

  TextFile config(env.fs, options.configName.str());
  int code = config.OpenRead();
  // Another run holds the configuration it just wrote until it ends.
  if (code == kSharingViolation) return RefuseBusy(env, log, options.configName);
  if (code != 0) {
    log.Line("Shit, I can't open configuration file " + options.configName + "!..");
    // A scheduler must see the failure, so the error number is the exit code.
    return code;
  }

  TextFile temp(env.fs, TempNameFor(options.configName.view(), env.fs.DirectorySeparators()));
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
                      env.observer};
  PassOutcome outcome = ConfigPass(context, config, temp, options.forced, dayWorked);
  switch (outcome.result) {
    case PassResult::kLocked:
      return RefuseBusy(env, log, options.configName);
    case PassResult::kAlreadyWorked:
      return RefuseWorkedDay(env, log);
    case PassResult::kFailed:
      for (const std::string& name : erasures.pending())
        log.Error(" -> File " + ShortString(name) +
                  " kept, the configuration recording its hand-over was not rewritten");
      return RuntimeError(env, log, outcome.error);
    case PassResult::kDone:
      break;
  }
  bool deleteFailed = false;
  erasures.Commit([&log, &deleteFailed](const std::string& name, int failure) {
    log.Error(" -> File " + ShortString(name) + " not deleted: " + ErrorText(failure, name));
    deleteFailed = true;
  });
  const PassTotals& totals = context.totals;
  int signal = env.interruption ? env.interruption() : 0;
  bool areaMissing = !options.areaFilter.empty() && !totals.areaFound;
  if (areaMissing)
    log.Error("Area " + options.areaFilter + " is not in configuration file " + options.configName +
              ", nothing was worked");
  if (signal != 0) {
    log.Error("Interrupted by signal " + std::to_string(signal) + ": " +
              Plural(totals.handedOver, "file", "files") +
              " handed over and recorded, the rest is left for the next run");
  }
  // A day cut short, or one whose area was mistyped, is not a day worked.
  if (!options.dryRun && signal == 0 && !areaMissing) {
    if (int failed = MarkWorkedToday(env.fs, console); failed != 0)
      return RuntimeError(env, log, failed);
  }
  if (options.errorLevel) LogSummary(log, totals);
  int exitCode = 0;
  if (signal != 0) {
    exitCode = 128 + signal;
  } else if (options.errorLevel && (totals.AnyFailure() || areaMissing || deleteFailed)) {
    exitCode = 1;
  }
  // `temp` is the new configuration: it stays open, and so locked, until
  // the run has ended.
  return FinishLog(env, log, exitCode);
}

}  // namespace brimvel
