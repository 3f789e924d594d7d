// The real file system, program starter and clock: the interfaces of the
// portable code, answered by whichever platform layer is linked in.
#include "support/platform.h"

namespace brimvel::platform {

namespace {

class RealFileSystem final : public FileSystem {
 public:
  int Open(const std::string& name, OpenKind kind, Handle& handle) override {
    return OpenFile(name, kind, handle);
  }
  int LockShared(Handle handle) override { return platform::LockShared(handle); }
  int StillNamed(Handle handle, const std::string& name) override {
    return platform::StillNamed(handle, name);
  }
  int Read(Handle handle, char* buffer, std::size_t size, std::size_t& got) override {
    return ReadFile(handle, buffer, size, got);
  }
  int Write(Handle handle, const char* data, std::size_t size) override {
    return WriteFile(handle, data, size);
  }
  int Seek(Handle handle, std::int64_t position) override { return SeekFile(handle, position); }
  int Size(Handle handle, std::int64_t& size) override { return FileSize(handle, size); }
  int Truncate(Handle handle) override { return TruncateFile(handle); }
  int Sync(Handle handle) override { return SyncFile(handle); }
  int Close(Handle handle) override { return CloseFile(handle); }
  int Erase(const std::string& name) override { return DeleteFile(name); }
  int Replace(const std::string& from, const std::string& to) override {
    return ReplaceFile(from, to);
  }
  int CopyPermissions(const std::string& from, const std::string& to) override {
    return platform::CopyPermissions(from, to);
  }
  int CheckWritable(const std::string& name) override { return platform::CheckWritable(name); }
  int RealName(const std::string& name, std::string& real) override {
    return platform::RealName(name, real);
  }
  int Stamp(Handle handle, FileStamp& stamp) override { return platform::Stamp(handle, stamp); }
  int StampOf(const std::string& name, FileStamp& stamp) override {
    return StampOfName(name, stamp);
  }
  int List(const std::string& directory, std::vector<FoundEntry>& entries) override {
    return ListDirectory(directory, entries);
  }
  int Describe(const std::string& name, FoundEntry& entry) override {
    return DescribeFile(name, entry);
  }
  int ResolvedName(const std::string& name, std::string& resolved) override {
    return ResolveName(name, resolved);
  }
  int LinkTarget(const std::string& name, std::string& target) override {
    return platform::LinkTarget(name, target);
  }
  std::string_view DirectorySeparators() const override { return platform::DirectorySeparators(); }
  bool NamesIgnoreCase() const override { return platform::NamesIgnoreCase(); }
  std::string_view LineEnd() const override { return platform::LineEnd(); }
};

class RealProcessRunner final : public ProcessRunner {
 public:
  int RunAndWait(const std::string& program, const std::string& parameters,
                 int& exitCode) override {
    return platform::RunAndWait(program, parameters, exitCode);
  }
  int CheckRunnable(const std::string& program) override {
    return platform::CheckRunnable(program);
  }
  std::size_t CommandLimit() const override { return platform::CommandLimit(); }
};

class RealClock final : public Clock {
 public:
  LocalTime Now() const override { return platform::Now(); }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static RealFileSystem fs;
  return fs;
}

ProcessRunner& SystemProcessRunner() {
  static RealProcessRunner runner;
  return runner;
}

Clock& SystemClock() {
  static RealClock clock;
  return clock;
}

}  // namespace brimvel::platform
