#include "support/text_writer.h"

#include <cstring>

namespace brimvel {

namespace {

constexpr std::size_t kOutputChunk = 64 * 1024;
constexpr std::int64_t kCtrlZWindow = 128;

}  // namespace

TextWriter::TextWriter(FileSystem& fs, Handle console)
    : TextFile(fs, std::string()), lineEnd_(fs.LineEnd()) {
  ownsHandle_ = false;
  open_ = true;
  handle_ = console;
}

int TextWriter::OpenWriting(OpenKind kind) {
  output_.clear();
  discard_ = false;
  return Open(kind);
}

int TextWriter::OpenNew() { return OpenWriting(OpenKind::kCreateAlways); }

int TextWriter::OpenNewLocked() { return OpenWriting(OpenKind::kCreateLocked); }

int TextWriter::OpenCreateAppend() {
  if (int code = OpenWriting(OpenKind::kCreateAppend); code != 0) return code;
  std::int64_t size = 0;
  int code = fs_.Size(handle_, size);
  if (code == 0) code = fs_.Seek(handle_, size);
  if (code != 0) CloseHandle();
  return Fail(code);
}

int TextWriter::OpenAppend() {
  // Appending, not writing at a remembered end: runs that share the log
  // must never write over each other's lines.
  if (int code = OpenWriting(OpenKind::kAppendExisting); code != 0) return code;
  std::int64_t size = 0;
  int code = fs_.Size(handle_, size);
  std::int64_t end = size;
  if (code == 0 && size > 0) {
    std::int64_t start = size > kCtrlZWindow ? size - kCtrlZWindow : 0;
    char tail[kCtrlZWindow];
    std::size_t got = 0;
    code = fs_.Seek(handle_, start);
    if (code == 0) code = fs_.Read(handle_, tail, static_cast<std::size_t>(size - start), got);
    if (code == 0) {
      const void* mark = std::memchr(tail, kCtrlZ, got);
      if (mark != nullptr) end = start + (static_cast<const char*>(mark) - tail);
    }
  }
  if (code == 0) code = fs_.Seek(handle_, end);
  if (code == 0 && end != size) code = fs_.Truncate(handle_);
  if (code != 0) CloseHandle();
  return Fail(code);
}

void TextWriter::OpenDiscard() {
  CloseHandle();
  output_.clear();
  error_ = 0;
  discard_ = true;
  open_ = true;
}

// Holds the text for the next flush; a console's goes out at once.
int TextWriter::Append(std::string_view text) {
  output_.append(text);
  if (!ownsHandle_ || output_.size() >= kOutputChunk) return Flush();
  return 0;
}

int TextWriter::Write(std::string_view text) {
  if (error_ != 0) return error_;
  if (!open_) return Fail(kNotOpenForOutput);
  return Append(text);
}

int TextWriter::WriteLine(std::string_view text) {
  if (error_ != 0) return error_;
  if (!open_) return Fail(kNotOpenForOutput);
  if (text.size() + lineEnd_.size() <= kLineCapacity) {
    // Short lines, the common case, in one step.
    char line[kLineCapacity];
    std::memcpy(line, text.data(), text.size());
    std::memcpy(line + text.size(), lineEnd_.data(), lineEnd_.size());
    return Append(std::string_view(line, text.size() + lineEnd_.size()));
  }
  output_.append(text);
  return Append(lineEnd_);
}

int TextWriter::Flush() {
  if (!open_) return Fail(kNotOpen);
  if (output_.empty()) return error_;
  if (discard_ || error_ != 0) {
    output_.clear();
    return error_;
  }
  int code = fs_.Write(handle_, output_.data(), output_.size());
  output_.clear();
  // A closed or broken console (a scheduler that gives the run none) must not
  // pass for a failure of the configuration or the log.
  if (!ownsHandle_) return 0;
  return Fail(code);
}

int TextWriter::Sync() {
  if (int code = Flush(); code != 0) return code;
  if (ownsHandle_ && !discard_) return Fail(fs_.Sync(handle_));
  return 0;
}

int TextWriter::Close() {
  if (open_) Flush();
  return CloseFile();
}

int TextWriter::Erase() { return Fail(fs_.Erase(name_)); }

int TextWriter::ReplaceTo(const std::string& newName) {
  if (error_ != 0) return error_;
  if (int code = fs_.Replace(name_, newName); code != 0) return Fail(code);
  name_ = newName;
  return 0;
}

}  // namespace brimvel
