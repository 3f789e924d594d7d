#include "support/text_file.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace brimvel {

namespace {

constexpr std::size_t kInputChunk = 64 * 1024;
constexpr std::size_t kOutputChunk = 64 * 1024;
constexpr std::int64_t kCtrlZWindow = 128;

}  // namespace

TextFile::TextFile(FileSystem& fs, std::string name)
    : fs_(&fs), name_(std::move(name)), lineEnd_(fs.LineEnd()) {}

TextFile::TextFile(TextFile&& other) noexcept
    : fs_(other.fs_),
      name_(std::move(other.name_)),
      mode_(other.mode_),
      handle_(other.handle_),
      console_(other.console_),
      discard_(other.discard_),
      error_(other.error_),
      lineEnd_(other.lineEnd_),
      lineEndRead_(other.lineEndRead_),
      output_(std::move(other.output_)),
      inputBuffer_(std::move(other.inputBuffer_)),
      inputCapacity_(other.inputCapacity_),
      input_(other.input_),
      inputPos_(other.inputPos_),
      ctrlZAt_(other.ctrlZAt_),
      inputOffset_(other.inputOffset_),
      inputExhausted_(other.inputExhausted_),
      lastByteRead_(other.lastByteRead_) {
  other.mode_ = Mode::kClosed;
  other.handle_ = kNoHandle;
}

TextFile::~TextFile() {
  // What an owner did not close itself goes unwritten on purpose: it left
  // early because something failed, and a half-written file must not look
  // finished.
  CloseHandle();
}

TextFile TextFile::Console(FileSystem& fs, Handle handle) {
  TextFile file(fs, std::string());
  file.console_ = true;
  file.mode_ = Mode::kWriting;
  file.handle_ = handle;
  return file;
}

int TextFile::Fail(int code) {
  if (code != 0 && error_ == 0) error_ = code;
  return error_;
}

void TextFile::CloseHandle() {
  if (mode_ != Mode::kClosed && !console_ && !discard_ && handle_ != kNoHandle) fs_->Close(handle_);
  handle_ = kNoHandle;
  mode_ = Mode::kClosed;
}

int TextFile::Open(OpenKind kind, Mode mode) {
  CloseHandle();
  output_.clear();
  input_ = {};
  inputPos_ = 0;
  inputOffset_ = 0;
  inputExhausted_ = false;
  discard_ = false;
  error_ = 0;
  lineEndRead_ = {};
  lastByteRead_ = 0;
  Handle handle = kNoHandle;
  if (int code = fs_->Open(name_, kind, handle); code != 0) return Fail(code);
  handle_ = handle;
  mode_ = mode;
  return 0;
}

int TextFile::OpenRead() { return Open(OpenKind::kReadExisting, Mode::kReading); }

int TextFile::OpenNew() { return Open(OpenKind::kCreateAlways, Mode::kWriting); }

int TextFile::OpenNewLocked() { return Open(OpenKind::kCreateLocked, Mode::kWriting); }

int TextFile::OpenCreateAppend() {
  if (int code = Open(OpenKind::kCreateAppend, Mode::kWriting); code != 0) return code;
  std::int64_t size = 0;
  int code = fs_->Size(handle_, size);
  if (code == 0) code = fs_->Seek(handle_, size);
  if (code != 0) CloseHandle();
  return Fail(code);
}

void TextFile::OpenDiscard() {
  CloseHandle();
  output_.clear();
  error_ = 0;
  discard_ = true;
  handle_ = kNoHandle;
  mode_ = Mode::kWriting;
}

int TextFile::OpenAppend() {
  // Appending, not writing at a remembered end: runs that share the log
  // must never write over each other's lines.
  if (int code = Open(OpenKind::kAppendExisting, Mode::kWriting); code != 0) return code;
  std::int64_t size = 0;
  int code = fs_->Size(handle_, size);
  std::int64_t end = size;
  if (code == 0 && size > 0) {
    std::int64_t start = size > kCtrlZWindow ? size - kCtrlZWindow : 0;
    char tail[kCtrlZWindow];
    std::size_t got = 0;
    code = fs_->Seek(handle_, start);
    if (code == 0) code = fs_->Read(handle_, tail, static_cast<std::size_t>(size - start), got);
    if (code == 0) {
      const void* mark = std::memchr(tail, kCtrlZ, got);
      if (mark != nullptr) end = start + (static_cast<const char*>(mark) - tail);
    }
  }
  if (code == 0) code = fs_->Seek(handle_, end);
  if (code == 0 && end != size) code = fs_->Truncate(handle_);
  if (code != 0) CloseHandle();
  return Fail(code);
}

