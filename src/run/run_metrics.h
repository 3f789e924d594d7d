#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "run/run_summary.h"
#include "support/file_system.h"

namespace brimvel {

// The text of "--metrics FILE", in the exposition format node_exporter's
// textfile collector reads, after a run that `summary` heard, which ended
// with `exitCode` at `unixTime`. The counters go on from the values of
// `previous` (the file's earlier text), so they grow run after run; the last
// run's time and result are replaced, and so is the waiting gauge of every
// area the run worked.
std::string MetricsText(std::string_view previous, const RunSummary& summary, int exitCode,
                        std::int64_t unixTime);

// Reads the file's earlier text and writes the new one in one step: a copy
// beside it, locked while it is read and written, synced and renamed over
// it, so the collector never reads half a file and a second run ending at the
// same moment is refused (32) instead of undoing the first one's counts.
// Returns 0 or the error code.
int WriteMetricsFile(FileSystem& fs, const std::string& name, const RunSummary& summary,
                     int exitCode, std::int64_t unixTime);

}  // namespace brimvel
