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
  std::string_view word =
      blank == std::string_view::npos ? std::string_view() : trimmed.view().substr(0, blank);
  if (!SameUpper(word, UpperText(keyword))) return;
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
  std::string scratch;
  for (;;) {
    bool atEnd = AtEnd(run.configFile);
    StrictCheck();
    if (atEnd) return;
    std::string_view whole = ReadWholeLine(run.configFile, line, scratch);
    StrictCheck();
    if (SameUpper(line, "END")) {
      WriteLine(run.tempFile, whole);
      StrictCheck();
      return;
    }
    std::string_view keyword = FirstWordView(line);
    if (SameUpper(keyword, "SIZE") || SameUpper(keyword, "COUNT")) {
      ApplyLimitLine(line, area.sizeLimit, "SIZE");
      ApplyLimitLine(line, area.countLimit, "COUNT");
    } else if (SameUpper(keyword, "WHEN")) {
      ApplyWhenLine(line, area.enabled, "WHEN");
    }
    bool keep = true;
    if (area.enabled && SameUpper(keyword, "DIRECTORY")) {
      bool nothingHatched = ScanDirectory(run, AfterFirstWord(line), totals, area, options);
      keep = !nothingHatched || options.stay;
    } else if (area.enabled && SameUpper(keyword, "FILE")) {
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
