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

}  // namespace

ShortString BuildCommand(const RunContext& run, std::string_view path, const AreaRecord& area,
                         const EntryOptions& options) {
  TemplateText appDesc =
      ExpandTemplate(TemplateText::FromTemplate(run.appendDesc), options.desc, "@Desc");
  // The description's own escapes are honoured once; nothing put in is
  // expanded again.
  ShortString desc = ExpandTemplate(options.desc.view(), "", "");
  TemplateText command =
      ExpandTemplate(TemplateText::FromTemplate(run.postProg), FileArgument(path), "@File");
  command = ExpandTemplate(command, area.name, "@Area");
  command = ExpandTemplate(command, options.option, "@Option");
  command = ExpandTemplate(command, desc, "@Desc");
  command =
      ExpandTemplate(command, options.desc.empty() ? std::string() : appDesc.text, "@AppDesc");
  return command.str();
}

void HatchFile(RunContext& run, std::string_view path, const AreaRecord& area,
               const EntryOptions& options) {
  ShortString command = BuildCommand(run, path, area, options);
  if (run.dryRun) {
    LogStatus(run.log, "Would execute " + command);
    if (options.deleteFile) LogLine(run.log, " -> Would delete file " + ShortString(path));
    return;
  }
  LogStatus(run.log, "Executing " + command);

  std::string fileArgument = FileArgument(path);
  bool handedOver = false;
  if (command.size() == ShortString::kCapacity &&
      UpperText(run.postProg).view().find("@FILE") != std::string_view::npos &&
      command.view().find(fileArgument) == std::string_view::npos) {
    // The command was cut inside the path: the program would get another name.
    LogError(run.log, " -> Command for " + ShortString(path) +
                          " is longer than 255 characters, not executed");
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
