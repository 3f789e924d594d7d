#pragma once

// The file system as the rest of the program sees it. Every operation that
// can fail returns 0 or one of the codes of error_codes.h. The real file
// systems live behind platform.h; MemoryFileSystem is the one for tests and
// plans.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/clock.h"
#include "support/error_codes.h"

namespace brimvel {

using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

inline constexpr std::uint8_t kAttrReadOnly = 0x01;
inline constexpr std::uint8_t kAttrHidden = 0x02;
inline constexpr std::uint8_t kAttrSystem = 0x04;
inline constexpr std::uint8_t kAttrVolume = 0x08;
inline constexpr std::uint8_t kAttrDirectory = 0x10;
inline constexpr std::uint8_t kAttrArchive = 0x20;

enum class OpenKind {
  kReadExisting,       // read access, others may read and write
  kCreateAlways,       // read and write, an existing file is emptied
  kReadWriteExisting,  // read and write, positioned at the start
  kAppendExisting,     // read and write; every write lands at the end, even
                       // when another process appends to the same file
  kCreateAppend,       // as kAppendExisting, creating the file when missing
  kCreateLocked,       // like kCreateAlways, but first takes an exclusive lock
                       // that dies with the process; a held lock gives 32
};

// What tells whether a file changed: which file a name or handle denotes,
// its size, its last write and its last change of any kind (nanoseconds).
struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  std::int64_t size = 0;
  std::int64_t written = 0;
  std::int64_t changed = 0;
  bool operator==(const FileStamp&) const = default;
};

// One directory entry as a listing describes it.
struct FoundEntry {
  std::string name;             // without directory part
  std::uint8_t attributes = 0;  // kAttr* bits
  FileTime time{};              // last write, local time
  std::uint64_t size = 0;
  // Which file this is, however its path is spelt, and its last write to the
  // platform's finest grain; 0 where the platform does not tell.
  std::uint64_t device = 0;
  std::uint64_t fileIndex = 0;
  std::int64_t writeTime = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual int Open(const std::string& name, OpenKind kind, Handle& handle) = 0;
  // A shared, non-blocking lock on an open file, refused (32) while another
  // process holds the file exclusively.
  virtual int LockShared(Handle handle) = 0;
  // 0 when the name still names the open file; 32 when another file took its
  // name (or the name is gone).
  virtual int StillNamed(Handle handle, const std::string& name) = 0;
  virtual int Read(Handle handle, char* buffer, std::size_t size, std::size_t& got) = 0;
  virtual int Write(Handle handle, const char* data, std::size_t size) = 0;
  virtual int Seek(Handle handle, std::int64_t position) = 0;
  virtual int Size(Handle handle, std::int64_t& size) = 0;
  virtual int Truncate(Handle handle) = 0;  // at the current position
  virtual int Sync(Handle handle) = 0;      // to the disk
  virtual int Close(Handle handle) = 0;
  virtual int Erase(const std::string& name) = 0;
  // Moves `from` over `to` in one step and makes the change durable.
  virtual int Replace(const std::string& from, const std::string& to) = 0;
  // Gives `to` the permission bits of `from`; best effort.
  virtual int CopyPermissions(const std::string& from, const std::string& to) = 0;
  // Whether the process may replace the named file: 0, or 5 for a read-only
  // file (also when the process could override the read-only mark).
  virtual int CheckWritable(const std::string& name) = 0;
  // Every entry of a directory ("" is the current one), in the order the
  // platform delivers them: 0, 3 when the directory is missing, 5 when it
  // may not be read. Matching names against a mask is the caller's work.
  virtual int List(const std::string& directory, std::vector<FoundEntry>& entries) = 0;
  // The entry a name denotes: 0, 2 or 3.
  virtual int Describe(const std::string& name, FoundEntry& entry) = 0;
  // The one name of what `name` denotes: absolute, without "." or doubled
  // separators, symbolic links followed. A file system without other
  // spellings gives the name back.
  virtual int ResolvedName(const std::string& name, std::string& resolved) {
    resolved = name;
    return 0;
  }
  // When `name` is a symbolic link: 0, and the one name of what it leads to
  // (see ResolvedName). Otherwise 2, or the code of a failure.
  virtual int LinkTarget(const std::string& /*name*/, std::string& /*target*/) {
    return kFileNotFound;
  }

  // The file a name stands for once links are followed, so that every path to
  // one file shares its lock and temporary file; the name itself when it is
  // no link.
  virtual int RealName(const std::string& name, std::string& real) = 0;
  // The stamp of an open file, and of the file a name denotes now.
  virtual int Stamp(Handle handle, FileStamp& stamp) = 0;
  virtual int StampOf(const std::string& name, FileStamp& stamp) = 0;

  // The characters that end the directory part of a path.
  virtual std::string_view DirectorySeparators() const = 0;
  // Whether names are compared without regard to case, so that a found name
  // may be upper-cased and still name the same file.
  virtual bool NamesIgnoreCase() const = 0;
  // The line end of the platform's own text files.
  virtual std::string_view LineEnd() const = 0;
};

// Every byte of a file, read through the interface; 0 or the code of the
// failure to open or read it.
inline int ReadWholeFile(FileSystem& fs, const std::string& name, std::string& bytes) {
  bytes.clear();
  Handle handle = kNoHandle;
  if (int code = fs.Open(name, OpenKind::kReadExisting, handle); code != 0) return code;
  char buffer[64 * 1024];
  std::size_t got = 0;
  int code = 0;
  while ((code = fs.Read(handle, buffer, sizeof buffer, got)) == 0 && got > 0)
    bytes.append(buffer, got);
  fs.Close(handle);
  return code;
}

}  // namespace brimvel
