#include "config/area_block.h"

#include <string>

#include "config/area_record.h"
#include "config/schedule.h"
#include "hatch/directory_entry.h"
#include "hatch/entry_options.h"
#include "hatch/file_entry.h"
#include "support/io_error.h"
#include "support/string_utils.h"

namespace brimvel {

void ApplyLimitLine(std::string_view line, std::int32_t& limit, std::string_view keyword) {
  ShortString trimmed = TrimLeadingBlanks(line);
  std::size_t blank = trimmed.view().find(' ');
  // A keyword alone, without a blank after it, is not a limit line.
  ShortString word = blank == std::string_view::npos ? ShortString()
                                                     : ShortString(trimmed.view().substr(0, blank));
  if (UpperText(word) != UpperText(keyword)) return;
  int errorPos = 0;
  limit = TextToNumber(ArgumentText(trimmed), errorPos);
}

void ProcessAreaBlock(RunContext& run, std::string_view areaText) {
  AreaRecord area;
  area.name = FirstWord(areaText);
  if (UpperText(area.name) == UpperText(run.areaFilter)) {
    area.enabled = true;
  } else if (run.areaFilter.empty()) {
    area.enabled = ScheduleDue(AfterFirstWord(areaText));
  } else {
    area.enabled = false;
  }
  area.number = ++run.areaCounter;
  BlockTotals totals;
  EntryOptions options;
  LogStatus(run.log, " **>** Scaning area " + area.name + "...[" + NumberText(area.number) + "]");

  ShortString line;
  std::string whole;
  for (;;) {
    bool atEnd = AtEnd(run.configFile);
    StrictCheck();
    if (atEnd) return;
    ReadLine(run.configFile, line, &whole);
    StrictCheck();
    if (UpperText(line) == "END") {
      WriteLine(run.tempFile, whole);
      StrictCheck();
      return;
    }
    ShortString keyword = UpperText(FirstWord(line));
    if (keyword == "SIZE" || keyword == "COUNT" || keyword == "WHEN" || keyword == "SKIP") {
      ApplyLimitLine(line, area.sizeLimit, "SIZE");
      ApplyLimitLine(line, area.countLimit, "COUNT");
      ApplyWhenLine(line, area.enabled, "WHEN");
    }
    bool keep = true;
    if (area.enabled && keyword == "DIRECTORY") {
      bool nothingHatched = ScanDirectory(run, AfterFirstWord(line), totals, area, options);
      keep = !nothingHatched || options.stay;
    } else if (area.enabled && keyword == "FILE") {
      bool hatched = HatchFileEntry(run, AfterFirstWord(line), totals, area, options);
      keep = !hatched || options.stay;
    }
    if (keep) {
      WriteLine(run.tempFile, whole);
      StrictCheck();
    }
  }
}

}  // namespace brimvel
