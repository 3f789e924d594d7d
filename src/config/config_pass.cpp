#include "config/config_pass.h"

#include <string>

#include "config/area_block.h"
#include "hatch/file_entry.h"
#include "run/daily_guard.h"
#include "support/io_error.h"
#include "support/platform.h"
#include "support/run_end.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

// With the temporary file locked, makes sure no other run has worked, or is
// still finishing, the configuration this run opened at its start.
PassResult CheckNoOtherRun(RunContext& run) {
  if (platform::StillNamed(run.configFile.handle, run.configName.str()) != 0)
    return PassResult::kLocked;  // replaced by a run that worked meanwhile
  if (platform::LockShared(run.configFile.handle) != 0)
    return PassResult::kLocked;  // a run that just replaced it is still ending
  if (!run.forced && !ShouldWorkToday()) return PassResult::kAlreadyWorked;
  return PassResult::kDone;
}

// The one pass: every line to the temporary file, area blocks worked on the way.
void CopyLines(RunContext& run) {
  ShortString line;
  std::string scratch;
  for (;;) {
    bool atEnd = AtEnd(run.configFile);
    StrictCheck();
    if (atEnd) break;
    std::string_view whole = ReadWholeLine(run.configFile, line, scratch);
    StrictCheck();
    // Written back whole: only parsing is limited to the first 255 characters.
    WriteLine(run.tempFile, whole);
    StrictCheck();
    std::string_view keyword = FirstWordView(line);
    if (SameUpper(keyword, "POSTPROG")) run.postProg = AfterFirstWord(line);
    if (SameUpper(keyword, "APPENDDESC")) run.appendDesc = AfterFirstWord(line);
    if (SameUpper(keyword, "AREA")) ProcessAreaBlock(run, AfterFirstWord(line));
  }
}

}  // namespace

ShortString TempNameFor(const ShortString& configName) {
  return DirectoryPart(configName) + kTempName;
}

PassResult ConfigPass(RunContext& run) {
  BindFile(run.tempFile, TempNameFor(run.configName).view());
  if (run.dryRun) {
    OpenDiscard(run.tempFile);
    LogStatus(run.log, "Loading configuration file " + run.configName + "..");
    CopyLines(run);
    CloseText(run.configFile);
    StrictCheck();
    return PassResult::kDone;
  }
  OpenNewLocked(run.tempFile);
  std::int32_t code = TakeIoError();
  if (code == platform::kSharingViolation) return PassResult::kLocked;
  if (code != 0) {
    LogError(run.log, "Temporary file brimvel.tmp couldn't be created..");
  } else {
    PassResult refusal = CheckNoOtherRun(run);
    if (refusal != PassResult::kDone) {
      // The lock is ours, so the empty file we made is nobody else's.
      EraseFile(run.tempFile);
      CloseText(run.tempFile);
      TakeIoError();
      return refusal;
    }
  }
  LogStatus(run.log, "Loading configuration file " + run.configName + "..");

  CopyLines(run);

  // The new configuration reaches the disk before it takes the old one's
  // place, and the move is one step: there is never a moment without a
  // complete configuration.
  SyncText(run.tempFile);
  StrictCheck();
  CloseText(run.configFile);
  StrictCheck();
  code = platform::CheckWritable(run.configName.str());
  if (code != 0) RuntimeErrorReport(code);
  platform::CopyPermissions(run.configName.str(), run.tempFile.name);
  ReplaceTo(run.tempFile, run.configName.view());
  StrictCheck();
  // The file stays open, and so locked, until the process ends: a run that
  // starts now must see this one as still working until its marker is set.
  FlushFile(run.tempFile);
  StrictCheck();
  return PassResult::kDone;
}

}  // namespace brimvel
