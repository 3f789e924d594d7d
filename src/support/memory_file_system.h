#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/file_system.h"

namespace brimvel {

// A file system held in memory, for tests and for plans that must touch no
// disk. Paths use '/' ("out/a.zip" lies in the directory "out/"; "" is the
// current directory); doubled separators and "." components name the same
// directory, as on a disk, and AddAlias and AddLink give a directory or a
// file a second name, as an absolute path or a symbolic link does. Files may be made
// read-only, directories unreadable, and writes may be made to fail once a
// file system-wide byte budget is used up, so every failure path can be
// reached without a real disk.
class MemoryFileSystem : public FileSystem {
 public:
  struct File {
    std::string data;
    std::uint8_t attributes = kAttrArchive;
    FileTime time{};
    std::uint64_t id = 0;          // stays with the data across a rename
    std::int64_t listedSize = -1;  // the size a listing shows, when not that of `data`
    bool lockedExclusive = false;
    int sharedLocks = 0;
  };

  MemoryFileSystem();
  ~MemoryFileSystem() override;

  // Test set-up and inspection.
  void AddFile(const std::string& name, std::string data, FileTime time = {});
  // A file of that size whose bytes are never read (a plan's view of a
  // real file, which may be gigabytes).
  void AddSizedFile(const std::string& name, std::uint64_t size, FileTime time,
                    std::uint8_t attributes = kAttrArchive);
  void AddDirectory(const std::string& name);  // "out/" or "out"
  // Every name in directory `spelling` names the file of that name in `directory`.
  void AddAlias(const std::string& spelling, const std::string& directory);
  // `name` is a symbolic link to `target`: listed, opened and described as
  // the target while the target exists; erasing it erases the link only.
  void AddLink(const std::string& name, const std::string& target);
  bool Exists(const std::string& name) const;
  std::string Contents(const std::string& name) const;
  File* Find(const std::string& name);
  std::vector<std::string> Names() const;
  void SetReadOnly(const std::string& name, bool readOnly = true);
  // Listing or opening anything in the directory gives this code (5, ...).
  void FailDirectory(const std::string& directory, int code);
  // Writes beyond this many more bytes, over all files, fail with 112.
  void SetWriteBudget(std::int64_t bytes) { writeBudget_ = bytes; }
  void SetLineEnd(std::string_view lineEnd) { lineEnd_ = lineEnd; }
  void SetNamesIgnoreCase(bool ignore) { ignoreCase_ = ignore; }
  void SetDirectorySeparators(std::string_view separators) { separators_ = separators; }
  // Makes the named file look held by another process's exclusive lock.
  void LockByOther(const std::string& name);
  int OpenHandles() const { return static_cast<int>(handles_.size()); }

  int Open(const std::string& name, OpenKind kind, Handle& handle) override;
  int LockShared(Handle handle) override;
  int StillNamed(Handle handle, const std::string& name) override;
  int Read(Handle handle, char* buffer, std::size_t size, std::size_t& got) override;
  int Write(Handle handle, const char* data, std::size_t size) override;
  int Seek(Handle handle, std::int64_t position) override;
  int Size(Handle handle, std::int64_t& size) override;
  int Truncate(Handle handle) override;
  int Sync(Handle handle) override;
  int Close(Handle handle) override;
  int Erase(const std::string& name) override;
  int Replace(const std::string& from, const std::string& to) override;
  int CopyPermissions(const std::string& from, const std::string& to) override;
  int CheckWritable(const std::string& name) override;
  int RealName(const std::string& name, std::string& real) override {
    real = name;  // no links here
    return 0;
  }
  int Stamp(Handle handle, FileStamp& stamp) override;
  int StampOf(const std::string& name, FileStamp& stamp) override;
  int List(const std::string& directory, std::vector<FoundEntry>& entries) override;
  int Describe(const std::string& name, FoundEntry& entry) override;
  std::string_view DirectorySeparators() const override { return separators_; }
  bool NamesIgnoreCase() const override { return ignoreCase_; }
  std::string_view LineEnd() const override { return lineEnd_; }

 private:
  struct OpenFile {
    std::shared_ptr<File> file;
    std::int64_t position = 0;
    bool append = false;
    bool writable = false;
    bool exclusive = false;
    bool shared = false;
  };

  std::string Key(const std::string& name) const;
  // The name ending in a separator, as a directory's is kept.
  std::string AsDirectory(std::string name) const;
  File& NewFile(const std::string& name, std::string data, FileTime time);
  std::string Canonical(const std::string& name) const;
  std::string Folded(std::string name) const;
  // The key of the file a name denotes, through a link.
  std::string Target(const std::string& key) const;
  std::string DirectoryOf(const std::string& name) const;
  bool DirectoryExists(const std::string& directory) const;
  bool DirectoryKeyExists(const std::string& key) const;
  int DirectoryFailure(const std::string& name) const;
  OpenFile* Opened(Handle handle);

  std::map<std::string, std::shared_ptr<File>> files_;  // by Key()
  std::map<std::string, std::string> shownNames_;       // Key() -> name as made
  std::set<std::string> directories_;                   // Key() of "dir/"
  std::map<std::string, int> failingDirectories_;
  std::map<std::string, std::string> aliases_;  // folded spelling -> directory
  struct Link {
    std::string shown;
    std::string target;  // Key() of the target
  };
  std::map<std::string, Link> links_;  // by Key()
  std::map<Handle, OpenFile> handles_;
  Handle nextHandle_ = 100;
  std::uint64_t nextId_ = 1;
  std::int64_t writeBudget_ = -1;
  std::string_view lineEnd_ = "\n";
  bool ignoreCase_ = false;
  std::string separators_ = "/";
};

}  // namespace brimvel
