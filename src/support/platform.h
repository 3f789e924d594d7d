#pragma once

// The operating system. Everything above it is portable; platform_posix.cpp
// and platform_win32.cpp each supply all of it, and no other file includes
// an OS header. Codes are those of error_codes.h.

#include <string>
#include <vector>

#include "support/clock.h"
#include "support/file_system.h"
#include "support/process_runner.h"

namespace brimvel::platform {

// The file system of the platform the program is built for.
class RealFileSystem final : public FileSystem {
 public:
  int Open(const std::string& name, OpenKind kind, Handle& handle) override;
  int LockShared(Handle handle) override;
  int StillNamed(Handle handle, const std::string& name) override;
  int Read(Handle handle, char* buffer, std::size_t size, std::size_t& got) override;
  int Write(Handle handle, const char* data, std::size_t size) override;
  int Seek(Handle handle, std::int64_t position) override;
  int Size(Handle handle, std::int64_t& size) override;
  int Truncate(Handle handle) override;
  int Sync(Handle handle) override;
  int Close(Handle handle) override;
  int Erase(const std::string& name) override;
  int Replace(const std::string& from, const std::string& to) override;
  int CopyPermissions(const std::string& from, const std::string& to) override;
  int CheckWritable(const std::string& name) override;
  int List(const std::string& directory, std::vector<FoundEntry>& entries) override;
  int Describe(const std::string& name, FoundEntry& entry) override;
  int ResolvedName(const std::string& name, std::string& resolved) override;
  int LinkTarget(const std::string& name, std::string& target) override;
  int RealName(const std::string& name, std::string& real) override;
  int Stamp(Handle handle, FileStamp& stamp) override;
  int StampOf(const std::string& name, FileStamp& stamp) override;
  std::string_view DirectorySeparators() const override;
  bool NamesIgnoreCase() const override;
  std::string_view LineEnd() const override;
};

// Starts programs as the platform does.
class RealProcessRunner final : public ProcessRunner {
 public:
  int RunAndWait(const std::string& program, const std::string& parameters, int& exitCode) override;
  int CheckRunnable(const std::string& program) override;
  std::size_t CommandLimit() const override;
};

// The local time as the system keeps it.
class RealClock final : public Clock {
 public:
  LocalTime Now() const override;
};

inline FileSystem& SystemFileSystem() {
  static RealFileSystem fs;
  return fs;
}
inline ProcessRunner& SystemProcessRunner() {
  static RealProcessRunner runner;
  return runner;
}
inline Clock& SystemClock() {
  static RealClock clock;
  return clock;
}

Handle StandardInput();
Handle StandardOutput();
Handle StandardError();
// Whether standard output is the systemd journal: JOURNAL_STREAM names its
// device and inode ("DEV:INODE"). A child of the service that writes to a
// terminal or a file of its own inherits the variable, hence the check.
bool StandardOutputIsJournal();

// Runs the operator's editor ($VISUAL, else $EDITOR, else the system's own)
// on `file`, on the run's console, and waits for it.
int RunEditor(const std::string& file, int& exitCode);

// The program's parameters, without the program itself.
std::vector<std::string> CommandLineParameters(int argc, char** argv);

// SIGPIPE and SIGXFSZ become failed writes (no-op on Windows). Started
// programs get the default actions back.
void IgnoreOutputSignals();
// From now on the first Ctrl-C, termination request or hang-up (a closed
// console on Windows) is only noted; the next one ends the process as
// usual. Started programs do not receive the keyboard's Ctrl-C.
void WatchInterruptions();
// The signal number of the noted request (on Windows the console event as
// the matching POSIX number), 0 while there was none.
int Interruption();

void SaveConsoleTitle();
// The title is log text: Windows shows it in its ANSI code page, a terminal
// as it is.
void ShowConsoleTitle(const std::string& text);
void RestoreConsoleTitle();

}  // namespace brimvel::platform