void TextFile::NoteLineEnd(std::size_t from) {
  const char* begin = input_.data() + from;
  const void* lf = std::memchr(begin, '\n', input_.size() - from);
  if (lf == nullptr) {
    if (input_.size() > from) lastByteRead_ = input_.back();
    return;
  }
  std::size_t at = static_cast<std::size_t>(static_cast<const char*>(lf) - input_.data());
  char before = at > 0 ? input_[at - 1] : lastByteRead_;
  lineEndRead_ = before == '\r' ? "\r\n" : "\n";
}

// Makes at least one unread byte available; false at the end of the data.
bool TextFile::FillInput() {
  if (inputPos_ < input_.size()) return true;
  if (inputExhausted_) return false;
  inputOffset_ += static_cast<std::int64_t>(input_.size());
  if (!inputBuffer_) {
    // A small file needs no large buffer: most configurations are small,
    // and the fakes of the tests open many.
    std::int64_t size = 0;
    inputCapacity_ = kInputChunk;
    if (fs_->Size(handle_, size) == 0 && size >= 0 &&
        static_cast<std::uint64_t>(size) < kInputChunk)
      inputCapacity_ = static_cast<std::size_t>(size) + 1;
    inputBuffer_.reset(new char[inputCapacity_]);
  }
  std::size_t got = 0;
  int code = fs_->Read(handle_, inputBuffer_.get(), inputCapacity_, got);
  input_ = std::string_view(inputBuffer_.get(), got);
  inputPos_ = 0;
  if (code != 0) {
    Fail(code);
    inputExhausted_ = true;
    return false;
  }
  if (got == 0) {
    inputExhausted_ = true;
    return false;
  }
  if (lineEndRead_.empty()) NoteLineEnd(0);
  const void* ctrlZ = std::memchr(input_.data(), kCtrlZ, input_.size());
  ctrlZAt_ = ctrlZ == nullptr
                 ? input_.size()
                 : static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - input_.data());
  return true;
}

int TextFile::SeekTo(std::int64_t position) {
  if (error_ != 0) return error_;
  if (mode_ != Mode::kReading) return Fail(kNotOpenForInput);
  if (int code = fs_->Seek(handle_, position); code != 0) return Fail(code);
  input_ = {};
  inputPos_ = 0;
  inputOffset_ = position;
  inputExhausted_ = false;
  return 0;
}

// Looks for the next Ctrl-Z from the read position on, after one was
// stepped over.
void TextFile::FindCtrlZ() {
  const void* ctrlZ = std::memchr(input_.data() + inputPos_, kCtrlZ, input_.size() - inputPos_);
  ctrlZAt_ = ctrlZ == nullptr
                 ? input_.size()
                 : static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - input_.data());
}

// The common case, kept cheap because every configuration line passes here:
// the line and its LF already lie in the read-ahead, and the line fits.
bool TextFile::ReadShortLine(std::string& line, std::string_view& whole) {
  if (inputPos_ >= input_.size()) return false;
  const char* begin = input_.data() + inputPos_;
  std::size_t limit = std::min(input_.size() - inputPos_, kLineCapacity + 1);
  const char* lf = static_cast<const char*>(std::memchr(begin, '\n', limit));
  if (lf == nullptr) return false;
  std::size_t n = static_cast<std::size_t>(lf - begin);
  if (ctrlZAt_ < inputPos_) FindCtrlZ();
  if (ctrlZAt_ < inputPos_ + n) return false;
  std::size_t length = n;
  if (length > 0 && begin[length - 1] == '\r') --length;
  if (std::memchr(begin, '\r', length) != nullptr) return false;
  whole = std::string_view(begin, length);
  rawLine_ = std::string_view(begin, n + 1);
  line.assign(whole);
  inputPos_ += n + 1;
  return true;
}

