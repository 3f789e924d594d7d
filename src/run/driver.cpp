#include "run/driver.h"

#include <chrono>

#include "config/config_check.h"
#include "run/config_edit.h"
#include "run/plan.h"
#include "run/run_metrics.h"
#include "run/run_options.h"
#include "support/error_text.h"

namespace brimvel {

namespace {

constexpr const char* kUsage[] = {
    "Usage: brimvel [-D] [-CFG file] [-AREA name] [-N] [-ERRORLEVEL] [--metrics file]",
    "       brimvel -CHECK [-CFG file] [-AREA name]",
    "       brimvel -PLAN days [-CFG file] [-AREA name]",
    "       brimvel --edit [-CFG file]",
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
    "  --metrics file",
    "                after every run, refused or failed ones too, write its result",
    "                and counts to file for node_exporter's textfile collector",
    "  -CHECK        report the configuration's traps, change nothing; also --check",
    "  -PLAN days    show which file goes out on which coming day; also --plan",
    "  --edit        edit the configuration safely: $VISUAL or $EDITOR on a copy,",
    "                checked, then installed while no run works it",
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

}  // namespace

int RunMain(const RunEnvironment& env, const std::vector<std::string>& parameters) {
  RunOptions options = ReadRunOptions(parameters);
  TextWriter& console = env.console;
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
  if (options.edit) return EditConfiguration(env, options.configName);
  if (options.check) {
    const CheckOutcome outcome = CheckConfiguration(
        env.fs, env.runner, env.clock, options.configName, console, options.areaFilter);
    return outcome.errors == 0 ? 0 : 1;
  }

  // A dry run changes nothing, the metrics included.
  if (options.metricsFile.empty() || options.dryRun) return RunOnce(env, options);
  RunSummary summary(env.observer);
  int exitCode = RunOnce(env, options, summary);
  auto now = std::chrono::system_clock::now().time_since_epoch();
  if (int code = WriteMetricsFile(env.fs, options.metricsFile, summary, exitCode,
                                  std::chrono::duration_cast<std::chrono::seconds>(now).count());
      code != 0)
    env.errors.WriteLine("brimvel: metrics not written: " + ErrorText(code, options.metricsFile));
  return exitCode;
}

}  // namespace brimvel
