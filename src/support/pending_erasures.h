#pragma once

// Deletions held back until the new configuration is in place. A run that
// deletes a handed-over file and then fails to rewrite its configuration
// would leave a file gone that no Skip line records; held back, the file
// stays until the record of its hand-over is safe, and is deleted then.
// Until then it is gone for the rest of the run: searches and look-ups
// pass it over, as they would a deleted file.

#include <string>
#include <string_view>
#include <vector>

#include "support/file_system.h"

namespace brimvel {

class PendingErasures final : public FileSystem {
 public:
  explicit PendingErasures(FileSystem& inner) : inner_(inner) {}

  // The held-back deletions, in the order asked for.
  const std::vector<std::string>& pending() const { return pending_; }
  // Deletes them on the file system underneath; calls `failed` with the
  // name and code of each deletion that fails.
  template <typename Failed>
  void Commit(Failed failed) {
    for (const std::string& name : pending_) {
      if (int code = inner_.Erase(name); code != 0) failed(name, code);
    }
    pending_.clear();
  }

  // Holds the deletion back: 0 when the file is there to delete.
  int Erase(const std::string& name) override;
  int Open(const std::string& name, OpenKind kind, Handle& handle) override;
  int List(const std::string& directory, std::vector<FoundEntry>& entries) override;
  int Describe(const std::string& name, FoundEntry& entry) override;

  int LockShared(Handle handle) override { return inner_.LockShared(handle); }
  int StillNamed(Handle handle, const std::string& name) override {
    return Pending(name) ? kSharingViolation : inner_.StillNamed(handle, name);
  }
  int Read(Handle handle, char* buffer, std::size_t size, std::size_t& got) override {
    return inner_.Read(handle, buffer, size, got);
  }
  int Write(Handle handle, const char* data, std::size_t size) override {
    return inner_.Write(handle, data, size);
  }
  int Seek(Handle handle, std::int64_t position) override { return inner_.Seek(handle, position); }
  int Size(Handle handle, std::int64_t& size) override { return inner_.Size(handle, size); }
  int Truncate(Handle handle) override { return inner_.Truncate(handle); }
  int Sync(Handle handle) override { return inner_.Sync(handle); }
  int Close(Handle handle) override { return inner_.Close(handle); }
  int Replace(const std::string& from, const std::string& to) override {
    return inner_.Replace(from, to);
  }
  int CopyPermissions(const std::string& from, const std::string& to) override {
    return inner_.CopyPermissions(from, to);
  }
  int CheckWritable(const std::string& name) override { return inner_.CheckWritable(name); }
  int RealName(const std::string& name, std::string& real) override {
    return inner_.RealName(name, real);
  }
  int Stamp(Handle handle, FileStamp& stamp) override { return inner_.Stamp(handle, stamp); }
  int StampOf(const std::string& name, FileStamp& stamp) override {
    return inner_.StampOf(name, stamp);
  }
  std::string_view DirectorySeparators() const override { return inner_.DirectorySeparators(); }
  bool NamesIgnoreCase() const override { return inner_.NamesIgnoreCase(); }
  std::string_view LineEnd() const override { return inner_.LineEnd(); }

 private:
  bool Pending(std::string_view name) const;

  FileSystem& inner_;
  std::vector<std::string> pending_;
};

}  // namespace brimvel
