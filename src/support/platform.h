#pragma once

// The thin operating-system interface. Everything above it is portable;
// platform_posix.cpp and platform_win32.cpp each supply all of it, and no
// other file includes an OS header. Codes are those of file_system.h.

#include <cstdint>
#include <string>
#include <vector>

#include "support/clock.h"
#include "support/file_system.h"
#include "support/process_runner.h"

namespace brimvel::platform {

int OpenFile(const std::string& name, OpenKind kind, Handle& handle);
int LockShared(Handle handle);
int StillNamed(Handle handle, const std::string& name);
int ReadFile(Handle handle, char* buffer, std::size_t size, std::size_t& got);
int WriteFile(Handle handle, const char* data, std::size_t size);
int SeekFile(Handle handle, std::int64_t position);
int FileSize(Handle handle, std::int64_t& size);
int TruncateFile(Handle handle);
int SyncFile(Handle handle);
int CloseFile(Handle handle);
int DeleteFile(const std::string& name);
int ReplaceFile(const std::string& from, const std::string& to);
int CopyPermissions(const std::string& from, const std::string& to);
int CheckWritable(const std::string& name);
int RealName(const std::string& name, std::string& real);
int Stamp(Handle handle, FileStamp& stamp);
int StampOfName(const std::string& name, FileStamp& stamp);
int CheckRunnable(const std::string& program);
int ListDirectory(const std::string& directory, std::vector<FoundEntry>& entries);
int DescribeFile(const std::string& name, FoundEntry& entry);
int ResolveName(const std::string& name, std::string& resolved);
int LinkTarget(const std::string& name, std::string& target);

const char* DirectorySeparators();
bool NamesIgnoreCase();
const char* LineEnd();

Handle StandardInput();
Handle StandardOutput();
Handle StandardError();
// Whether standard output is the systemd journal: JOURNAL_STREAM names its
// device and inode ("DEV:INODE"). A child of the service that writes to a
// terminal or a file of its own inherits the variable, hence the check.
bool StandardOutputIsJournal();

int RunAndWait(const std::string& program, const std::string& parameters, int& exitCode);
// The longest command (program, blank, parameters) RunAndWait can start.
std::size_t CommandLimit();

// Runs the operator's editor ($VISUAL, else $EDITOR, else the system's own)
// on `file`, on the run's console, and waits for it.
int RunEditor(const std::string& file, int& exitCode);

LocalTime Now();

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

// The real file system, program starter and clock over the functions above.
FileSystem& SystemFileSystem();
ProcessRunner& SystemProcessRunner();
Clock& SystemClock();

}  // namespace brimvel::platform
