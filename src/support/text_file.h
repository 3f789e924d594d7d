#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/platform.h"
#include "support/short_string.h"

namespace brimvel {

enum class FileMode { kClosed, kReading, kWriting };

// A text file of the file layer: a bound name, a mode, an OS handle and its
// buffers. Every failure goes to the pending error slot (io_error.h); while
// a code is pending, reads give nothing and writes do nothing.
struct TextFile {
  std::string name;
  bool bound = false;
  FileMode mode = FileMode::kClosed;
  platform::Handle handle = platform::kNoHandle;
  bool console = false;  // standard input or output: output is never held back
  bool discard = false;  // open for writing, but nothing reaches any file

  std::string output;  // held output, written when full, on flush and on close
  std::string input;   // read-ahead
  std::size_t inputPos = 0;
  bool inputExhausted = false;
};

inline constexpr std::size_t kLineCapacity = ShortString::kCapacity;
inline constexpr char kCtrlZ = 0x1A;

void BindFile(TextFile& file, std::string_view name);
void OpenRead(TextFile& file);
void OpenNew(TextFile& file);
// Like OpenNew, but takes an exclusive lock before emptying the file; another
// process holding the lock leaves 32 pending and the file untouched.
void OpenNewLocked(TextFile& file);
// Opens for appending, creating the file when it is missing; an existing
// file is never emptied.
void OpenCreateAppend(TextFile& file);
// Opens for writing into nothing: for a run that must change no file.
void OpenDiscard(TextFile& file);
// Opens for writing at the end; a Ctrl-Z among the last 128 bytes cuts the
// file at the first such byte and writing goes on there.
void OpenAppend(TextFile& file);

// Reads one line: at most 255 characters reach `line` (a CR is dropped but
// uses up a unit), the rest of the line is passed over. When `whole` is
// given it receives every byte of the line but the CRs, however long.
void ReadLine(TextFile& file, ShortString& line, std::string* whole = nullptr);
// ReadLine for the streaming pass: the whole line is returned as a view that
// stays valid until the next read, copied into `scratch` only when it does
// not lie in the read-ahead in one piece.
std::string_view ReadWholeLine(TextFile& file, ShortString& line, std::string& scratch);
// True at the end of the data or before a Ctrl-Z.
bool AtEnd(TextFile& file);

void WriteText(TextFile& file, std::string_view text);
void WriteLine(TextFile& file, std::string_view text);
void FlushFile(TextFile& file);
// Flushes and forces the file's data to the disk.
void SyncText(TextFile& file);
void CloseText(TextFile& file);
void EraseFile(TextFile& file);
// Moves the (closed) file over `newName` in one step; the file is then bound
// to the new name.
void ReplaceTo(TextFile& file, std::string_view newName);

// The console: standard output as a text file, opened for writing at start.
TextFile& ConsoleOutput();

}  // namespace brimvel
