#pragma once

// The thin operating-system interface. Everything above it is portable;
// platform_posix.cpp and platform_win32.cpp each supply all of it, and no
// other file includes an OS header. Every operation that can fail returns 0
// or the error code of the original platform (2 file not found, 3 path not
// found, 5 access denied, 18 no more files, 32 sharing violation, 112 disk
// full, ...), whatever OS is underneath.

#include <cstdint>
#include <string>
#include <vector>

namespace brimvel::platform {

using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kAccessDenied = 5;
inline constexpr int kNoMoreFiles = 18;
inline constexpr int kSharingViolation = 32;
inline constexpr int kDiskFull = 112;

enum class OpenKind {
  kReadExisting,       // read access, others may read and write
  kCreateAlways,       // read and write, an existing file is emptied
  kReadWriteExisting,  // read and write, positioned at the start
  kAppendExisting,     // read and write; every write lands at the end, even
                       // when another process appends to the same file
  kCreateAppend,       // as kAppendExisting, creating the file when missing
  kCreateLocked,       // like kCreateAlways, but first takes an exclusive lock
                       // that dies with the process; a held lock gives 32
};

int OpenFile(const std::string& name, OpenKind kind, Handle& handle);
// A shared, non-blocking lock on an open file, refused (32) while another
// process holds the file exclusively (a run that just made it its new
// configuration holds it so until it ends).
int LockShared(Handle handle);
// 0 when the name still names the open file; 32 when another file took its
// name (or the name is gone).
int StillNamed(Handle handle, const std::string& name);
int ReadFile(Handle handle, char* buffer, std::size_t size, std::size_t& got);
int WriteFile(Handle handle, const char* data, std::size_t size);
int SeekFile(Handle handle, std::int64_t position);
int FileSize(Handle handle, std::int64_t& size);
int TruncateFile(Handle handle);  // at the current position
int SyncFile(Handle handle);      // to the disk
int CloseFile(Handle handle);
int DeleteFile(const std::string& name);
// Moves `from` over `to` in one step and makes the change durable.
int ReplaceFile(const std::string& from, const std::string& to);
// Gives `to` the permission bits of `from`; best effort.
int CopyPermissions(const std::string& from, const std::string& to);

// Whether the process may replace the named file: 0, or 5 for a read-only
// file (also when the process could override the read-only mark).
int CheckWritable(const std::string& name);

// 0 when the file may be started as a program, 5 when it may not.
int CheckRunnable(const std::string& program);

// The characters that end the directory part of a path.
const char* DirectorySeparators();
// Whether file names are compared without regard to case, so that a found
// name may be upper-cased and still name the same file.
bool NamesIgnoreCase();

Handle StandardInput();
Handle StandardOutput();
Handle StandardError();

// One directory entry as the search reports it.
struct FoundEntry {
  std::string name;  // without directory part
  std::uint8_t
      attributes;      // 0x01 read-only, 0x02 hidden, 0x04 system, 0x10 directory, 0x20 archive
  std::uint32_t time;  // last write, local time, packed date-time layout
  std::uint64_t size;
};

// All entries matching the pattern (directory part plus a name with * and ?),
// in the order the platform delivers them. Returns 0, 2 when nothing matches,
// 3 when the directory is missing, 5 when it may not be read.
int FindEntries(const std::string& pattern, std::vector<FoundEntry>& entries);

// Starts `program` (no search along PATH) with the parameter text, waits for
// it, returns 0 or the start error; exitCode receives the program's result.
int RunAndWait(const std::string& program, const std::string& parameters, int& exitCode);

struct LocalTime {
  int year, month, day, dayOfWeek;  // dayOfWeek 0 = Sunday
  int hour, minute, second, millisecond;
};
LocalTime Now();

// The program's parameters, without the program itself.
std::vector<std::string> CommandLineParameters(int argc, char** argv);

void SaveConsoleTitle();
void ShowConsoleTitle(const std::string& text);
void RestoreConsoleTitle();

[[noreturn]] void ExitProcess(int code);

}  // namespace brimvel::platform
