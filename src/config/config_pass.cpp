#include "config/config_pass.h"

#include "config/area_block.h"
#include "config/config_merge.h"
#include "support/error_text.h"
#include "support/search.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

// With the temporary file locked, makes sure no other run has worked, or is
// still finishing, the configuration this run opened at its start.
PassOutcome CheckNoOtherRun(PassContext& pass, TextReader& config, bool forced,
                            const std::function<bool()>& dayWorked) {
  int code = pass.fs.StillNamed(config.handle(), config.name());
  if (code == 0) code = pass.fs.LockShared(config.handle());
  // Only 32 means another run: any other failure is this run's own.
  if (code != 0)
    return PassOutcome{code == kSharingViolation ? PassResult::kLocked : PassResult::kFailed, code};
  if (!forced && dayWorked()) return PassOutcome{PassResult::kAlreadyWorked, 0};
  return PassOutcome{};
}

// The one pass: every line to the new configuration, area blocks worked on
// the way. Returns 0 or the code of a failure to read or write.
int CopyLines(PassContext& pass, TextReader& config) {
  ConfigReader reader(config);
  ConfigLine line;
  bool lineEndChosen = false;
  for (;;) {
    // Outside the blocks only POSTPROG, APPENDDESC and AREA mean anything;
    // every other line goes over as it stands.
    std::string_view inert = reader.TakeInertLines(pass.out.lineEnd(), [](std::string_view text) {
      return !CanMatter(text, LinePlace::kOutside);
    });
    if (!inert.empty()) {
      if (int code = pass.out.Write(inert); code != 0) return code;
    }
    if (!reader.Next(line)) break;
    // The new configuration keeps the line ends the old one was written with.
    if (!lineEndChosen && !config.LineEndRead().empty()) {
      pass.out.SetLineEnd(config.LineEndRead());
      lineEndChosen = true;
    }
    // Written back whole: only parsing is limited to the first 255 characters.
    if (int code = CopyLine(pass.out, line); code != 0) return code;
    if (int code = pass.log.error(); code != 0) return code;
    switch (line.kind) {
      case LineKind::kPostProg:
        pass.settings.postProg = line.argument;
        break;
      case LineKind::kAppendDesc:
        pass.settings.appendDesc = line.argument;
        break;
      case LineKind::kArea:
        if (int code = ProcessAreaBlock(pass, reader, line); code != 0) return code;
        break;
      default:
        break;
    }
  }
  return config.error();
}

// Whether an open file, and the file its name denotes now, are both still
// the one stamped when it was opened.
bool StillAsOpened(FileSystem& fs, TextFile& file, const FileStamp& opened) {
  FileStamp held, named;
  return fs.Stamp(file.handle(), held) == 0 && held == opened &&
         fs.StampOf(file.name(), named) == 0 && named == opened;
}

PassOutcome Failed(int code) { return PassOutcome{PassResult::kFailed, code}; }

// -CFG brimvel.tmp: the temporary file would be the configuration itself.
bool IsTempName(PassContext& pass, const std::string& configName) {
  std::string_view base =
      std::string_view(configName)
          .substr(DirectoryPart(configName, pass.fs.DirectorySeparators()).size());
  return pass.fs.NamesIgnoreCase() ? SameUpper(base, "BRIMVEL.TMP") : base == kTempName;
}

// The operator saved the configuration while this run worked it (an editor
// that renames its copy over it, or one that writes it in place): the
// operator's version stays, and this run's goes beside it to be merged.
PassOutcome KeepOperatorsVersion(PassContext& pass, TextWriter& temp, const std::string& configName,
                                 const std::string& shownName) {
  pass.fs.CopyPermissions(configName, temp.name());
  if (int code = temp.ReplaceTo(configName + kUnmergedSuffix); code != 0) return Failed(code);
  pass.log.Error("Configuration file " + shownName +
                 " was changed while this run worked it and is left as it is: merge the Skip "
                 "lines and dropped entries of " +
                 shownName + kUnmergedSuffix + " into it");
  return Failed(kSharingViolation);
}

// Applies the run's record to the version the operator saved and puts the
// result in its place, with the same care as the run's own rewrite; false,
// with the operator's version untouched, when a change has no certain place
// there or the version changed again meanwhile.
bool MergeIntoEdited(PassContext& pass, TextWriter& merged, const std::string& configName) {
  TextReader edited(pass.fs, configName);
  FileStamp opened;
  if (edited.OpenRead() != 0 || edited.LinesEndInCrOnly() ||
      pass.fs.Stamp(edited.handle(), opened) != 0)
    return false;
  if (merged.OpenNewLocked() != 0) return false;
  bool applied = false;
  bool done =
      MergeRecord(edited, pass.record, merged, applied) == 0 && applied && merged.Sync() == 0;
  done = done && StillAsOpened(pass.fs, edited, opened);
  edited.Close();
  if (done && pass.fs.CheckWritable(configName) == 0) {
    pass.fs.CopyPermissions(configName, merged.name());
    if (merged.ReplaceTo(configName) == 0) return true;
  }
  merged.Erase();
  merged.Close();
  return false;
}

