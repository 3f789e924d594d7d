#include "support/memory_file_system.h"

#include <algorithm>
#include <cstring>

#include "support/search.h"
#include "support/string_utils.h"

namespace brimvel {

MemoryFileSystem::MemoryFileSystem() = default;
MemoryFileSystem::~MemoryFileSystem() = default;

std::string MemoryFileSystem::Folded(std::string name) const {
  return ignoreCase_ ? UpperText(name) : std::move(name);
}

std::string MemoryFileSystem::Canonical(const std::string& name) const {
  std::string path;
  path.reserve(name.size());
  std::size_t at = 0;
  for (;;) {
    std::size_t end = name.find_first_of(separators_, at);
    if (end == std::string::npos) {
      path.append(name, at, std::string::npos);
      break;
    }
    std::string_view part(name.data() + at, end - at);
    // A leading separator makes the path absolute; a doubled one, or a ".",
    // names the same directory again.
    if ((part.empty() && at == 0) || (!part.empty() && part != ".")) {
      path.append(part);
      path += name[end];
    }
    at = end + 1;
  }
  if (!aliases_.empty()) {
    std::size_t directoryEnd = DirectoryPart(path, separators_).size();
    auto alias = aliases_.find(Folded(path.substr(0, directoryEnd)));
    if (alias != aliases_.end()) path = alias->second + path.substr(directoryEnd);
  }
  return path;
}

std::string MemoryFileSystem::Key(const std::string& name) const { return Folded(Canonical(name)); }

std::string MemoryFileSystem::Target(const std::string& key) const {
  auto link = links_.find(key);
  return link == links_.end() ? key : link->second.target;
}

std::string MemoryFileSystem::DirectoryOf(const std::string& name) const {
  return std::string(DirectoryPart(name, DirectorySeparators()));
}

bool MemoryFileSystem::DirectoryExists(const std::string& directory) const {
  if (directory.empty() || directory == "./") return true;
  return DirectoryKeyExists(Key(directory));
}
bool MemoryFileSystem::DirectoryKeyExists(const std::string& key) const {
  if (directories_.count(key) != 0) return true;
  // A directory exists while it holds something.
  auto next = files_.upper_bound(key);
  return next != files_.end() && next->first.compare(0, key.size(), key) == 0;
}

int MemoryFileSystem::DirectoryFailure(const std::string& name) const {
  std::string directory = DirectoryOf(name);
  auto failing = failingDirectories_.find(Key(directory));
  if (failing != failingDirectories_.end()) return failing->second;
  return DirectoryExists(directory) ? 0 : kPathNotFound;
}

MemoryFileSystem::File& MemoryFileSystem::NewFile(const std::string& name, std::string data,
                                                  FileTime time) {
  // Worked out once: mirroring a tree adds thousands of files.
  std::string shown = Canonical(name);
  std::string key = Folded(shown);
  auto file = std::make_shared<File>();
  file->data = std::move(data);
  file->time = time;
  file->id = nextId_++;
  files_[key] = file;
  shownNames_[key] = std::move(shown);
  return *file;
}

void MemoryFileSystem::AddFile(const std::string& name, std::string data, FileTime time) {
  NewFile(name, std::move(data), time);
}

void MemoryFileSystem::AddSizedFile(const std::string& name, std::uint64_t size, FileTime time,
                                    std::uint8_t attributes) {
  File& file = NewFile(name, std::string(), time);
  file.listedSize = static_cast<std::int64_t>(size);
  file.attributes = attributes;
}

std::string MemoryFileSystem::AsDirectory(std::string name) const {
  if (!name.empty() && separators_.find(name.back()) == std::string::npos)
    name += separators_.front();
  return name;
}

void MemoryFileSystem::AddDirectory(const std::string& name) {
  directories_.insert(Key(AsDirectory(name)));
}

void MemoryFileSystem::AddAlias(const std::string& spelling, const std::string& directory) {
  aliases_[Key(AsDirectory(spelling))] = Canonical(AsDirectory(directory));
}

void MemoryFileSystem::AddLink(const std::string& name, const std::string& target) {
  links_[Key(name)] = Link{Canonical(name), Key(target)};
}

bool MemoryFileSystem::Exists(const std::string& name) const {
  return files_.count(Target(Key(name))) != 0;
}

std::string MemoryFileSystem::Contents(const std::string& name) const {
  auto found = files_.find(Target(Key(name)));
  return found == files_.end() ? std::string() : found->second->data;
}

MemoryFileSystem::File* MemoryFileSystem::Find(const std::string& name) {
  auto found = files_.find(Target(Key(name)));
  return found == files_.end() ? nullptr : found->second.get();
}

std::vector<std::string> MemoryFileSystem::Names() const {
  std::vector<std::string> names;
  for (const auto& [key, file] : files_) names.push_back(shownNames_.at(key));
  return names;
}

void MemoryFileSystem::SetReadOnly(const std::string& name, bool readOnly) {
  if (File* file = Find(name)) {
    if (readOnly) {
      file->attributes |= kAttrReadOnly;
    } else {
      file->attributes &= static_cast<std::uint8_t>(~kAttrReadOnly);
    }
  }
}

void MemoryFileSystem::FailDirectory(const std::string& directory, int code) {
  failingDirectories_[Key(AsDirectory(directory))] = code;
}

void MemoryFileSystem::LockByOther(const std::string& name) {
  if (File* file = Find(name)) file->lockedExclusive = true;
}

MemoryFileSystem::OpenFile* MemoryFileSystem::Opened(Handle handle) {
  auto found = handles_.find(handle);
  return found == handles_.end() ? nullptr : &found->second;
}

int MemoryFileSystem::Open(const std::string& name, OpenKind kind, Handle& handle) {
  if (name.empty()) return kFileNotFound;
  if (int code = DirectoryFailure(name); code != 0) return code;
  std::string key = Target(Key(name));
  auto found = files_.find(key);
  bool creates = kind == OpenKind::kCreateAlways || kind == OpenKind::kCreateAppend ||
                 kind == OpenKind::kCreateLocked;
  if (found == files_.end()) {
    if (!creates) return kFileNotFound;
    AddFile(name, std::string());
    found = files_.find(key);
  }
  std::shared_ptr<File> file = found->second;
  bool writable = kind != OpenKind::kReadExisting;
  if (writable && (file->attributes & kAttrReadOnly) != 0) return kAccessDenied;
  if (kind == OpenKind::kCreateLocked) {
    if (file->lockedExclusive || file->sharedLocks > 0) return kSharingViolation;
    file->lockedExclusive = true;
  }
  if (kind == OpenKind::kCreateAlways || kind == OpenKind::kCreateLocked) file->data.clear();
  OpenFile opened;
  opened.file = file;
  opened.writable = writable;
  opened.append = kind == OpenKind::kAppendExisting || kind == OpenKind::kCreateAppend;
  opened.exclusive = kind == OpenKind::kCreateLocked;
  handle = nextHandle_++;
  handles_[handle] = opened;
  return 0;
}

int MemoryFileSystem::LockShared(Handle handle) {
  OpenFile* opened = Opened(handle);
  if (opened == nullptr) return kInvalidHandle;
  if (opened->file->lockedExclusive && !opened->exclusive) return kSharingViolation;
  if (!opened->shared) {
    opened->shared = true;
    ++opened->file->sharedLocks;
  }
  return 0;
}

int MemoryFileSystem::StillNamed(Handle handle, const std::string& name) {
  OpenFile* opened = Opened(handle);
  if (opened == nullptr) return kInvalidHandle;
  auto found = files_.find(Target(Key(name)));
  if (found == files_.end() || found->second->id != opened->file->id) return kSharingViolation;
  return 0;
}

int MemoryFileSystem::Read(Handle handle, char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  OpenFile* opened = Opened(handle);
  if (opened == nullptr) return kInvalidHandle;
  const std::string& data = opened->file->data;
  if (opened->position >= static_cast<std::int64_t>(data.size())) return 0;
  std::size_t at = static_cast<std::size_t>(opened->position);
  got = std::min(size, data.size() - at);
  std::memcpy(buffer, data.data() + at, got);
  opened->position += static_cast<std::int64_t>(got);
  return 0;
}

int MemoryFileSystem::Write(Handle handle, const char* data, std::size_t size) {
  OpenFile* opened = Opened(handle);
  if (opened == nullptr) return kInvalidHandle;
  if (!opened->writable) return kAccessDenied;
  if (writeBudget_ >= 0) {
    if (static_cast<std::int64_t>(size) > writeBudget_) {
      writeBudget_ = 0;
      return kDiskFull;
    }
    writeBudget_ -= static_cast<std::int64_t>(size);
  }
  std::string& content = opened->file->data;
  if (opened->append) opened->position = static_cast<std::int64_t>(content.size());
  std::size_t at = static_cast<std::size_t>(opened->position);
  if (content.size() < at + size) content.resize(at + size);
  content.replace(at, size, data, size);
  opened->position += static_cast<std::int64_t>(size);
  return 0;
}

int MemoryFileSystem::Seek(Handle handle, std::int64_t position) {
  OpenFile* opened = Opened(handle);
  if (opened == nullptr) return kInvalidHandle;
  opened->position = position;
  return 0;
}

int MemoryFileSystem::Size(Handle handle, std::int64_t& size) {
  OpenFile* opened = Opened(handle);
  if (opened == nullptr) return kInvalidHandle;
  size = static_cast<std::int64_t>(opened->file->data.size());
  return 0;
}

int MemoryFileSystem::Truncate(Handle handle) {
  OpenFile* opened = Opened(handle);
  if (opened == nullptr) return kInvalidHandle;
  opened->file->data.resize(static_cast<std::size_t>(opened->position));
  return 0;
}

int MemoryFileSystem::Sync(Handle handle) { return Opened(handle) == nullptr ? kInvalidHandle : 0; }

int MemoryFileSystem::Close(Handle handle) {
  OpenFile* opened = Opened(handle);
  if (opened == nullptr) return kInvalidHandle;
  if (opened->exclusive) opened->file->lockedExclusive = false;
  if (opened->shared) --opened->file->sharedLocks;
  handles_.erase(handle);
  return 0;
}

int MemoryFileSystem::Erase(const std::string& name) {
  if (int code = DirectoryFailure(name); code != 0) return code;
  // Erasing a link leaves its target alone.
  if (links_.erase(Key(name)) != 0) return 0;
  auto found = files_.find(Key(name));
  if (found == files_.end())
    return DirectoryExists(Key(name) + "/") ? kAccessDenied : kFileNotFound;
  files_.erase(found);
  shownNames_.erase(Key(name));
  return 0;
}

int MemoryFileSystem::Replace(const std::string& from, const std::string& to) {
  if (int code = DirectoryFailure(from); code != 0) return code;
  if (int code = DirectoryFailure(to); code != 0) return code;
  auto source = files_.find(Key(from));
  if (source == files_.end()) return kFileNotFound;
  std::shared_ptr<File> file = source->second;
  files_.erase(source);
  shownNames_.erase(Key(from));
  files_[Key(to)] = file;
  shownNames_[Key(to)] = Canonical(to);
  return 0;
}

int MemoryFileSystem::CopyPermissions(const std::string& from, const std::string& to) {
  File* source = Find(from);
  File* target = Find(to);
  if (source == nullptr || target == nullptr) return kFileNotFound;
  target->attributes = static_cast<std::uint8_t>((target->attributes & ~kAttrReadOnly) |
                                                 (source->attributes & kAttrReadOnly));
  return 0;
}

namespace {

FoundEntry Listed(const std::string& name, const MemoryFileSystem::File& file) {
  std::uint64_t size =
      file.listedSize >= 0 ? static_cast<std::uint64_t>(file.listedSize) : file.data.size();
  return FoundEntry{name, file.attributes, file.time, size};
}

FileStamp StampOfFile(const MemoryFileSystem::File& file) {
  const std::int64_t written = file.time.time_since_epoch().count();
  return FileStamp{0, file.id, static_cast<std::int64_t>(file.data.size()), written, written};
}

}  // namespace

int MemoryFileSystem::Stamp(Handle handle, FileStamp& stamp) {
  OpenFile* opened = Opened(handle);
  if (opened == nullptr) return kInvalidHandle;
  stamp = StampOfFile(*opened->file);
  return 0;
}

int MemoryFileSystem::StampOf(const std::string& name, FileStamp& stamp) {
  File* file = Find(name);
  if (file == nullptr) return kFileNotFound;
  stamp = StampOfFile(*file);
  return 0;
}

int MemoryFileSystem::CheckWritable(const std::string& name) {
  if (int code = DirectoryFailure(name); code != 0) return code;
  File* file = Find(name);
  if (file == nullptr) return kFileNotFound;
  return (file->attributes & kAttrReadOnly) != 0 ? kAccessDenied : 0;
}

int MemoryFileSystem::List(const std::string& directory, std::vector<FoundEntry>& entries) {
  entries.clear();
  std::string dir = directory == "./" ? std::string() : directory;
  std::string prefix = Key(dir);
  auto failing = failingDirectories_.find(prefix);
  if (failing != failingDirectories_.end()) return failing->second;
  if (!dir.empty() && !DirectoryKeyExists(prefix)) return kPathNotFound;
  std::set<std::string> subdirectories;
  // Only the names under the directory: a listing costs what it shows.
  for (auto it = files_.lower_bound(prefix);
       it != files_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    std::string rest = shownNames_.at(it->first).substr(prefix.size());
    std::size_t slash = rest.find_first_of(separators_);
    if (slash != std::string::npos) {
      subdirectories.insert(rest.substr(0, slash));
      continue;
    }
    entries.push_back(Listed(rest, *it->second));
  }
  // A link is listed as its target, while the target is there.
  for (auto it = links_.lower_bound(prefix);
       it != links_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    auto target = files_.find(it->second.target);
    std::string rest = it->second.shown.substr(prefix.size());
    if (target == files_.end() || rest.find_first_of(separators_) != std::string::npos) continue;
    const File& file = *target->second;
    entries.push_back(Listed(rest, file));
  }
  for (auto it = directories_.upper_bound(prefix);
       it != directories_.end() && it->compare(0, prefix.size(), prefix) == 0; ++it) {
    std::string rest = it->substr(prefix.size());
    subdirectories.insert(rest.substr(0, rest.find_first_of(separators_)));
  }
  for (const std::string& name : subdirectories)
    entries.push_back(FoundEntry{name, kAttrDirectory, {}, 0});
  SortAsListed(entries);
  return 0;
}

int MemoryFileSystem::Describe(const std::string& name, FoundEntry& entry) {
  if (int code = DirectoryFailure(name); code != 0) return code;
  File* file = Find(name);
  if (file == nullptr) {
    if (name.empty() || !DirectoryExists(AsDirectory(name))) return kFileNotFound;
    entry = FoundEntry{name.substr(DirectoryOf(name).size()), kAttrDirectory, {}, 0};
    return 0;
  }
  auto link = links_.find(Key(name));
  std::string shown = link != links_.end() ? link->second.shown : shownNames_.at(Key(name));
  entry = Listed(shown.substr(DirectoryOf(shown).size()), *file);
  return 0;
}

}  // namespace brimvel
