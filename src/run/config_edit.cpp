#include "run/config_edit.h"

#include "config/config_check.h"
#include "config/config_pass.h"
#include "support/error_text.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

constexpr const char* kEditSuffix = ".edit";

int ReadWhole(FileSystem& fs, const std::string& name, std::string& bytes) {
  bytes.clear();
  Handle handle = kNoHandle;
  if (int code = fs.Open(name, OpenKind::kReadExisting, handle); code != 0) return code;
  char buffer[4096];
  std::size_t got = 0;
  int code = 0;
  while ((code = fs.Read(handle, buffer, sizeof buffer, got)) == 0 && got > 0)
    bytes.append(buffer, got);
  fs.Close(handle);
  return code;
}

int WriteWhole(FileSystem& fs, const std::string& name, const std::string& bytes) {
  TextFile file(fs, name);
  if (int code = file.OpenNew(); code != 0) return code;
  file.Write(bytes);
  if (int code = file.Sync(); code != 0) return code;
  return file.Close();
}

}  // namespace

int EditConfiguration(const RunEnvironment& env, const std::string& configName) {
  TextFile& out = env.errors;
  if (!env.edit) return 1;
  std::string realName;
  env.fs.RealName(configName, realName);
  // The run lock: no run works the file while it is edited, nor a second edit.
  TextFile lock(env.fs, TempNameFor(realName, env.fs.DirectorySeparators()));
  if (int code = lock.OpenNewLocked(); code != 0) {
    out.WriteLine(code == kSharingViolation
                      ? "brimvel: " + configName + " is being worked by a run, try again later"
                      : "brimvel: " + std::string(ErrorText(code, lock.name()).view()));
    return code == kSharingViolation ? 1 : code;
  }
  std::string original, edited;
  const std::string copy = realName + kEditSuffix;
  int code = ReadWhole(env.fs, realName, original);
  if (code == 0) code = WriteWhole(env.fs, copy, original);
  int result = code;
  while (code == 0) {
    int editorExit = 0;
    if (code = env.edit(copy, editorExit); code != 0) {
      out.WriteLine("brimvel: the editor ($VISUAL, $EDITOR) could not be started: " +
                    std::string(ErrorText(code, "editor").view()));
      result = code;
      break;
    }
    if (code = ReadWhole(env.fs, copy, edited); code != 0 || editorExit != 0) {
      out.WriteLine("brimvel: the editor failed, " + configName + " is left as it was");
      result = code != 0 ? code : 1;
      break;
    }
    if (edited == original) {
      out.WriteLine("brimvel: " + configName + " unchanged");
      break;
    }
    if (CheckConfiguration(env.fs, env.runner, env.clock, copy, out).errors == 0) {
      // The original's owner and mode, in one step (warnings and notes do not hold it up).
      env.fs.CopyPermissions(realName, copy);
      result = env.fs.Replace(copy, realName);
      break;
    }
    out.Write("What now? (e)dit again, (x) install anyway, (q)uit without installing: ");
    std::string answer = env.ask ? env.ask() : std::string();
    char choice = answer.empty() ? 'q' : UpperChar(answer[0]);
    if (choice == 'X') {
      env.fs.CopyPermissions(realName, copy);
      result = env.fs.Replace(copy, realName);
      break;
    }
    if (choice != 'E') {
      out.WriteLine("brimvel: " + configName + " is left as it was");
      result = 1;
      break;
    }
  }
  env.fs.Erase(copy);
  lock.Erase();
  lock.Close();
  return result;
}

}  // namespace brimvel
