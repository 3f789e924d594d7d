#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/clock.h"
#include "support/file_system.h"
#include "support/process_runner.h"
#include "support/text_writer.h"

namespace brimvel {

// What the check says a run today does with an entry line, as the pass's
// own rules (ScheduleDue, EntryStays) decide it.
enum class EntryFate { kNotWorked, kKept, kDropped };
struct EntryVerdict {
  std::int32_t line = 0;
  EntryFate fate = EntryFate::kKept;
};

struct CheckOutcome {
  int errors = 0;  // the run will fail, hand over wrongly, or leave work undone
  int warnings = 0;
  int notes = 0;
  std::vector<EntryVerdict> verdicts;
};

// Reads the configuration once, the way a run reads it (with -AREA's
// `areaFilter`, when given), and changes nothing: no log, no rewrite, no
// program started. Writes one line per finding to `out`
// ("file:line: error|warning|note: text", or "file: ..." when no line is
// meant), then a summary line.
CheckOutcome CheckConfiguration(FileSystem& fs, ProcessRunner& runner, const Clock& clock,
                                const std::string& configName, TextWriter& out,
                                std::string_view areaFilter = {});

}  // namespace brimvel