// The operator saved the configuration while this run worked it: this
// run's record goes into the operator's version where it finds its place
// for certain; otherwise the operator's version stays as it is and this
// run's goes beside it.
PassOutcome MergeOrKeep(PassContext& pass, TextWriter& temp, TextWriter& merged,
                        const std::string& configName, const std::string& shownName) {
  if (pass.record.empty()) {
    temp.Erase();
    pass.log.Line("Configuration file " + shownName +
                  " was changed while this run worked it; this run changed none of its lines");
    return PassOutcome{};
  }
  if (!MergeIntoEdited(pass, merged, configName))
    return KeepOperatorsVersion(pass, temp, configName, shownName);
  temp.Erase();
  pass.log.Line("Configuration file " + shownName +
                " was changed while this run worked it: merged this run's Skip lines and "
                "dropped entries into the edited configuration");
  return PassOutcome{};
}

}  // namespace

std::string TempNameFor(std::string_view configName, std::string_view separators) {
  return std::string(DirectoryPart(configName, separators)) + kTempName;
}

PassOutcome ConfigPass(PassContext& pass, TextReader& config, TextWriter& temp, TextWriter& merged,
                       const std::string& shownName, bool forced,
                       const std::function<bool()>& dayWorked) {
  const std::string configName = config.name();
  // Read as text, such a file is one line: the rewrite would lose every entry.
  if (config.LinesEndInCrOnly()) {
    pass.log.Error(
        "Configuration file " + shownName +
        " has lines that end in CR only, nothing done: save it with LF or CR LF line ends");
    return Failed(kBadFormat);
  }
  if (pass.settings.dryRun) {
    temp.OpenDiscard();
    pass.log.Status("Loading configuration file " + shownName + "..");
    if (int code = CopyLines(pass, config); code != 0) return Failed(code);
    if (int code = config.Close(); code != 0) return Failed(code);
    return PassOutcome{};
  }
  if (IsTempName(pass, configName)) {
    pass.log.Error("Configuration file " + shownName + " is the temporary file " + kTempName +
                   ", nothing done: give the configuration another name");
    return Failed(kAccessDenied);
  }
  int code = temp.OpenNewLocked();
  if (code == kSharingViolation) return PassOutcome{PassResult::kLocked, 0};
  if (code != 0) {
    pass.log.Error("Temporary file brimvel.tmp couldn't be created..");
    pass.log.Status("Loading configuration file " + shownName + "..");
    // Nothing can be written: the first line to copy, or the final flush,
    // meets a file that is not open.
    return Failed(config.AtEnd() ? kNotOpen : kNotOpenForOutput);
  }
  PassOutcome refusal = CheckNoOtherRun(pass, config, forced, dayWorked);
  // A configuration that cannot be replaced would lose the record of every
  // hand-over: find it out before the first one.
  int unwritable = refusal.result == PassResult::kDone ? pass.fs.CheckWritable(configName) : 0;
  if (refusal.result != PassResult::kDone || unwritable != 0) {
    // The lock is ours, so the empty file we made is nobody else's.
    temp.Erase();
    temp.Close();
    if (unwritable != 0) {
      pass.log.Error(
          "Configuration file " + shownName +
          " cannot be replaced, nothing handed over: " + ErrorText(unwritable, shownName));
      return Failed(unwritable);
    }
    return refusal;
  }
  // What the configuration is as this run reads it (taken after the
  // temporary file, whose removal of a stale link changes the link count): it
  // must still be that, under the lock, right before the run's version
  // replaces it.
  FileStamp opened;
  pass.fs.Stamp(config.handle(), opened);
  pass.log.Status("Loading configuration file " + shownName + "..");

  if (code = CopyLines(pass, config); code != 0) return Failed(code);

  // The new configuration reaches the disk before it takes the old one's
  // place, and the move is one step: there is never a moment without a
  // complete configuration.
  if (code = temp.Sync(); code != 0) return Failed(code);
  bool unchanged = StillAsOpened(pass.fs, config, opened);
  if (code = config.Close(); code != 0) return Failed(code);
  if (!unchanged) return MergeOrKeep(pass, temp, merged, configName, shownName);
  if (code = pass.fs.CheckWritable(configName); code != 0) return Failed(code);
  pass.fs.CopyPermissions(configName, temp.name());
  if (code = temp.ReplaceTo(configName); code != 0) return Failed(code);
  return PassOutcome{};
}

}  // namespace brimvel
