#include "support/text_reader.h"

#include <algorithm>

namespace brimvel {

namespace {

constexpr std::size_t kInputChunk = 64 * 1024;

}  // namespace

int TextReader::OpenRead() {
  input_ = {};
  inputPos_ = 0;
  inputOffset_ = 0;
  inputExhausted_ = false;
  lineEndRead_ = {};
  lastByteRead_ = 0;
  return Open(OpenKind::kReadExisting);
}

void TextReader::NoteLineEnd(std::size_t from) {
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
bool TextReader::FillInput() {
  if (inputPos_ < input_.size()) return true;
  if (inputExhausted_) return false;
  inputOffset_ += static_cast<std::int64_t>(input_.size());
  if (!inputBuffer_) {
    // A small file needs no large buffer: most configurations are small,
    // and the fakes of the tests open many.
    std::int64_t size = 0;
    inputCapacity_ = kInputChunk;
    if (fs_.Size(handle_, size) == 0 && size >= 0 && static_cast<std::uint64_t>(size) < kInputChunk)
      inputCapacity_ = static_cast<std::size_t>(size) + 1;
    inputBuffer_.reset(new char[inputCapacity_]);
  }
  std::size_t got = 0;
  int code = fs_.Read(handle_, inputBuffer_.get(), inputCapacity_, got);
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

int TextReader::SeekTo(std::int64_t position) {
  if (error_ != 0) return error_;
  if (!open_) return Fail(kNotOpenForInput);
  if (int code = fs_.Seek(handle_, position); code != 0) return Fail(code);
  input_ = {};
  inputPos_ = 0;
  inputOffset_ = position;
  inputExhausted_ = false;
  return 0;
}

// Looks for the next Ctrl-Z from the read position on, after one was
// stepped over.
void TextReader::FindCtrlZ() {
  const void* ctrlZ = std::memchr(input_.data() + inputPos_, kCtrlZ, input_.size() - inputPos_);
  ctrlZAt_ = ctrlZ == nullptr
                 ? input_.size()
                 : static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - input_.data());
}

// The common case, kept cheap because every configuration line passes here:
// the line and its LF already lie in the read-ahead, and the line fits.
bool TextReader::ReadShortLine(std::string& line, std::string_view& whole) {
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

std::string_view TextReader::ReadLine(std::string& line, std::string& scratch) {
  line.clear();
  scratch.clear();
  rawLine_ = {};
  if (error_ != 0) return scratch;
  if (!open_) {
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

bool TextReader::LinesEndInCrOnly() {
  if (error_ != 0 || !open_ || !FillInput()) return false;
  std::string_view ahead = input_.substr(inputPos_);
  return ahead.find('\n') == std::string_view::npos && ahead.find('\r') != std::string_view::npos;
}

bool TextReader::AtEnd() {
  if (error_ != 0) return true;
  if (!open_) {
    Fail(kNotOpenForInput);
    return true;
  }
  if (!FillInput()) return true;
  return input_[inputPos_] == kCtrlZ;
}

bool TextReader::PassCtrlZ() {
  if (error_ != 0 || !open_ || !FillInput()) return false;
  if (input_[inputPos_] != kCtrlZ) return false;
  ++inputPos_;
  return true;
}

}  // namespace brimvel
