#include "run/run_options.h"

#include "support/string_utils.h"

namespace brimvel {

namespace {

bool HasParameter(const std::vector<std::string>& parameters, std::string_view upperName) {
  for (const std::string& parameter : parameters)
    if (SameUpper(parameter, upperName)) return true;
  return false;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The value of a long option given as "--name VALUE" or "--name=VALUE":
// true when the option is there; `value` empty when it has none.
bool LongValue(const std::vector<std::string>& parameters, std::string_view name,
               std::string& value) {
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    // Any case, as every other option of the program.
    std::string_view parameter = parameters[i];
    if (SameUpper(parameter, UpperText(name))) {
      value = i + 1 < parameters.size() ? parameters[i + 1] : std::string();
      return true;
    }
    if (parameter.size() > name.size() && parameter[name.size()] == '=' &&
        SameUpper(parameter.substr(0, name.size()), UpperText(name))) {
      value = std::string(parameter.substr(name.size() + 1));
      return true;
    }
  }
  return false;
}

int DaysValue(std::string_view text) {
  int errorPos = 0;
  std::int32_t days = TextToNumber(text, errorPos);
  return errorPos == 0 && days >= 1 && days <= 3660 ? days : 0;
}

}  // namespace

RunOptions ReadRunOptions(const std::vector<std::string>& parameters) {
  RunOptions options;
  options.help = HasParameter(parameters, "--HELP") || HasParameter(parameters, "-?") ||
                 HasParameter(parameters, "-H");
  options.version = HasParameter(parameters, "--VERSION");
  options.check = HasParameter(parameters, "-CHECK") || HasParameter(parameters, "--CHECK");
  options.dryRun = HasParameter(parameters, "-N") || HasParameter(parameters, "--DRY-RUN");
  options.errorLevel = HasParameter(parameters, "-ERRORLEVEL");
  // -D counts only as the first parameter.
  options.forced = !parameters.empty() && SameUpper(parameters.front(), "-D");
  ShortString commandLine;
  for (const std::string& parameter : parameters) commandLine = commandLine + " " + parameter;
  GetOptionValue("-CFG", options.configName, commandLine);
  GetOptionValue("-AREA", options.areaFilter, commandLine);

  std::string value;
  if (LongValue(parameters, "--config", value)) {
    options.configName = value;
    if (value.empty()) options.badValue = "--config needs a file name";
  }
  bool planShort = false;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (!SameUpper(parameters[i], "-PLAN")) continue;
    planShort = true;
    options.planDays = i + 1 < parameters.size() ? DaysValue(parameters[i + 1]) : 0;
  }
  if (LongValue(parameters, "--plan", value)) {
    planShort = true;
    options.planDays = DaysValue(value);
  }
  if (planShort && options.planDays == 0)
    options.badValue = "-PLAN needs a number of days from 1 to 3660";

  static const char* const kLongOptions[] = {"--check",   "--dry-run", "--help",
                                             "--version", "--config",  "--plan"};
  for (const std::string& parameter : parameters) {
    if (!StartsWith(parameter, "--")) continue;
    std::string_view name = std::string_view(parameter).substr(0, parameter.find('='));
    bool known = false;
    for (const char* option : kLongOptions) known = known || SameUpper(name, UpperText(option));
    if (!known) {
      options.unknownLongOption = parameter;
      break;
    }
  }
  return options;
}

}  // namespace brimvel
