#pragma once

#include <string>
#include <vector>

namespace brimvel {

// What the command line asks for.
struct RunOptions {
  std::string configName = "brimvel.cfg";
  std::string areaFilter;
  bool forced = false;      // "-D": work even on a day already worked
  bool dryRun = false;      // "-N": decide everything, change nothing, start nothing
  bool check = false;       // "-CHECK": report the configuration's traps
  bool errorLevel = false;  // "-ERRORLEVEL": exit 1 when anything failed, with a summary
  bool help = false;
  bool version = false;     // "-V", "--version"
  bool edit = false;        // "--edit": the operator's editor on a checked copy
  int planDays = 0;         // "-PLAN DAYS": show the coming days' hand-overs
  std::string metricsFile;  // "--metrics FILE": the run's figures for monitoring
  // Not an option of the command line: a plan's look past its last day
  // works every block as if it were due.
  bool everyAreaDue = false;
  // The first parameter that begins with "-" but is no option (a mistyped
  // dry run must not start a real one), and the option nearest to it;
  // empty when there is none.
  std::string unknownOption;
  std::string nearestOption;
  std::string badValue;  // an option whose value is missing or out of range
};

RunOptions ReadRunOptions(const std::vector<std::string>& parameters);

}  // namespace brimvel
