#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "support/file_system.h"
#include "support/string_utils.h"

namespace brimvel {

// Codes of the text-file layer besides the file system's own.
inline constexpr int kNotOpen = 103;
inline constexpr int kNotOpenForInput = 104;
inline constexpr int kNotOpenForOutput = 105;

inline constexpr char kCtrlZ = 0x1A;

// A text file: a name, a mode, the handle it owns and its buffers. The first
// failure sticks: from then on reads give nothing and writes do nothing, and
// every call answers that code, so a caller may do several steps and check
// once. The handle is closed when the object goes.
class TextFile {
 public:
  TextFile(FileSystem& fs, std::string name);
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Output to a handle the file does not own (standard output): written at
  // once, and a failure to write there is never recorded, so a console that
  // is gone cannot pass for a failure of a real file.
  static TextFile Console(FileSystem& fs, Handle handle);
  TextFile(TextFile&& other) noexcept;

  const std::string& name() const { return name_; }
  Handle handle() const { return handle_; }
  int error() const { return error_; }
  bool open() const { return mode_ != Mode::kClosed; }

  int OpenRead();
  int OpenNew();
  // Like OpenNew, but takes an exclusive lock before emptying the file;
  // another process holding the lock gives 32 and leaves the file untouched.
  int OpenNewLocked();
  // Opens for appending, creating the file when it is missing; an existing
  // file is never emptied.
  int OpenCreateAppend();
  // Opens an existing file for writing at the end; a Ctrl-Z among the last
  // 128 bytes cuts the file at the first such byte and writing goes on there.
  int OpenAppend();
  // Opens for writing into nothing: for a run that must change no file.
  void OpenDiscard();

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
  // Whether the lines of a file opened for reading end in a lone CR (an old
  // Mac editor): no LF in the read-ahead, but a CR. Read as text, such a file
  // is one line. Ask before the first read.
  bool LinesEndInCrOnly();
  // The end of the first line read: "\r\n" or "\n", empty while none was seen.
  std::string_view LineEndRead() const { return lineEndRead_; }

  // The line end WriteLine puts out; the file system's own by default.
  void SetLineEnd(std::string_view lineEnd) { lineEnd_ = lineEnd; }
  std::string_view lineEnd() const { return lineEnd_; }
  int Write(std::string_view text);
  int WriteLine(std::string_view text);
  int Flush();
  // Flushes and forces the file's data to the disk.
  int Sync();
  int Close();
  int Erase();
  // Moves the closed or open file over `newName` in one step; the file is
  // then known by the new name.
  int ReplaceTo(const std::string& newName);

 private:
  enum class Mode { kClosed, kReading, kWriting };

  int Fail(int code);
  int Open(OpenKind kind, Mode mode);
  void CloseHandle();
  bool FillInput();
  bool ReadShortLine(std::string& line, std::string_view& whole);
  void FindCtrlZ();
  void NoteLineEnd(std::size_t from);

  FileSystem* fs_;
  std::string name_;
  Mode mode_ = Mode::kClosed;
  Handle handle_ = kNoHandle;
  bool console_ = false;
  bool discard_ = false;
  int error_ = 0;
  std::string_view lineEnd_;
  std::string_view lineEndRead_;
  std::string_view rawLine_;

  std::string output_;
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
std::string_view TextFile::TakeInertLines(std::string_view lineEnd, Inert inert,
                                          std::int32_t& count) {
  rawLine_ = {};
  if (error_ != 0 || mode_ != Mode::kReading) return {};
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
