#pragma once

#include <functional>
#include <string>

#include "hatch/hatch_observer.h"
#include "support/file_system.h"
#include "support/process_runner.h"
#include "support/run_log.h"
#include "support/text_writer.h"

namespace brimvel {

// The command templates of the configuration, and whether to only show.
struct HatchSettings {
  std::string postProg;
  std::string appendDesc;
  bool dryRun = false;  // decide everything, start and change nothing
};

// What a hand-over works with: the file system it finds and deletes files
// in, the program starter, the log, and the new configuration that takes
// the skip lines.
struct HatchContext {
  FileSystem& fs;
  ProcessRunner& runner;
  RunLog& log;
  TextWriter& out;
  const HatchSettings& settings;
  // The signal that asked the run to stop (0 while none): nothing more is
  // handed over once it is set.
  std::function<int()> interruption = {};
  HatchObserver* observer = nullptr;
  // The configuration this run reads; `out` is the one it writes.
  Handle configHandle = kNoHandle;

  bool Interrupted() const { return interruption && interruption() != 0; }
  // Whether a found path names the configuration this run reads or the new
  // one it writes: handing either over, let alone deleting it, would lose
  // the record of the run. A check that fails counts as a match: passing a
  // file over is the safe side.
  bool IsOwnFile(const std::string& path) const {
    for (Handle handle : {out.handle(), configHandle})
      if (handle != kNoHandle && fs.StillNamed(handle, path) != kSharingViolation) return true;
    return false;
  }
};

}  // namespace brimvel
