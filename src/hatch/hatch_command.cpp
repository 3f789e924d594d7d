#include "hatch/hatch_command.h"

#include <string>

#include "hatch/template_expansion.h"
#include "support/error_text.h"
#include "support/io_error.h"
#include "support/platform.h"
#include "support/string_utils.h"
#include "support/text_file.h"

namespace brimvel {

namespace {

// A path with blanks travels as one quoted word, so the post program gets it
// whole as a single argument.
std::string FileArgument(std::string_view path) {
  if (path.find(' ') == std::string_view::npos) return std::string(path);
  return "\"" + std::string(path) + "\"";
}

// The command, and whether some step of its expansion filled it to 255
// characters, so that the cut may have taken part of the path.
struct Command {
  ShortString text;
  bool filled = false;
};

Command Expand(const RunContext& run, std::string_view path, const AreaRecord& area,
               const EntryOptions& options) {
  TemplateText appDesc =
      ExpandTemplate(TemplateText::FromTemplate(run.appendDesc), options.desc, "@Desc");
  // The description's own escapes are honoured once; nothing put in is
  // expanded again.
  ShortString desc = ExpandTemplate(options.desc.view(), "", "");
  Command result;
  // A later macro shorter than its name shrinks a cut text again, so the
  // cut is noticed at the step that made it.
  auto step = [&result](TemplateText text) {
    if (text.text.size() >= ShortString::kCapacity) result.filled = true;
    return text;
  };
  TemplateText command =
      step(ExpandTemplate(TemplateText::FromTemplate(run.postProg), FileArgument(path), "@File"));
  command = step(ExpandTemplate(command, area.name, "@Area"));
  command = step(ExpandTemplate(command, options.option, "@Option"));
  command = step(ExpandTemplate(command, desc, "@Desc"));
  command = step(
      ExpandTemplate(command, options.desc.empty() ? std::string() : appDesc.text, "@AppDesc"));
  result.text = command.str();
  return result;
}

}  // namespace

ShortString BuildCommand(const RunContext& run, std::string_view path, const AreaRecord& area,
                         const EntryOptions& options) {
  return Expand(run, path, area, options).text;
}

void HatchFile(RunContext& run, std::string_view path, const AreaRecord& area,
               const EntryOptions& options) {
  Command built = Expand(run, path, area, options);
  const ShortString& command = built.text;
  LogStatus(run.log, (run.dryRun ? "Would execute " : "Executing ") + command);

  std::string fileArgument = FileArgument(path);
  bool handedOver = false;
  if (built.filled && UpperText(run.postProg).view().find("@FILE") != std::string_view::npos &&
      command.view().find(fileArgument) == std::string_view::npos) {
    // The command was cut inside the path: the program would get another name.
    LogError(run.log, " -> Command for " + ShortString(path) +
                          " is longer than 255 characters, not executed");
  } else if (run.dryRun) {
    // Nothing is started; the hand-over is shown as if it succeeded.
    if (options.deleteFile) LogLine(run.log, " -> Would delete file " + ShortString(path));
    return;
  } else {
    int exitCode = 0;
    int status =
        platform::RunAndWait(FirstWord(command).str(), AfterFirstWord(command).str(), exitCode);
    SetOsStatus(status);
    if (status != 0) {
      LogError(run.log, " -> " + ErrorText(status, FirstWord(run.postProg)));
    } else if (exitCode != 0) {
      LogError(run.log,
               " -> " + FirstWord(run.postProg) + " ended with exit code " + NumberText(exitCode));
    } else {
      handedOver = true;
    }
  }

  if (!options.deleteFile) return;
  if (!handedOver) {
    // Deleting a file that never reached its area would lose it.
    LogError(run.log, " -> File " + ShortString(path) + " kept, its hand-over failed");
    return;
  }
  LogLine(run.log, " -> Deleting file " + ShortString(path));
  TextFile victim;
  BindFile(victim, path);
  EraseFile(victim);
  TakeIoError();
}

}  // namespace brimvel
