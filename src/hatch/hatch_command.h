#pragma once

#include <string_view>

#include "hatch/area_record.h"
#include "hatch/entry_options.h"
#include "hatch/hatch_context.h"

namespace brimvel {

// How one hand-over went.
enum class HandOver {
  kDone,        // the program ran and ended with 0 (or would, in a dry run)
  kFailed,      // the program ran and ended with another code
  kNotStarted,  // the program could not be started
  kNotRun,      // the command was cut inside the path and was not run
};

// Builds the post program's command for one file from the POSTPROG and
// APPENDDESC templates, runs it and waits; with -DELETE removes the file once
// the program ended successfully.
HandOver HatchFile(const HatchContext& context, std::string_view path, const AreaRecord& area,
                   const EntryOptions& options);

// The command HatchFile runs for a file.
ShortString BuildCommand(const HatchSettings& settings, std::string_view path,
                         const AreaRecord& area, const EntryOptions& options);

}  // namespace brimvel
