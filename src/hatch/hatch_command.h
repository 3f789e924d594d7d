#pragma once

#include <string_view>

#include "config/area_record.h"
#include "hatch/entry_options.h"
#include "run/run_context.h"

namespace brimvel {

// Builds the post program's command for one file from the POSTPROG and
// APPENDDESC templates, runs it and waits; with -DELETE removes the file once
// the program ended successfully.
void HatchFile(RunContext& run, std::string_view path, const AreaRecord& area,
               const EntryOptions& options);

// The command HatchFile runs for a file.
ShortString BuildCommand(const RunContext& run, std::string_view path, const AreaRecord& area,
                         const EntryOptions& options);

}  // namespace brimvel
