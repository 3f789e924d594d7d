#include "run/run_options.h"

#include "support/string_utils.h"

namespace brimvel {

namespace {

bool HasParameter(const std::vector<std::string>& parameters, std::string_view upperName) {
  for (const std::string& parameter : parameters)
    if (SameUpper(parameter, upperName)) return true;
  return false;
}

}  // namespace

RunOptions ReadRunOptions(const std::vector<std::string>& parameters) {
  RunOptions options;
  options.help = HasParameter(parameters, "--HELP") || HasParameter(parameters, "-?") ||
                 HasParameter(parameters, "-H");
  options.version = HasParameter(parameters, "--VERSION");
  options.check = HasParameter(parameters, "-CHECK");
  options.dryRun = HasParameter(parameters, "-N");
  // -D counts only as the first parameter.
  options.forced = !parameters.empty() && SameUpper(parameters.front(), "-D");
  ShortString commandLine;
  for (const std::string& parameter : parameters) commandLine = commandLine + " " + parameter;
  GetOptionValue("-CFG", options.configName, commandLine);
  GetOptionValue("-AREA", options.areaFilter, commandLine);
  return options;
}

}  // namespace brimvel
