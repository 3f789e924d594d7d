#include "support/text_file.h"

#include <algorithm>
#include <cstring>

#include "support/io_error.h"

namespace brimvel {

namespace {

constexpr std::size_t kInputChunk = 64 * 1024;
constexpr std::size_t kOutputChunk = 64 * 1024;
constexpr std::int64_t kCtrlZWindow = 128;

void Fail(int code) {
  if (code != 0) SetIoError(code);
}

void CloseIfOpen(TextFile& file) {
  if (file.mode == FileMode::kClosed) return;
  if (file.mode == FileMode::kWriting) FlushFile(file);
  if (!file.console) Fail(platform::CloseFile(file.handle));
  file.handle = platform::kNoHandle;
  file.mode = FileMode::kClosed;
}

void ResetBuffers(TextFile& file) {
  file.output.clear();
  file.input.clear();
  file.inputPos = 0;
  file.inputExhausted = false;
}

bool Open(TextFile& file, platform::OpenKind kind, FileMode mode) {
  CloseIfOpen(file);
  ResetBuffers(file);
  file.discard = false;
  if (!file.bound) {
    SetIoError(kNotBound);
    return false;
  }
  if (file.name.empty()) {
    file.console = true;
    file.handle =
        mode == FileMode::kReading ? platform::StandardInput() : platform::StandardOutput();
    file.mode = mode;
    return true;
  }
  file.console = false;
  platform::Handle handle = platform::kNoHandle;
  int code = platform::OpenFile(file.name, kind, handle);
  if (code != 0) {
    SetIoError(code);
    return false;
  }
  file.handle = handle;
  file.mode = mode;
  return true;
}

// Makes at least one unread byte available; false at the end of the data.
bool FillInput(TextFile& file) {
  if (file.inputPos < file.input.size()) return true;
  if (file.inputExhausted) return false;
  file.input.resize(kInputChunk);
  std::size_t got = 0;
  int code = platform::ReadFile(file.handle, file.input.data(), kInputChunk, got);
  file.input.resize(got);
  file.inputPos = 0;
  if (code != 0) {
    SetIoError(code);
    file.inputExhausted = true;
    return false;
  }
  if (got == 0) {
    file.inputExhausted = true;
    return false;
  }
  return true;
}

bool ReadableNow(TextFile& file) {
  if (PendingIoError() != 0) return false;
  if (file.mode != FileMode::kReading) {
    SetIoError(kNotOpenForInput);
    return false;
  }
  return true;
}

}  // namespace

void BindFile(TextFile& file, std::string_view name) {
  CloseIfOpen(file);
  file = TextFile();
  file.name = std::string(name);
  file.bound = true;
}

void OpenRead(TextFile& file) { Open(file, platform::OpenKind::kReadExisting, FileMode::kReading); }

void OpenNew(TextFile& file) { Open(file, platform::OpenKind::kCreateAlways, FileMode::kWriting); }

void OpenNewLocked(TextFile& file) {
  Open(file, platform::OpenKind::kCreateLocked, FileMode::kWriting);
}

void OpenCreateAppend(TextFile& file) {
  if (!Open(file, platform::OpenKind::kCreateAppend, FileMode::kWriting) || file.console) return;
  std::int64_t size = 0;
  int code = platform::FileSize(file.handle, size);
  if (code == 0) code = platform::SeekFile(file.handle, size);
  if (code != 0) {
    SetIoError(code);
    CloseIfOpen(file);
  }
}

void OpenDiscard(TextFile& file) {
  CloseIfOpen(file);
  ResetBuffers(file);
  file.discard = true;
  file.console = true;  // no handle of its own to close
  file.handle = platform::kNoHandle;
  file.mode = FileMode::kWriting;
}

void OpenAppend(TextFile& file) {
  // Appending, not writing at a remembered end: runs that share the log
  // must never write over each other's lines.
  if (!Open(file, platform::OpenKind::kAppendExisting, FileMode::kWriting)) return;
  if (file.console) return;
  std::int64_t size = 0;
  int code = platform::FileSize(file.handle, size);
  std::int64_t end = size;
  if (code == 0 && size > 0) {
    std::int64_t start = size > kCtrlZWindow ? size - kCtrlZWindow : 0;
    char tail[kCtrlZWindow];
    std::size_t got = 0;
    code = platform::SeekFile(file.handle, start);
    if (code == 0)
      code = platform::ReadFile(file.handle, tail, static_cast<std::size_t>(size - start), got);
    if (code == 0) {
      const void* mark = std::memchr(tail, kCtrlZ, got);
      if (mark != nullptr) end = start + (static_cast<const char*>(mark) - tail);
    }
  }
  if (code == 0) code = platform::SeekFile(file.handle, end);
  if (code == 0 && end != size) code = platform::TruncateFile(file.handle);
  if (code != 0) {
    SetIoError(code);
    CloseIfOpen(file);
  }
}

namespace {

// The common case, kept cheap because every configuration line passes here:
// the line and its LF already lie in the read-ahead, and the line fits.
bool ReadShortLine(TextFile& file, ShortString& line, std::string_view& whole) {
  if (file.inputPos >= file.input.size()) return false;
  const char* begin = file.input.data() + file.inputPos;
  std::size_t limit = std::min(file.input.size() - file.inputPos, kLineCapacity + 1);
  const char* lf = static_cast<const char*>(std::memchr(begin, '\n', limit));
  if (lf == nullptr) return false;
  std::size_t n = static_cast<std::size_t>(lf - begin);
  if (std::memchr(begin, kCtrlZ, n) != nullptr) return false;
  std::size_t length = n;
  if (length > 0 && begin[length - 1] == '\r') --length;
  if (std::memchr(begin, '\r', length) != nullptr) return false;
  whole = std::string_view(begin, length);
  line.assign(whole);
  file.inputPos += n + 1;
  return true;
}

}  // namespace

void ReadLine(TextFile& file, ShortString& line, std::string* whole) {
  if (!ReadableNow(file)) {
    line = ShortString();
    if (whole != nullptr) whole->clear();
    return;
  }
  std::string_view view;
  if (ReadShortLine(file, line, view)) {
    if (whole != nullptr) whole->assign(view);
    return;
  }
  line = ShortString();
  if (whole != nullptr) whole->clear();

  char kept[kLineCapacity];
  std::size_t keptCount = 0;
  std::size_t units = 0;
  // Phase 1: up to the capacity, stopping before a LF or Ctrl-Z.
  bool stopped = false;
  while (!stopped && units < kLineCapacity && FillInput(file)) {
    // Work through the buffered bytes without a call per byte.
    const char* data = file.input.data();
    std::size_t pos = file.inputPos;
    const std::size_t size = file.input.size();
    std::size_t span = std::min(size - pos, kLineCapacity - units);
    if (const void* lf = std::memchr(data + pos, '\n', span)) {
      span = static_cast<std::size_t>(static_cast<const char*>(lf) - (data + pos));
      stopped = true;
    }
    if (const void* eof = std::memchr(data + pos, kCtrlZ, span)) {
      span = static_cast<std::size_t>(static_cast<const char*>(eof) - (data + pos));
      stopped = true;
    }
    // A CR is dropped but still uses up a unit of the capacity.
    char* out = kept + keptCount;
    std::memcpy(out, data + pos, span);
    char* end = std::remove(out, out + span, '\r');
    keptCount += static_cast<std::size_t>(end - out);
    units += span;
    file.inputPos = pos + span;
  }
  line = ShortString(std::string_view(kept, keptCount));
  if (whole != nullptr) whole->assign(kept, keptCount);
  // Phase 2: pass over the rest of the line.
  while (FillInput(file)) {
    char c = file.input[file.inputPos];
    if (c == '\n') {
      ++file.inputPos;
      break;
    }
    if (c == '\r') {
      ++file.inputPos;
      if (FillInput(file) && file.input[file.inputPos] == '\n') ++file.inputPos;
      break;
    }
    if (c == kCtrlZ) break;
    // Scan the stretch up to the next terminator in one go.
    const char* begin = file.input.data() + file.inputPos;
    const char* end = file.input.data() + file.input.size();
    const char* stop = begin;
    while (stop < end && *stop != '\n' && *stop != '\r' && *stop != kCtrlZ) ++stop;
    if (whole != nullptr) whole->append(begin, static_cast<std::size_t>(stop - begin));
    file.inputPos += static_cast<std::size_t>(stop - begin);
  }
}

std::string_view ReadWholeLine(TextFile& file, ShortString& line, std::string& scratch) {
  std::string_view view;
  if (PendingIoError() == 0 && file.mode == FileMode::kReading && ReadShortLine(file, line, view))
    return view;
  ReadLine(file, line, &scratch);
  return scratch;
}

bool AtEnd(TextFile& file) {
  if (!ReadableNow(file)) return true;
  if (!FillInput(file)) return true;
  return file.input[file.inputPos] == kCtrlZ;
}

void WriteText(TextFile& file, std::string_view text) {
  if (PendingIoError() != 0) return;
  if (file.mode != FileMode::kWriting) {
    SetIoError(kNotOpenForOutput);
    return;
  }
  file.output.append(text);
  if (file.console || file.output.size() >= kOutputChunk) FlushFile(file);
}

void WriteLine(TextFile& file, std::string_view text) {
  if (PendingIoError() != 0) return;
  if (file.mode != FileMode::kWriting) {
    SetIoError(kNotOpenForOutput);
    return;
  }
  file.output.append(text);
  file.output.append("\r\n");
  if (file.console || file.output.size() >= kOutputChunk) FlushFile(file);
}

void FlushFile(TextFile& file) {
  if (file.mode == FileMode::kClosed) {
    SetIoError(kNotOpen);
    return;
  }
  if (file.mode != FileMode::kWriting || file.output.empty()) return;
  if (file.discard) {
    file.output.clear();
    return;
  }
  int code = platform::WriteFile(file.handle, file.output.data(), file.output.size());
  file.output.clear();
  // A closed or broken console (a scheduler that gives the run none) must not
  // pass for a failure of the configuration or the log.
  if (!file.console) Fail(code);
}

void SyncText(TextFile& file) {
  FlushFile(file);
  if (file.mode == FileMode::kWriting && !file.console && !file.discard)
    Fail(platform::SyncFile(file.handle));
}

void CloseText(TextFile& file) {
  if (file.mode == FileMode::kClosed) {
    SetIoError(kNotOpen);
    return;
  }
  CloseIfOpen(file);
}

void EraseFile(TextFile& file) {
  if (!file.bound) {
    SetIoError(kNotBound);
    return;
  }
  Fail(platform::DeleteFile(file.name));
}

void ReplaceTo(TextFile& file, std::string_view newName) {
  if (!file.bound) {
    SetIoError(kNotBound);
    return;
  }
  std::string target(newName);
  int code = platform::ReplaceFile(file.name, target);
  if (code != 0) {
    SetIoError(code);
    return;
  }
  file.name = target;
}

TextFile& ConsoleOutput() {
  static TextFile console = [] {
    TextFile file;
    file.bound = true;
    file.console = true;
    file.mode = FileMode::kWriting;
    file.handle = platform::StandardOutput();
    return file;
  }();
  return console;
}

}  // namespace brimvel
