#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "support/file_system.h"
#include "support/string_utils.h"

namespace brimvel {

// Codes of the text-file layer besides the file system's own.
inline constexpr int kNotOpen = 103;
inline constexpr int kNotOpenForInput = 104;
inline constexpr int kNotOpenForOutput = 105;

inline constexpr char kCtrlZ = 0x1A;

// What a text reader and a text writer share: a name, the handle the file
// owns, and the first failure, which sticks: from then on reads give nothing
// and writes do nothing, and every call answers that code, so a caller may do
// several steps and check once. The handle is closed when the object goes.
class TextFile {
 public:
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  const std::string& name() const { return name_; }
  Handle handle() const { return handle_; }
  int error() const { return error_; }
  bool open() const { return open_; }

 protected:
  TextFile(FileSystem& fs, std::string name) : fs_(fs), name_(std::move(name)) {}
  ~TextFile() { CloseHandle(); }

  int Fail(int code);
  // Lets go of what was open, forgets its failure, and opens anew.
  int Open(OpenKind kind);
  // Lets go of the handle; a failure to close it is not recorded.
  void CloseHandle();
  // Closes the handle, recording a failure to close it.
  int CloseFile();

  FileSystem& fs_;
  std::string name_;
  Handle handle_ = kNoHandle;
  bool open_ = false;
  bool ownsHandle_ = true;
  int error_ = 0;
};

}  // namespace brimvel
