#pragma once

#include <string>
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
  kNotRun,      // the command is longer than the platform starts, and was not run
  // With -DELETE: the program ran and ended with 0, but the file could not
  // be deleted; it stays, recorded as handed over.
  kNotDeleted,
  // With -DELETE: the program ran and ended with 0, but another file took
  // the path meanwhile; that file stays, not handed over.
  kChanged,
};

// Builds the post program's command for one file from the POSTPROG and
// APPENDDESC templates, runs it and waits; with -DELETE removes the file once
// the program ended successfully, and only while it is still the file
// `chosen` describes (as it was listed), when one is given.
HandOver HatchFile(const HatchContext& context, std::string_view path, const AreaRecord& area,
                   const EntryOptions& options, const FoundEntry* chosen = nullptr);

// The command HatchFile runs for a file.
std::string BuildCommand(const HatchSettings& settings, std::string_view path,
                         const AreaRecord& area, const EntryOptions& options);

}  // namespace brimvel
