#include "config/area_names.h"

#include "config/config_line.h"
#include "support/string_utils.h"
#include "support/text_reader.h"

namespace brimvel {

int FindAreaBlock(FileSystem& fs, const std::string& configName, std::string_view area,
                  bool& found) {
  found = false;
  TextReader config(fs, configName);
  if (int code = config.OpenRead(); code != 0) return code;
  ConfigReader reader(config);
  const std::string wanted = UpperText(area);
  ConfigLine line;
  while (!found) {
    // Only AREA lines name blocks, and END lines end them; the rest is
    // passed over unparsed.
    const LinePlace place = reader.inBlock() ? LinePlace::kIdleBlock : LinePlace::kOutside;
    reader.TakeInertLines(config.LineEndRead().empty() ? "\n" : config.LineEndRead(),
                          [place](std::string_view text) { return !CanMatter(text, place); });
    if (!reader.Next(line)) break;
    found = line.kind == LineKind::kArea && UpperText(line.argument) == wanted;
  }
  int code = config.error();
  config.Close();
  return code;
}

std::string AreaMissingText(std::string_view area, std::string_view configName) {
  return "Area " + std::string(area) + " is not in configuration file " + std::string(configName);
}

}  // namespace brimvel
