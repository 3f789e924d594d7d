#include "support/text_file.h"

namespace brimvel {

int TextFile::Fail(int code) {
  if (code != 0 && error_ == 0) error_ = code;
  return error_;
}

int TextFile::Open(OpenKind kind) {
  CloseHandle();
  error_ = 0;
  Handle handle = kNoHandle;
  if (int code = fs_.Open(name_, kind, handle); code != 0) return Fail(code);
  handle_ = handle;
  open_ = true;
  return 0;
}

void TextFile::CloseHandle() {
  if (open_ && ownsHandle_ && handle_ != kNoHandle) fs_.Close(handle_);
  handle_ = kNoHandle;
  open_ = false;
}

int TextFile::CloseFile() {
  if (!open_) return Fail(kNotOpen);
  if (ownsHandle_ && handle_ != kNoHandle) Fail(fs_.Close(handle_));
  handle_ = kNoHandle;
  open_ = false;
  return error_;
}

}  // namespace brimvel
