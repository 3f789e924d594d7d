// Win32 realisation of the thin OS interface (kernel32 and user32, ANSI
// functions). Error numbers are Windows' own, which are the codes the rest of
// the program speaks.
//
// Every name inside the program is in the OEM code page, the one its
// configuration and log are written in; the ANSI file functions want the
// ANSI code page. Names are converted at this boundary, in both directions,
// so that a name read from the configuration, searched, found and opened
// again always means the same file. Program paths and parameters go to the
// post program unconverted: it reads them as the OEM text they are.
#include "support/platform.h"
#include "support/search.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstring>

#include "support/code_page.h"
#include "support/command_line.h"
#include "support/console_control.h"

namespace brimvel::platform {

static_assert(kFileNotFound == ERROR_FILE_NOT_FOUND && kPathNotFound == ERROR_PATH_NOT_FOUND &&
              kAccessDenied == ERROR_ACCESS_DENIED && kNoMoreFiles == ERROR_NO_MORE_FILES &&
              kSharingViolation == ERROR_SHARING_VIOLATION && kDiskFull == ERROR_DISK_FULL);

namespace {

constexpr DWORD kTitleBufferSize = 1024;
// The longest path the system gives back.
constexpr DWORD kLongPath = 32768;

// A rename target held open by a short-lived reader (another run that is
// about to refuse, a virus scanner) refuses the move for a moment only.
constexpr int kReplaceAttempts = 40;
constexpr DWORD kReplacePauseMs = 50;

// Byte 2^62 of a file: the run lock (see LockByte).
constexpr DWORD kLockByteHigh = 0x40000000;

// Appending, the handle may add data but never write over any: the system
// puts every write at the end of the file as it is at that moment, so runs
// that share the log cannot overwrite each other's lines. Reading stays
// allowed for the look at the file's tail when it is opened.
constexpr DWORD kAppendAccess = GENERIC_READ | FILE_APPEND_DATA;

HWND consoleWindow = nullptr;
std::string savedTitle;

// A failure that leaves no code is still a failure.
int ErrorCode(DWORD code) { return code == 0 ? kAccessDenied : static_cast<int>(code); }
int LastError() { return ErrorCode(GetLastError()); }

HANDLE ToHandle(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
Handle FromHandle(HANDLE handle) { return reinterpret_cast<Handle>(handle); }

// A name in the other code page, which has as many bytes.
std::string Converted(const char* name, BOOL(WINAPI* convert)(LPCSTR, LPSTR)) {
  std::string converted(std::strlen(name) + 1, '\0');
  convert(name, converted.data());
  converted.resize(std::strlen(converted.c_str()));
  return converted;
}
std::string AnsiName(const std::string& name) { return Converted(name.c_str(), OemToCharA); }
std::string OemName(const char* name) { return Converted(name, CharToOemA); }

// A 64-bit value the system hands over in two halves.
std::uint64_t Join(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

FileTime LocalWriteTime(const FILETIME& written) {
  FILETIME local;
  if (!FileTimeToLocalFileTime(&written, &local)) return {};
  // Ticks of 100 ns since 1601; 11644473600 seconds lie between 1601 and 1970.
  const std::uint64_t ticks = Join(local.dwHighDateTime, local.dwLowDateTime);
  return FileTime{std::chrono::seconds{static_cast<std::int64_t>(ticks / 10000000) - 11644473600}};
}

// A handle for the file's attributes only: it passes every share mode.
HANDLE OpenAttributes(const std::string& name) {
  return CreateFileA(AnsiName(name).c_str(), FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The lock proper is a byte-range lock far beyond any data, so it hinders
// no read or write; it follows the file through the move and dies with
// the handle, that is with the process at the latest.
int LockByte(HANDLE file, bool exclusive) {
  OVERLAPPED at{};
  at.OffsetHigh = kLockByteHigh;
  DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  if (LockFileEx(file, flags, 0, 1, 0, &at)) return 0;
  int code = LastError();
  return code == ERROR_LOCK_VIOLATION ? kSharingViolation : code;
}

}  // namespace

// An empty file name names no file. Windows calls it a missing path; the
// codes must read as they do on every other system, so it is a missing file
// here. (Starting a program of no name stays the missing path Windows
// reports, as the log has always said.)

int RealFileSystem::Open(const std::string& name, OpenKind kind, Handle& handle) {
  if (name.empty()) return kFileNotFound;
  DWORD access = GENERIC_READ | GENERIC_WRITE;
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  DWORD creation = OPEN_EXISTING;
  switch (kind) {
    case OpenKind::kReadExisting:
      access = GENERIC_READ;
      break;
    case OpenKind::kCreateAlways:
      creation = CREATE_ALWAYS;
      break;
    case OpenKind::kReadWriteExisting:
      break;
    case OpenKind::kAppendExisting:
      access = kAppendAccess;
      break;
    case OpenKind::kCreateAppend:
      access = kAppendAccess;
      creation = OPEN_ALWAYS;
      break;
    case OpenKind::kCreateLocked:
      // Nobody else may write it, so a second run meets a sharing violation;
      // reading is shared because the file becomes the configuration while
      // still open, and deleting because that move happens while it is open.
      share = FILE_SHARE_READ | FILE_SHARE_DELETE;
      creation = OPEN_ALWAYS;
      break;
  }
  std::string ansi = AnsiName(name);
  // The temporary file and the marker are never written through a link: a
  // link in their place is removed by its name.
  if (kind == OpenKind::kCreateLocked || kind == OpenKind::kCreateAlways) {
    DWORD found = GetFileAttributesA(ansi.c_str());
    if (found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        (found & FILE_ATTRIBUTE_DIRECTORY) == 0)
      DeleteFileA(ansi.c_str());
  }
  HANDLE file =
      CreateFileA(ansi.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  if (kind == OpenKind::kCreateLocked) {
    int code = LockByte(file, true);
    BY_HANDLE_FILE_INFORMATION info;
    if (code == 0 && GetFileInformationByHandle(file, &info) && info.nNumberOfLinks > 1) {
      // A hard link left in its place (to the configuration, maybe): the
      // name is removed and the file made anew.
      CloseHandle(file);
      if (!DeleteFileA(ansi.c_str())) return LastError();
      file = CreateFileA(ansi.c_str(), access, share, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
      if (file == INVALID_HANDLE_VALUE) return LastError();
      code = LockByte(file, true);
    }
    if (code == 0 && !SetEndOfFile(file)) code = LastError();
    if (code != 0) {
      CloseHandle(file);
      return code;
    }
  }
  handle = FromHandle(file);
  return 0;
}

int RealFileSystem::LockShared(Handle handle) { return LockByte(ToHandle(handle), false); }

int RealFileSystem::StillNamed(Handle handle, const std::string& name) {
  HANDLE named = OpenAttributes(name);
  if (named == INVALID_HANDLE_VALUE) return kSharingViolation;
  BY_HANDLE_FILE_INFORMATION held, now;
  bool known = GetFileInformationByHandle(ToHandle(handle), &held) &&
               GetFileInformationByHandle(named, &now);
  CloseHandle(named);
  if (!known) return LastError();
  // One name, one volume: the file index alone tells the files apart.
  if (held.nFileIndexHigh != now.nFileIndexHigh || held.nFileIndexLow != now.nFileIndexLow)
    return kSharingViolation;
  return 0;
}

int RealFileSystem::Read(Handle handle, char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  DWORD read = 0;
  if (!::ReadFile(ToHandle(handle), buffer, chunk, &read, nullptr)) {
    DWORD code = GetLastError();
    // A pipe whose writer has gone is at its end, not in error.
    if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) return 0;
    return ErrorCode(code);
  }
  got = read;
  return 0;
}

int RealFileSystem::Write(Handle handle, const char* data, std::size_t size) {
  while (size > 0) {
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(ToHandle(handle), data, chunk, &written, nullptr)) return LastError();
    if (written == 0) return kDiskFull;
    data += written;
    size -= written;
  }
  return 0;
}

int RealFileSystem::Seek(Handle handle, std::int64_t position) {
  LONG high = static_cast<LONG>(position >> 32);
  SetLastError(NO_ERROR);
  DWORD low =
      SetFilePointer(ToHandle(handle), static_cast<LONG>(position & 0xFFFFFFFF), &high, FILE_BEGIN);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return LastError();
  return 0;
}

int RealFileSystem::Size(Handle handle, std::int64_t& size) {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(ToHandle(handle), &length)) return LastError();
  size = length.QuadPart;
  return 0;
}

int RealFileSystem::Truncate(Handle handle) {
  HANDLE file = ToHandle(handle);
  if (SetEndOfFile(file)) return 0;
  int code = LastError();
  if (code != kAccessDenied) return code;
  // An appending handle may not cut its file. That is rare (a Ctrl-Z at the
  // end of a log), so a second handle with write access does it there.
  LARGE_INTEGER zero, at;
  zero.QuadPart = 0;
  if (!SetFilePointerEx(file, zero, &at, FILE_CURRENT)) return LastError();
  HANDLE writer = ReOpenFile(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0);
  if (writer == INVALID_HANDLE_VALUE) return code;
  code =
      SetFilePointerEx(writer, at, nullptr, FILE_BEGIN) && SetEndOfFile(writer) ? 0 : LastError();
  CloseHandle(writer);
  return code;
}

int RealFileSystem::Sync(Handle handle) {
  return FlushFileBuffers(ToHandle(handle)) ? 0 : LastError();
}

int RealFileSystem::Close(Handle handle) { return CloseHandle(ToHandle(handle)) ? 0 : LastError(); }

int RealFileSystem::Erase(const std::string& name) {
  if (name.empty()) return kFileNotFound;
  return DeleteFileA(AnsiName(name).c_str()) ? 0 : LastError();
}

int RealFileSystem::Replace(const std::string& from, const std::string& to) {
  if (from.empty()) return kFileNotFound;
  std::string source = AnsiName(from), target = AnsiName(to);
  for (int attempt = 1;; ++attempt) {
    // Write-through: the call returns only once the move is on the disk.
    if (MoveFileExA(source.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return 0;
    int code = LastError();
    if ((code != kAccessDenied && code != kSharingViolation) || attempt == kReplaceAttempts)
      return code;
    Sleep(kReplacePauseMs);
  }
}

int RealFileSystem::CopyPermissions(const std::string& from, const std::string& to) {
  if (from.empty()) return kFileNotFound;
  DWORD attributes = GetFileAttributesA(AnsiName(from).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  // A hidden or system configuration stays so; read-only was refused earlier.
  DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                             FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  if (kept == 0) kept = FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesA(AnsiName(to).c_str(), kept) ? 0 : LastError();
}

int RealFileSystem::CheckWritable(const std::string& name) {
  if (name.empty()) return kFileNotFound;
  DWORD attributes = GetFileAttributesA(AnsiName(name).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? kAccessDenied : 0;
}

// A configuration that is a symbolic link is rewritten in the file it leads
// to, and its lock and temporary file are that file's: the final path of
// the opened file, where it is not the name's own full path. A name that
// cannot be opened stays as it is: opening it says what is wrong.
int RealFileSystem::RealName(const std::string& name, std::string& real) {
  real = name;
  if (name.empty()) return 0;
  std::string ansi = AnsiName(name);
  HANDLE file = CreateFileA(ansi.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  std::string target(kLongPath, '\0');
  DWORD length = GetFinalPathNameByHandleA(file, target.data(), kLongPath,
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(file);
  std::string full(kLongPath, '\0');
  DWORD fullLength = GetFullPathNameA(ansi.c_str(), kLongPath, full.data(), nullptr);
  if (length == 0 || length >= kLongPath || fullLength == 0 || fullLength >= kLongPath) return 0;
  target.resize(length);
  full.resize(fullLength);
  // "\\?\C:\dir\file" and "\\?\UNC\server\share\file".
  if (target.rfind("\\\\?\\UNC\\", 0) == 0) {
    target.replace(0, 8, "\\\\");
  } else if (target.rfind("\\\\?\\", 0) == 0) {
    target.erase(0, 4);
  }
  // A byte the ANSI code page cannot hold comes back as '?': no such name.
  if (target.find('?') != std::string::npos || lstrcmpiA(target.c_str(), full.c_str()) == 0)
    return 0;
  real = OemName(target.c_str());
  return 0;
}

int RealFileSystem::Stamp(Handle handle, FileStamp& stamp) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(ToHandle(handle), &info)) return LastError();
  std::int64_t written = static_cast<std::int64_t>(
      Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
  // Windows keeps no change time apart from the write time.
  stamp = FileStamp{info.dwVolumeSerialNumber, Join(info.nFileIndexHigh, info.nFileIndexLow),
                    static_cast<std::int64_t>(Join(info.nFileSizeHigh, info.nFileSizeLow)),
                    written * 100, written * 100};
  return 0;
}

int RealFileSystem::StampOf(const std::string& name, FileStamp& stamp) {
  if (name.empty()) return kFileNotFound;
  HANDLE named = OpenAttributes(name);
  if (named == INVALID_HANDLE_VALUE) return LastError();
  int code = Stamp(FromHandle(named), stamp);
  CloseHandle(named);
  return code;
}

int RealProcessRunner::CheckRunnable(const std::string& program) {
  // Unconverted, like the path CreateProcessA is given.
  DWORD attributes = GetFileAttributesA(program.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  DWORD type = 0;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !GetBinaryTypeA(program.c_str(), &type))
    return kAccessDenied;
  return 0;
}

std::string_view RealFileSystem::DirectorySeparators() const { return "\\/:"; }
bool RealFileSystem::NamesIgnoreCase() const { return true; }
std::string_view RealFileSystem::LineEnd() const { return "\r\n"; }

Handle StandardInput() { return FromHandle(GetStdHandle(STD_INPUT_HANDLE)); }
Handle StandardOutput() { return FromHandle(GetStdHandle(STD_OUTPUT_HANDLE)); }
Handle StandardError() { return FromHandle(GetStdHandle(STD_ERROR_HANDLE)); }
// There is no journal on Windows.
bool StandardOutputIsJournal() { return false; }

namespace {

FoundEntry Entry(const WIN32_FIND_DATAA& found) {
  FoundEntry entry;
  entry.name = OemName(found.cFileName);
  entry.attributes = static_cast<std::uint8_t>(
      found.dwFileAttributes &
      (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrVolume | kAttrDirectory | kAttrArchive));
  entry.time = LocalWriteTime(found.ftLastWriteTime);
  entry.size = Join(found.nFileSizeHigh, found.nFileSizeLow);
  entry.writeTime = static_cast<std::int64_t>(
      Join(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime));
  return entry;
}

bool IsPlainFile(std::string path) {
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  if (path.empty()) return false;
  DWORD attributes = GetFileAttributesA(AnsiName(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

int RealFileSystem::List(const std::string& directory, std::vector<FoundEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(AnsiName(directory + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    int code = LastError();
    // Only the root of an empty drive has no entry at all, not even "." and "..".
    if (code == kFileNotFound) return 0;
    // A file where the directory should be is a missing directory, whatever
    // the system calls it.
    if (code != kPathNotFound && code != kAccessDenied && IsPlainFile(directory))
      return kPathNotFound;
    return code;
  }
  do {
    entries.push_back(Entry(found));
  } while (FindNextFileA(search, &found));
  DWORD code = GetLastError();
  FindClose(search);
  if (code != ERROR_NO_MORE_FILES) return ErrorCode(code);
  SortAsListed(entries);
  return 0;
}

int RealFileSystem::ResolvedName(const std::string& name, std::string& resolved) {
  char path[MAX_PATH];
  DWORD length =
      GetFullPathNameA(AnsiName(name.empty() ? "." : name).c_str(), MAX_PATH, path, nullptr);
  if (length == 0 || length >= MAX_PATH) return length == 0 ? LastError() : kPathNotFound;
  resolved.assign(path, length);
  return 0;
}

// Links are left to the system here: a name is taken as the file it names.
int RealFileSystem::LinkTarget(const std::string&, std::string&) { return kFileNotFound; }

int RealFileSystem::Describe(const std::string& name, FoundEntry& entry) {
  // A name with wildcards denotes no file; the search would take it for a mask.
  if (name.empty() || name.find_first_of("*?") != std::string::npos) return kFileNotFound;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(AnsiName(name).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return LastError();
  FindClose(search);
  entry = Entry(found);
  return 0;
}

// CreateProcess takes 32,767 characters with the closing zero; the program
// travels in quotes.
std::size_t RealProcessRunner::CommandLimit() const { return 32767 - 1 - 2; }

namespace {

// A started program's end: its exit code, or 1 when that cannot be read.
int WaitForExit(PROCESS_INFORMATION& started, int& exitCode) {
  CloseHandle(started.hThread);
  WaitForSingleObject(started.hProcess, INFINITE);
  DWORD result = 0;
  if (!GetExitCodeProcess(started.hProcess, &result)) result = 1;
  CloseHandle(started.hProcess);
  exitCode = static_cast<int>(result);
  return 0;
}

}  // namespace

int RealProcessRunner::RunAndWait(const std::string& program, const std::string& parameters,
                                  int& exitCode) {
  exitCode = 0;
  std::string commandLine = "\"" + program + "\" " + parameters;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_SHOWNORMAL;
  // The program reads nothing from the console, which belongs to the run:
  // its input is the null device.
  SECURITY_ATTRIBUTES inherited{};
  inherited.nLength = sizeof inherited;
  inherited.bInheritHandle = TRUE;
  HANDLE nothing = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                               OPEN_EXISTING, 0, nullptr);
  startup.hStdInput = nothing;
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION started{};
  // In a process group of its own, which ignores the keyboard's Ctrl-C: it
  // asks this run to stop, and must not cut a hand-over short.
  BOOL created = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                NORMAL_PRIORITY_CLASS | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr,
                                &startup, &started);
  int code = created ? 0 : LastError();
  if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
  if (code != 0) {
    // A directory is no program, as CheckRunnable says; wine calls it an
    // invalid handle.
    DWORD attributes = GetFileAttributesA(program.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      return kAccessDenied;
    return code;
  }
  return WaitForExit(started, exitCode);
}

int RunEditor(const std::string& file, int& exitCode) {
  exitCode = 0;
  char editor[1024];
  DWORD length = GetEnvironmentVariableA("VISUAL", editor, sizeof editor);
  if (length == 0 || length >= sizeof editor)
    length = GetEnvironmentVariableA("EDITOR", editor, sizeof editor);
  std::string commandLine = length > 0 && length < sizeof editor ? editor : "notepad.exe";
  commandLine += " \"" + file + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &started))
    return LastError();
  return WaitForExit(started, exitCode);
}

LocalTime RealClock::Now() const {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LocalTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                   now.wMinute, now.wSecond, now.wMilliseconds};
}

std::vector<std::string> CommandLineParameters(int, char**) {
  std::vector<std::string> words = SplitCommandLine(GetCommandLineA());
  if (!words.empty()) words.erase(words.begin());
  return words;
}

namespace {

// The noted console event as the matching POSIX signal number, 0 while none.
volatile LONG interruption = 0;

static_assert(CTRL_C_EVENT == kCtrlCEvent && CTRL_BREAK_EVENT == kCtrlBreakEvent &&
              CTRL_CLOSE_EVENT == kCtrlCloseEvent && CTRL_LOGOFF_EVENT == kCtrlLogoffEvent &&
              CTRL_SHUTDOWN_EVENT == kCtrlShutdownEvent);

BOOL WINAPI NoteInterruption(DWORD event) {
  ConsoleDecision decision = DecideConsoleEvent(event, static_cast<int>(interruption));
  // Of two requests that come together only one is noted; the other goes on
  // to the default handler, which ends the process.
  if (decision.answer == ConsoleAnswer::kPassOn ||
      InterlockedCompareExchange(&interruption, decision.signal, 0) != 0)
    return FALSE;
  // After a closed console, a log-off or a shutdown the system ends the
  // process once this returns; waiting here leaves the run the time the
  // system grants to finish the current hand-over and record it.
  if (decision.answer == ConsoleAnswer::kHold) Sleep(INFINITE);
  return TRUE;
}

}  // namespace

void IgnoreOutputSignals() {}

void WatchInterruptions() { SetConsoleCtrlHandler(NoteInterruption, TRUE); }

int Interruption() { return static_cast<int>(interruption); }

void SaveConsoleTitle() {
  char buffer[kTitleBufferSize] = "";
  GetConsoleTitleA(buffer, kTitleBufferSize);
  // Without a title of our own any window with an empty title would do;
  // better to leave every title alone.
  consoleWindow = buffer[0] == '\0' ? nullptr : FindWindowA(nullptr, buffer);
  buffer[0] = '\0';
  if (consoleWindow != nullptr) GetWindowTextA(consoleWindow, buffer, kTitleBufferSize);
  savedTitle = buffer;
}

void ShowConsoleTitle(const std::string& text) {
  if (consoleWindow != nullptr) SetWindowTextA(consoleWindow, OemToTitleText(text).c_str());
}

void RestoreConsoleTitle() {
  if (consoleWindow != nullptr) SetWindowTextA(consoleWindow, savedTitle.c_str());
  savedTitle.clear();
}

}  // namespace brimvel::platform