std::string_view TextFile::ReadLine(std::string& line, std::string& scratch) {
  line.clear();
  scratch.clear();
  rawLine_ = {};
  if (error_ != 0) return scratch;
  if (mode_ != Mode::kReading) {
    Fail(kNotOpenForInput);
    return scratch;
  }
  std::string_view view;
  if (ReadShortLine(line, view)) return view;

  char kept[kLineCapacity];
  std::size_t keptCount = 0;
  std::size_t units = 0;
  // Phase 1: up to the capacity, stopping before a LF or Ctrl-Z.
  bool stopped = false;
  while (!stopped && units < kLineCapacity && FillInput()) {
    const char* data = input_.data();
    std::size_t pos = inputPos_;
    std::size_t span = std::min(input_.size() - pos, kLineCapacity - units);
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
    inputPos_ = pos + span;
  }
  line.assign(kept, keptCount);
  scratch.assign(kept, keptCount);
  // Phase 2: pass over the rest of the line, keeping it for the whole line.
  while (FillInput()) {
    char c = input_[inputPos_];
    if (c == '\n') {
      ++inputPos_;
      break;
    }
    if (c == '\r') {
      ++inputPos_;
      if (FillInput() && input_[inputPos_] == '\n') ++inputPos_;
      break;
    }
    if (c == kCtrlZ) break;
    const char* begin = input_.data() + inputPos_;
    const char* end = input_.data() + input_.size();
    const char* stop = begin;
    while (stop < end && *stop != '\n' && *stop != '\r' && *stop != kCtrlZ) ++stop;
    scratch.append(begin, static_cast<std::size_t>(stop - begin));
    inputPos_ += static_cast<std::size_t>(stop - begin);
  }
  return scratch;
}

bool TextFile::LinesEndInCrOnly() {
  if (error_ != 0 || mode_ != Mode::kReading || !FillInput()) return false;
  std::string_view ahead = input_.substr(inputPos_);
  return ahead.find('\n') == std::string_view::npos && ahead.find('\r') != std::string_view::npos;
}

bool TextFile::AtEnd() {
  if (error_ != 0) return true;
  if (mode_ != Mode::kReading) {
    Fail(kNotOpenForInput);
    return true;
  }
  if (!FillInput()) return true;
  return input_[inputPos_] == kCtrlZ;
}

bool TextFile::PassCtrlZ() {
  if (error_ != 0 || mode_ != Mode::kReading || !FillInput()) return false;
  if (input_[inputPos_] != kCtrlZ) return false;
  ++inputPos_;
  return true;
}

int TextFile::Write(std::string_view text) {
  if (error_ != 0) return error_;
  if (mode_ != Mode::kWriting) return Fail(kNotOpenForOutput);
  output_.append(text);
  if (console_ || output_.size() >= kOutputChunk) return Flush();
  return 0;
}

int TextFile::WriteLine(std::string_view text) {
  if (error_ != 0) return error_;
  if (mode_ != Mode::kWriting) return Fail(kNotOpenForOutput);
  if (text.size() + lineEnd_.size() <= kLineCapacity) {
    // Short lines, the common case, in one step.
    char line[kLineCapacity];
    std::memcpy(line, text.data(), text.size());
    std::memcpy(line + text.size(), lineEnd_.data(), lineEnd_.size());
    output_.append(line, text.size() + lineEnd_.size());
    if (console_ || output_.size() >= kOutputChunk) return Flush();
    return 0;
  }
  output_.append(text);
  output_.append(lineEnd_);
  if (console_ || output_.size() >= kOutputChunk) return Flush();
  return 0;
}

int TextFile::Flush() {
  if (mode_ == Mode::kClosed) return Fail(kNotOpen);
  if (mode_ != Mode::kWriting || output_.empty()) return error_;
  if (discard_ || error_ != 0) {
    output_.clear();
    return error_;
  }
  int code = fs_->Write(handle_, output_.data(), output_.size());
  output_.clear();
  // A closed or broken console (a scheduler that gives the run none) must not
  // pass for a failure of the configuration or the log.
  if (console_) return 0;
  return Fail(code);
}

int TextFile::Sync() {
  if (int code = Flush(); code != 0) return code;
  if (mode_ == Mode::kWriting && !console_ && !discard_) return Fail(fs_->Sync(handle_));
  return 0;
}

int TextFile::Close() {
  if (mode_ == Mode::kClosed) return Fail(kNotOpen);
  if (mode_ == Mode::kWriting) Flush();
  if (!console_ && !discard_ && handle_ != kNoHandle) Fail(fs_->Close(handle_));
  handle_ = kNoHandle;
  mode_ = Mode::kClosed;
  return error_;
}

int TextFile::Erase() { return Fail(fs_->Erase(name_)); }

int TextFile::ReplaceTo(const std::string& newName) {
  if (error_ != 0) return error_;
  if (int code = fs_->Replace(name_, newName); code != 0) return Fail(code);
  name_ = newName;
  return 0;
}

}  // namespace brimvel
