#include "hatch/hatch_command.h"

#include <string>

#include "hatch/template_expansion.h"
#include "support/error_text.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

// A path with blanks travels as one quoted word, so the post program gets it
// whole as a single argument.
std::string FileArgument(std::string_view path) {
  if (path.find(' ') == std::string_view::npos) return std::string(path);
  return "\"" + std::string(path) + "\"";
}

// The parameter text of a command: behind its first word and the blanks
// after it; a command of one word passes that word.
std::string_view Parameters(std::string_view command) {
  std::size_t start = command.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  std::size_t blank = command.find(' ', start);
  if (blank == std::string_view::npos) return command.substr(start);
  std::size_t rest = command.find_first_not_of(' ', blank);
  return rest == std::string_view::npos ? std::string_view() : command.substr(rest);
}

// Whether what stands at a path now is still the file that was chosen: a
// new version dropped in place during the hand-over never went out.
bool SameFile(const FoundEntry& chosen, const FoundEntry& now) {
  if (chosen.fileIndex != 0 && (now.device != chosen.device || now.fileIndex != chosen.fileIndex))
    return false;
  return now.size == chosen.size && now.time == chosen.time && now.writeTime == chosen.writeTime;
}

HandOver DeleteHandedOver(const HatchContext& context, const std::string& path,
                          const FoundEntry* chosen) {
  RunLog& log = context.log;
  FoundEntry now;
  int code = context.fs.Describe(path, now);
  // The program may have moved the file away itself: nothing is lost.
  if (code == kFileNotFound || code == kPathNotFound) {
    log.Line(Concat(" -> File ", path, " is gone already"));
    return HandOver::kDone;
  }
  // A file that cannot be looked at cannot be known to be the one handed over.
  if (code != 0) {
    log.Error(Concat(" -> File ", path, " not deleted: ", ErrorText(code, path)));
    return HandOver::kNotDeleted;
  }
  if (chosen != nullptr && !SameFile(*chosen, now)) {
    log.Error(Concat(" -> File ", path, " changed during its hand-over, kept"));
    return HandOver::kChanged;
  }
  log.Line(Concat(" -> Deleting file ", path));
  code = context.fs.Erase(path);
  if (code == 0 || code == kFileNotFound) return HandOver::kDone;
  log.Error(Concat(" -> File ", path, " not deleted: ", ErrorText(code, path)));
  return HandOver::kNotDeleted;
}

}  // namespace

std::string BuildCommand(const HatchSettings& run, std::string_view path, const AreaRecord& area,
                         const EntryOptions& options) {
  TemplateText appDesc =
      ExpandTemplate(TemplateText::FromTemplate(run.appendDesc), options.desc, "@Desc");
  TemplateText command =
      ExpandTemplate(TemplateText::FromTemplate(run.postProg), FileArgument(path), "@File");
  command = ExpandTemplate(command, area.name, "@Area");
  command = ExpandTemplate(command, options.option, "@Option");
  // The description is laid out by its field format first; its own escapes
  // are replaced once, by the next step; nothing put in is expanded again.
  command = ExpandTemplate(command, options.desc, "@Desc", true);
  command =
      ExpandTemplate(command, options.desc.empty() ? std::string() : appDesc.text, "@AppDesc");
  return command.text;
}

HandOver HatchFile(const HatchContext& context, std::string_view path, const AreaRecord& area,
                   const EntryOptions& options, const FoundEntry* chosen) {
  const HatchSettings& settings = context.settings;
  RunLog& log = context.log;
  const std::string command = BuildCommand(settings, path, area, options);
  log.StatusWhole((settings.dryRun ? "Would execute " : "Executing ") + command);

  HandOver result = HandOver::kDone;
  if (const std::size_t limit = context.runner.CommandLimit(); command.size() > limit) {
    // Cut, it would hand the program other words than the template says.
    log.Error(Concat(" -> Command for ", path, " is longer than ", std::to_string(limit),
                     " characters, not executed"));
    result = HandOver::kNotRun;
  } else if (settings.dryRun) {
    // Nothing is started; the hand-over is shown as if it succeeded.
    if (options.deleteFile) log.Line(Concat(" -> Would delete file ", path));
    return HandOver::kDone;
  } else {
    int exitCode = 0;
    int status = context.runner.RunAndWait(std::string(FirstWord(command)),
                                           std::string(Parameters(command)), exitCode);
    if (status != 0) {
      log.Error(Concat(" -> ", ErrorText(status, FirstWord(settings.postProg))));
      result = HandOver::kNotStarted;
    } else if (exitCode != 0) {
      log.Error(Concat(" -> ", FirstWord(settings.postProg), " ended with exit code ",
                       std::to_string(exitCode)));
      result = HandOver::kFailed;
    }
  }

  if (!options.deleteFile) return result;
  if (result != HandOver::kDone) {
    // Deleting a file that never reached its area would lose it.
    log.Error(Concat(" -> File ", path, " kept, its hand-over failed"));
    return result;
  }
  return DeleteHandedOver(context, std::string(path), chosen);
}

}  // namespace brimvel
