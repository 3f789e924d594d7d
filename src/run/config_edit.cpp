#include "run/config_edit.h"

#include "config/config_check.h"
#include "config/config_pass.h"
#include "support/error_text.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

constexpr const char* kEditSuffix = ".edit";

// The copy is made new, never through a name left in its place (a link to
// another file), and is no more open to others than the original.
int WriteCopy(FileSystem& fs, const std::string& original, const std::string& name,
              const std::string& bytes) {
  TextWriter file(fs, name);
  if (int code = file.OpenNewLocked(); code != 0) return code;
  fs.CopyPermissions(original, name);
  file.Write(bytes);
  if (int code = file.Sync(); code != 0) return code;
  return file.Close();
}

// Puts the edited copy in the original's place, with the original's owner
// and mode; an editor need not have forced its text to the disk, and the
// move must never leave an empty configuration behind a crash.
int Install(FileSystem& fs, const std::string& copy, const std::string& original) {
  Handle handle = kNoHandle;
  if (int code = fs.Open(copy, OpenKind::kReadWriteExisting, handle); code != 0) return code;
  int code = fs.Sync(handle);
  fs.Close(handle);
  if (code != 0) return code;
  fs.CopyPermissions(original, copy);
  return fs.Replace(copy, original);
}

// Starts the editor on the copy and reads back what it left; false, with
// `result` set, when the edit failed.
bool EditCopy(const RunEnvironment& env, const std::string& configName, const std::string& copy,
              std::string& edited, int& result) {
  TextWriter& out = env.errors;
  int editorExit = 0;
  if (int code = env.edit(copy, editorExit); code != 0) {
    out.WriteLine("brimvel: the editor ($VISUAL, $EDITOR) could not be started: " +
                  ErrorText(code, "editor"));
    result = code;
    return false;
  }
  if (int code = ReadWholeFile(env.fs, copy, edited); code != 0 || editorExit != 0) {
    out.WriteLine("brimvel: the editor failed, " + configName + " is left as it was");
    result = code != 0 ? code : 1;
    return false;
  }
  return true;
}

// The operator's choice after findings: E, X, or anything else to quit
// (also at the end of the input).
char AskWhatNow(const RunEnvironment& env) {
  env.errors.Write("What now? (e)dit again, (x) install anyway, (q)uit without installing: ");
  std::string answer = env.ask ? env.ask() : std::string();
  return answer.empty() ? 'q' : UpperChar(answer[0]);
}

}  // namespace

int EditConfiguration(const RunEnvironment& env, const std::string& configName) {
  TextWriter& out = env.errors;
  if (!env.edit) return 1;
  std::string realName;
  env.fs.RealName(configName, realName);
  // The run lock: no run works the file while it is edited, nor a second edit.
  TextWriter lock(env.fs, TempNameFor(realName, env.fs.DirectorySeparators()));
  if (int code = lock.OpenNewLocked(); code != 0) {
    out.WriteLine(code == kSharingViolation
                      ? "brimvel: " + configName + " is being worked by a run, try again later"
                      : "brimvel: " + ErrorText(code, lock.name()));
    return code == kSharingViolation ? 1 : code;
  }
  std::string original, edited;
  const std::string copy = realName + kEditSuffix;
  int code = ReadWholeFile(env.fs, realName, original);
  if (code == 0) code = WriteCopy(env.fs, realName, copy, original);
  if (code != 0)
    out.WriteLine("brimvel: " + configName +
                  " cannot be copied for editing: " + ErrorText(code, configName));
  int result = code;
  bool keepCopy = false;
  // A copy that cannot take the original's place stays, with the edit in it.
  auto install = [&] {
    int failed = Install(env.fs, copy, realName);
    if (failed != 0) {
      out.WriteLine("brimvel: " + configName + " is left as it was, the edit stays in " + copy +
                    ": " + ErrorText(failed, configName));
      keepCopy = true;
    }
    return failed;
  };
  while (code == 0) {
    if (!EditCopy(env, configName, copy, edited, result)) break;
    if (edited == original) {
      out.WriteLine("brimvel: " + configName + " unchanged");
      break;
    }
    if (CheckConfiguration(env.fs, env.runner, env.clock, copy, out).errors == 0) {
      // Warnings and notes do not hold it up.
      result = install();
      break;
    }
    char choice = AskWhatNow(env);
    if (choice == 'X') {
      result = install();
      break;
    }
    if (choice != 'E') {
      out.WriteLine("brimvel: " + configName + " is left as it was");
      result = 1;
      break;
    }
  }
  if (!keepCopy) env.fs.Erase(copy);
  lock.Erase();
  lock.Close();
  return result;
}

}  // namespace brimvel
