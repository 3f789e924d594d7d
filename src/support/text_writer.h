#pragma once

#include <string>
#include <string_view>

#include "support/text_file.h"

namespace brimvel {

// A text file written through a buffer: output is held until Flush (or a
// full buffer) and written whole. What an owner did not close itself goes
// unwritten on purpose: it left early because something failed, and a
// half-written file must not look finished.
class TextWriter : public TextFile {
 public:
  TextWriter(FileSystem& fs, std::string name)
      : TextFile(fs, std::move(name)), lineEnd_(fs.LineEnd()) {}

  // Output to a handle the writer does not own (standard output): written at
  // once, and a failure to write there is never recorded, so a console that
  // is gone cannot pass for a failure of a real file.
  static TextWriter Console(FileSystem& fs, Handle handle) { return TextWriter(fs, handle); }

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
  TextWriter(FileSystem& fs, Handle console);
  int OpenWriting(OpenKind kind);
  int Append(std::string_view text);

  bool discard_ = false;
  std::string_view lineEnd_;
  std::string output_;
};

}  // namespace brimvel
