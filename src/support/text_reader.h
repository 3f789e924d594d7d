#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "support/text_file.h"

namespace brimvel {

// A text file read line by line through a read-ahead.
class TextReader : public TextFile {
 public:
  TextReader(FileSystem& fs, std::string name) : TextFile(fs, std::move(name)) {}

  int OpenRead();
  int Close() { return CloseFile(); }

  // Reads one line and returns all of it but its CRs, however long, as a
  // view valid until the next read; at most 255 characters reach `line`
  // (a CR is dropped there but uses up a unit). `scratch` holds the line
  // when it does not lie in the read-ahead in one piece.
  std::string_view ReadLine(std::string& line, std::string& scratch);
  // The last line read with its line end exactly as it stands in the file,
  // when it lay in the read-ahead in one piece; empty otherwise. Valid until
  // the next read: lets an unchanged line be copied in one step.
  std::string_view RawLine() const { return rawLine_; }
  // Passes over the whole lines, read-ahead permitting, that end in exactly
  // `lineEnd` ("\r\n" or "\n"), hold no other CR and no Ctrl-Z, and that
  // `inert` accepts (it sees each line without its line end); returns them,
  // line ends included, as one view valid until the next read, and adds
  // their number to `count`. Copying that view is what reading and writing
  // those lines one by one would do, without the cost of each line.
  template <typename Inert>
  std::string_view TakeInertLines(std::string_view lineEnd, Inert inert, std::int32_t& count);
  // True at the end of the data or before a Ctrl-Z.
  bool AtEnd();
  // Steps over a Ctrl-Z at the read position, so that what it hides can be
  // read; false when none stands there.
  bool PassCtrlZ();
  // Where the next line starts, for a later SeekTo on the same open file.
  std::int64_t Tell() const { return inputOffset_ + static_cast<std::int64_t>(inputPos_); }
  int SeekTo(std::int64_t position);
  // Whether the lines end in a lone CR (an old Mac editor): no LF in the
  // read-ahead, but a CR. Read as text, such a file is one line. Ask before
  // the first read.
  bool LinesEndInCrOnly();
  // The end of the first line read: "\r\n" or "\n", empty while none was seen.
  std::string_view LineEndRead() const { return lineEndRead_; }

 private:
  bool FillInput();
  bool ReadShortLine(std::string& line, std::string_view& whole);
  void FindCtrlZ();
  void NoteLineEnd(std::size_t from);

  std::string_view lineEndRead_;
  std::string_view rawLine_;
  // The read-ahead: a buffer filled by reads, never cleared byte by byte.
  std::unique_ptr<char[]> inputBuffer_;
  std::size_t inputCapacity_ = 0;
  std::string_view input_;
  std::size_t inputPos_ = 0;
  // Where the next Ctrl-Z stands in input_ (input_.size() for none), found
  // once per buffer rather than once per line.
  std::size_t ctrlZAt_ = 0;
  std::int64_t inputOffset_ = 0;  // where input_ begins in the file
  bool inputExhausted_ = false;
  char lastByteRead_ = 0;
};

template <typename Inert>
std::string_view TextReader::TakeInertLines(std::string_view lineEnd, Inert inert,
                                            std::int32_t& count) {
  rawLine_ = {};
  if (error_ != 0 || !open_) return {};
  if (inputPos_ >= input_.size() && !FillInput()) return {};
  if (ctrlZAt_ < inputPos_) FindCtrlZ();
  const bool crlf = lineEnd == "\r\n";
  const std::size_t start = inputPos_;
  std::size_t pos = inputPos_;
  while (pos < input_.size()) {
    const char* begin = input_.data() + pos;
    const void* lf = std::memchr(begin, '\n', input_.size() - pos);
    if (lf == nullptr) break;
    std::size_t n = static_cast<std::size_t>(static_cast<const char*>(lf) - begin);
    if (ctrlZAt_ <= pos + n) break;
    std::size_t length = n;
    if (crlf) {
      if (n == 0 || begin[n - 1] != '\r') break;
      --length;
    }
    if (std::memchr(begin, '\r', length) != nullptr) break;
    if (!inert(std::string_view(begin, length))) break;
    pos += n + 1;
    ++count;
  }
  inputPos_ = pos;
  return std::string_view(input_.data() + start, pos - start);
}

}  // namespace brimvel
