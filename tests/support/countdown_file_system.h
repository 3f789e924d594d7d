#pragma once

// A file system over another that fails its Nth operation, so a test can
// walk a failure through every step of a run: count the operations of a
// clean run, then fail each of them in turn.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "support/file_system.h"

namespace brimvel::testing {

class CountdownFileSystem final : public FileSystem {
 public:
  explicit CountdownFileSystem(FileSystem& inner) : inner_(inner) {}

  // Operation `n` (1-based) fails with `code`; with `persistent` every one
  // after it fails too, as a disk that went away. 0 fails nothing.
  void FailAt(int n, int code, bool persistent = false) {
    failAt_ = n;
    code_ = code;
    persistent_ = persistent;
  }
  int operations() const { return operations_; }
  int failures() const { return failures_; }
  // The operation that failed first ("Write", "Replace", ...), for messages.
  const std::string& firstFailed() const { return firstFailed_; }

  int Open(const std::string& name, OpenKind kind, Handle& handle) override {
    if (int code = Tick("Open " + name)) return code;
    int code = inner_.Open(name, kind, handle);
    if (code == 0) names_[handle] = name;
    return code;
  }
  int LockShared(Handle handle) override {
    if (int code = Tick("LockShared")) return code;
    return inner_.LockShared(handle);
  }
  int StillNamed(Handle handle, const std::string& name) override {
    if (int code = Tick("StillNamed " + name)) return code;
    return inner_.StillNamed(handle, name);
  }
  int Read(Handle handle, char* buffer, std::size_t size, std::size_t& got) override {
    got = 0;
    if (int code = Tick("Read")) return code;
    return inner_.Read(handle, buffer, size, got);
  }
  int Write(Handle handle, const char* data, std::size_t size) override {
    if (int code = Tick("Write")) return code;
    return inner_.Write(handle, data, size);
  }
  int Seek(Handle handle, std::int64_t position) override {
    if (int code = Tick("Seek")) return code;
    return inner_.Seek(handle, position);
  }
  int Size(Handle handle, std::int64_t& size) override {
    if (int code = Tick("Size")) return code;
    return inner_.Size(handle, size);
  }
  int Truncate(Handle handle) override {
    if (int code = Tick("Truncate")) return code;
    return inner_.Truncate(handle);
  }
  int Sync(Handle handle) override {
    if (int code = Tick("Sync")) return code;
    return inner_.Sync(handle);
  }
  // A failed close still lets the handle go, as close(2) does.
  int Close(Handle handle) override {
    int code = Tick("Close " + names_[handle]);
    int closed = inner_.Close(handle);
    return code != 0 ? code : closed;
  }
  int Erase(const std::string& name) override {
    if (int code = Tick("Erase " + name)) return code;
    return inner_.Erase(name);
  }
  int Replace(const std::string& from, const std::string& to) override {
    if (int code = Tick("Replace " + to)) return code;
    return inner_.Replace(from, to);
  }
  int CopyPermissions(const std::string& from, const std::string& to) override {
    if (int code = Tick("CopyPermissions " + to)) return code;
    return inner_.CopyPermissions(from, to);
  }
  int CheckWritable(const std::string& name) override {
    if (int code = Tick("CheckWritable " + name)) return code;
    return inner_.CheckWritable(name);
  }
  int RealName(const std::string& name, std::string& real) override {
    return inner_.RealName(name, real);
  }
  int Stamp(Handle handle, FileStamp& stamp) override { return inner_.Stamp(handle, stamp); }
  int StampOf(const std::string& name, FileStamp& stamp) override {
    return inner_.StampOf(name, stamp);
  }
  int List(const std::string& directory, std::vector<FoundEntry>& entries) override {
    if (int code = Tick("List " + directory)) return code;
    return inner_.List(directory, entries);
  }
  int Describe(const std::string& name, FoundEntry& entry) override {
    if (int code = Tick("Describe " + name)) return code;
    return inner_.Describe(name, entry);
  }
  std::string_view DirectorySeparators() const override { return inner_.DirectorySeparators(); }
  bool NamesIgnoreCase() const override { return inner_.NamesIgnoreCase(); }
  std::string_view LineEnd() const override { return inner_.LineEnd(); }

 private:
  int Tick(const std::string& what) {
    ++operations_;
    if (failAt_ == 0 || operations_ < failAt_ || (operations_ > failAt_ && !persistent_)) return 0;
    if (failures_++ == 0) firstFailed_ = what;
    return code_;
  }

  FileSystem& inner_;
  std::map<Handle, std::string> names_;
  int failAt_ = 0;
  int code_ = 0;
  bool persistent_ = false;
  int operations_ = 0;
  int failures_ = 0;
  std::string firstFailed_;
};

}  // namespace brimvel::testing
