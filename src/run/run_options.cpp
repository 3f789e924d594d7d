#include "run/run_options.h"

#include <algorithm>
#include <span>

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

// Every spelling the command line knows, upper-cased; those that take the
// next word as their value come first.
constexpr std::string_view kValueOptions[] = {"-CFG",     "-AREA",  "-PLAN",
                                              "--CONFIG", "--PLAN", "--METRICS"};
constexpr std::string_view kFlagOptions[] = {"-D",     "-N",      "--DRY-RUN", "-ERRORLEVEL",
                                             "-CHECK", "--CHECK", "--HELP",    "-?",
                                             "-H",     "-V",      "--VERSION", "--EDIT"};

bool IsOneOf(std::string_view upper, std::span<const std::string_view> names) {
  for (std::string_view name : names)
    if (upper == name) return true;
  return false;
}

std::string NearestOption(std::string_view upper) {
  std::string_view best;
  std::size_t bestDistance = 0;
  for (auto names : {std::span<const std::string_view>(kValueOptions),
                     std::span<const std::string_view>(kFlagOptions)}) {
    for (std::string_view name : names) {
      // An option run together with its value ("-CFGx") beats any near
      // miss; the one-letter options are too short to tell.
      std::size_t distance =
          name.size() > 2 && StartsWith(upper, name) ? 0 : 1 + EditDistance(upper, name);
      if (best.empty() || distance < bestDistance) {
        best = name;
        bestDistance = distance;
      }
    }
  }
  // Shown as the usage spells it: short options upper-case, long ones lower.
  std::string shown(best);
  if (StartsWith(shown, "--"))
    for (char& c : shown) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return shown;
}

// The first word that begins with "-" and is none of the options; the words
// that are an option's value are passed over.
void FindUnknownOption(const std::vector<std::string>& parameters, RunOptions& options) {
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const std::string& parameter = parameters[i];
    if (!StartsWith(parameter, "-")) continue;
    std::string upper = UpperText(parameter);
    if (IsOneOf(upper, kValueOptions)) {
      ++i;
      continue;
    }
    if (IsOneOf(upper, kFlagOptions)) continue;
    // "--config=FILE", "--plan=DAYS", "--metrics=FILE"; the short options take no "=".
    std::string_view name = std::string_view(upper).substr(0, upper.find('='));
    if (StartsWith(name, "--") && name != upper && IsOneOf(name, kValueOptions)) continue;
    options.unknownOption = parameter;
    options.nearestOption = NearestOption(name);
    return;
  }
}

}  // namespace

RunOptions ReadRunOptions(const std::vector<std::string>& parameters) {
  RunOptions options;
  options.help = HasParameter(parameters, "--HELP") || HasParameter(parameters, "-?") ||
                 HasParameter(parameters, "-H");
  options.version = HasParameter(parameters, "--VERSION") || HasParameter(parameters, "-V");
  options.check = HasParameter(parameters, "-CHECK") || HasParameter(parameters, "--CHECK");
  options.edit = HasParameter(parameters, "--EDIT");
  options.dryRun = HasParameter(parameters, "-N") || HasParameter(parameters, "--DRY-RUN");
  options.errorLevel = HasParameter(parameters, "-ERRORLEVEL");
  // -D counts only as the first parameter.
  options.forced = !parameters.empty() && SameUpper(parameters.front(), "-D");
  std::string commandLine;
  for (const std::string& parameter : parameters) commandLine += " " + parameter;
  GetOptionValue("-CFG", options.configName, commandLine);
  GetOptionValue("-AREA", options.areaFilter, commandLine);

  std::string value;
  if (LongValue(parameters, "--config", value)) {
    options.configName = value;
    if (value.empty()) options.badValue = "--config needs a file name";
  }
  if (LongValue(parameters, "--metrics", value)) {
    options.metricsFile = value;
    if (value.empty()) options.badValue = "--metrics needs a file name";
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

  FindUnknownOption(parameters, options);
  return options;
}

}  // namespace brimvel
