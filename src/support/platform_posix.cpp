// POSIX realisation of the thin OS interface.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/code_page.h"
#include "support/command_line.h"
#include "support/platform.h"
#include "support/search.h"

extern char** environ;

namespace brimvel::platform {

namespace {

int MapErrno(int error) {
  switch (error) {
    case 0:
      return 0;
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return kAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return kDiskFull;
    case EWOULDBLOCK:
    case EBUSY:
    case ETXTBSY:
      return kSharingViolation;
    case EBADF:
      return kInvalidHandle;
    case ENOMEM:
      return kNotEnoughMemory;
    case EMFILE:
    case ENFILE:
      return kTooManyOpenFiles;
    case ENOEXEC:
      return kBadFormat;
    case EXDEV:
      return kNotSameDevice;
    case EEXIST:
      return kFileExists;
    case EINVAL:
      return kInvalidParameter;
    case ENAMETOOLONG:
      return kNameTooLong;
    case ELOOP:
      return kPathNotFound;
    default:
      // Anything else (EIO among them) is a plain failure: passing errno on
      // would give it the meaning of an unrelated platform code.
      return kGeneralFailure;
  }
}

int LastError() { return MapErrno(errno); }

std::int64_t Nanoseconds(const struct timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

FileStamp StampOfStat(const struct stat& info) {
  return FileStamp{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                   static_cast<std::int64_t>(info.st_size), Nanoseconds(info.st_mtim),
                   Nanoseconds(info.st_ctim)};
}

std::string DirectoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// ENOENT stands both for a missing file and for a missing directory on its
// path; callers tell the two apart (2 and 3), so look at the directory part.
int NameError(const std::string& path, int error) {
  int code = MapErrno(error);
  if (code != kFileNotFound) return code;
  struct stat info;
  if (stat(DirectoryOf(path).c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return kPathNotFound;
  return kFileNotFound;
}

FileTime LocalWriteTime(time_t when) {
  struct tm local;
  if (localtime_r(&when, &local) == nullptr) return {};
  return FileTime{std::chrono::seconds{when + local.tm_gmtoff}};
}

int StillNamedAt(int fd, const std::string& name) {
  struct stat held, named;
  if (fstat(fd, &held) != 0) return LastError();
  if (stat(name.c_str(), &named) != 0) return kSharingViolation;
  if (held.st_dev != named.st_dev || held.st_ino != named.st_ino) return kSharingViolation;
  return 0;
}

// Takes the lock of an already opened lock-file and makes sure the name still
// names the locked file: a run that just renamed it away must not hand us
// the file it turned into.
int LockStillNamed(int fd, const std::string& name) {
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return LastError();
  return StillNamedAt(fd, name);
}

// A regular file already at the temporary name: kSharingViolation when a
// working run holds it; otherwise it is removed, `gone` either way.
int RemoveLeftBehind(const std::string& name, bool& gone) {
  gone = false;
  int old = open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (old < 0) {
    gone = errno == ENOENT;
    return gone ? 0 : NameError(name, errno);
  }
  int code = LockStillNamed(old, name);
  if (code == kSharingViolation) {
    close(old);
    return code;
  }
  // Removed while still locked: a run that made the file a moment ago and
  // locks it only now must find it unnamed, or two runs would both work.
  code = unlink(name.c_str()) != 0 && errno != ENOENT ? NameError(name, errno) : 0;
  close(old);
  gone = code == 0;
  return code;
}

// The temporary file, which is the run lock too, is always made new and
// never opened through a link. One that is there already is either locked by
// a working run (32) or left behind; that one is removed by its name, never
// written through: it may be a link to any file, the configuration included.
int OpenTemporary(const std::string& name, Handle& handle) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    int fd = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      // A run that met it before this lock may have removed it again.
      int code = LockStillNamed(fd, name);
      if (code != 0) {
        close(fd);
        return code;
      }
      handle = fd;
      return 0;
    }
    if (errno != EEXIST) return NameError(name, errno);
    struct stat info;
    if (lstat(name.c_str(), &info) != 0) continue;
    if (S_ISDIR(info.st_mode)) return kAccessDenied;
    if (S_ISREG(info.st_mode)) {
      bool gone = false;
      if (int code = RemoveLeftBehind(name, gone); code != 0) return code;
      continue;
    }
    if (unlink(name.c_str()) != 0 && errno != ENOENT) return NameError(name, errno);
  }
  return kSharingViolation;
}

}  // namespace

int RealFileSystem::LockShared(Handle handle) {
  return flock(static_cast<int>(handle), LOCK_SH | LOCK_NB) != 0 ? LastError() : 0;
}

int RealFileSystem::StillNamed(Handle handle, const std::string& name) {
  return StillNamedAt(static_cast<int>(handle), name);
}

int RealFileSystem::Open(const std::string& name, OpenKind kind, Handle& handle) {
  int flags = O_CLOEXEC;
  switch (kind) {
    case OpenKind::kReadExisting:
      // A FIFO or a device must not block the run on its open.
      flags |= O_RDONLY | O_NONBLOCK;
      break;
    case OpenKind::kCreateAlways:
      // Never through a link: the marker must not empty another file.
      flags |= O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW;
      break;
    case OpenKind::kReadWriteExisting:
      flags |= O_RDWR;
      break;
    case OpenKind::kAppendExisting:
      flags |= O_RDWR | O_APPEND;
      break;
    case OpenKind::kCreateAppend:
      flags |= O_RDWR | O_APPEND | O_CREAT;
      break;
    case OpenKind::kCreateLocked:
      return OpenTemporary(name, handle);
  }
  int fd;
  do {
    fd = open(name.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return NameError(name, errno);
  struct stat info;
  if (fstat(fd, &info) == 0 &&
      (S_ISDIR(info.st_mode) || (kind == OpenKind::kReadExisting && !S_ISREG(info.st_mode)))) {
    // Only a regular file is read as text: a FIFO or a terminal could hold
    // the run, and with it the lock, forever.
    close(fd);
    return kAccessDenied;
  }
  handle = fd;
  return 0;
}

int RealFileSystem::Read(Handle handle, char* buffer, std::size_t size, std::size_t& got) {
  ssize_t n;
  do {
    n = read(static_cast<int>(handle), buffer, size);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    got = 0;
    return LastError();
  }
  got = static_cast<std::size_t>(n);
  return 0;
}

int RealFileSystem::Write(Handle handle, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = write(static_cast<int>(handle), data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

int RealFileSystem::Seek(Handle handle, std::int64_t position) {
  return lseek(static_cast<int>(handle), static_cast<off_t>(position), SEEK_SET) < 0 ? LastError()
                                                                                     : 0;
}

int RealFileSystem::Size(Handle handle, std::int64_t& size) {
  struct stat info;
  if (fstat(static_cast<int>(handle), &info) != 0) return LastError();
  size = info.st_size;
  return 0;
}

int RealFileSystem::Truncate(Handle handle) {
  off_t at = lseek(static_cast<int>(handle), 0, SEEK_CUR);
  if (at < 0) return LastError();
  return ftruncate(static_cast<int>(handle), at) != 0 ? LastError() : 0;
}

int RealFileSystem::Sync(Handle handle) {
  return fsync(static_cast<int>(handle)) != 0 ? LastError() : 0;
}

int RealFileSystem::Close(Handle handle) {
  return close(static_cast<int>(handle)) != 0 ? LastError() : 0;
}

int RealFileSystem::Erase(const std::string& name) {
  struct stat info;
  if (lstat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return kAccessDenied;
  return unlink(name.c_str()) != 0 ? NameError(name, errno) : 0;
}

int RealFileSystem::Replace(const std::string& from, const std::string& to) {
  if (rename(from.c_str(), to.c_str()) != 0) {
    int error = errno;
    struct stat info;
    // A missing source is reported first, as a missing file or path.
    return NameError(stat(from.c_str(), &info) != 0 ? from : to, error);
  }
  // The rename is durable only once the directory itself reaches the disk.
  int dir = open(DirectoryOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return 0;
}

int RealFileSystem::CopyPermissions(const std::string& from, const std::string& to) {
  struct stat info;
  if (stat(from.c_str(), &info) != 0) return LastError();
  // Owner and group before the mode, since a new owner clears the set-id
  // bits. Only root gives a file away; the owner may keep a group he is in.
  if (chown(to.c_str(), info.st_uid, info.st_gid) != 0 &&
      chown(to.c_str(), static_cast<uid_t>(-1), info.st_gid) != 0) {
    // The file stays the run's own; its mode is still kept.
  }
  return chmod(to.c_str(), info.st_mode & 07777) != 0 ? LastError() : 0;
}

namespace {

bool InGroup(gid_t group) {
  if (group == getegid()) return true;
  static const std::vector<gid_t> groups = [] {
    int count = getgroups(0, nullptr);
    std::vector<gid_t> list(count > 0 ? static_cast<std::size_t>(count) : 0);
    if (count > 0) list.resize(static_cast<std::size_t>(getgroups(count, list.data())));
    return list;
  }();
  return std::find(groups.begin(), groups.end(), group) != groups.end();
}

// Read-only as the permission bits say, without a system call per file.
// Root may write anything, but a file without write bits is meant read-only.
bool ReadOnly(const struct stat& info) {
  if ((info.st_mode & 0222) == 0) return true;
  static const uid_t user = geteuid();  // asked once, not once per file
  if (user == 0) return false;
  if (info.st_uid == user) return (info.st_mode & S_IWUSR) == 0;
  if (InGroup(info.st_gid)) return (info.st_mode & S_IWGRP) == 0;
  return (info.st_mode & S_IWOTH) == 0;
}

// The reasons besides the permission bits for which a move over the file is
// refused. The directory itself is known to be writable: the temporary file
// was made in it.
int ReplaceRefused(const std::string& name, const struct stat& info) {
  struct stat directory;
  if (stat(DirectoryOf(name).c_str(), &directory) != 0) return NameError(name, errno);
  // A file mounted over its name (a bind mount) is busy.
  if (directory.st_dev != info.st_dev) return kSharingViolation;
#ifdef STATX_ATTR_MOUNT_ROOT
  struct statx mount;
  if (statx(AT_FDCWD, name.c_str(), 0, STATX_BASIC_STATS, &mount) == 0 &&
      (mount.stx_attributes_mask & mount.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0)
    return kSharingViolation;
#endif
  // In a sticky directory (/tmp) only the owner of the file or of the
  // directory may move another file over it.
  uid_t user = geteuid();
  if ((directory.st_mode & S_ISVTX) != 0 && user != 0 && info.st_uid != user &&
      directory.st_uid != user)
    return kAccessDenied;
#ifdef FS_IOC_GETFLAGS
  // Immutable or append-only: not even root may replace it.
  int fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) {
    int flags = 0;
    bool fixed = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                 (static_cast<unsigned>(flags) & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0;
    close(fd);
    if (fixed) return kAccessDenied;
  }
#endif
  return 0;
}

}  // namespace

int RealFileSystem::CheckWritable(const std::string& name) {
  struct stat info;
  if (stat(name.c_str(), &info) != 0) return NameError(name, errno);
  return ReadOnly(info) ? kAccessDenied : ReplaceRefused(name, info);
}

int RealFileSystem::RealName(const std::string& name, std::string& real) {
  real = name;
  struct stat info;
  if (lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return 0;
  // A broken link stays as it is: opening it says what is wrong.
  ResolvedName(name, real);
  return 0;
}

int RealFileSystem::Stamp(Handle handle, FileStamp& stamp) {
  struct stat info;
  if (fstat(static_cast<int>(handle), &info) != 0) return LastError();
  stamp = StampOfStat(info);
  return 0;
}

int RealFileSystem::StampOf(const std::string& name, FileStamp& stamp) {
  struct stat info;
  if (stat(name.c_str(), &info) != 0) return NameError(name, errno);
  stamp = StampOfStat(info);
  return 0;
}

int RealProcessRunner::CheckRunnable(const std::string& program) {
  struct stat info;
  if (stat(program.c_str(), &info) != 0) return NameError(program, errno);
  if (!S_ISREG(info.st_mode) || (info.st_mode & 0111) == 0) return kAccessDenied;
  return 0;
}

std::string_view RealFileSystem::DirectorySeparators() const { return "/"; }
// Lines end as every Linux tool ends them: a CR would show in the journal
// as binary data and defeat grep's "$".
std::string_view RealFileSystem::LineEnd() const { return "\n"; }
bool RealFileSystem::NamesIgnoreCase() const { return false; }

Handle StandardInput() { return 0; }
Handle StandardOutput() { return 1; }
Handle StandardError() { return 2; }

bool StandardOutputIsJournal() {
  const char* stream = std::getenv("JOURNAL_STREAM");
  if (stream == nullptr) return false;
  unsigned long long device = 0;
  unsigned long long inode = 0;
  char end = 0;
  // NOLINTNEXTLINE(cert-err34-c): a malformed value simply does not match
  if (std::sscanf(stream, "%llu:%llu%c", &device, &inode, &end) != 2) return false;
  struct stat info {};
  return fstat(1, &info) == 0 && static_cast<unsigned long long>(info.st_dev) == device &&
         static_cast<unsigned long long>(info.st_ino) == inode;
}

namespace {

bool DescribeAs(const std::string& path, const std::string& name, FoundEntry& entry) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;  // broken link
  entry.name = name;
  entry.attributes = 0;
  if (S_ISDIR(info.st_mode)) {
    entry.attributes |= kAttrDirectory;
  } else if (S_ISREG(info.st_mode)) {
    entry.attributes |= kAttrArchive;
    if (ReadOnly(info)) entry.attributes |= kAttrReadOnly;
  } else {
    return false;  // FIFOs, sockets and devices are never handed over
  }
  if (!name.empty() && name[0] == '.' && name != "." && name != "..")
    entry.attributes |= kAttrHidden;
  entry.time = LocalWriteTime(info.st_mtime);
  entry.size = static_cast<std::uint64_t>(info.st_size);
  entry.device = static_cast<std::uint64_t>(info.st_dev);
  entry.fileIndex = static_cast<std::uint64_t>(info.st_ino);
  entry.writeTime = Nanoseconds(info.st_mtim);
  return true;
}

}  // namespace

int RealFileSystem::List(const std::string& directory, std::vector<FoundEntry>& entries) {
  entries.clear();
  DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) {
    int code = LastError();
    return code == kFileNotFound ? kPathNotFound : code;
  }
  while (struct dirent* item = readdir(dir)) {
    FoundEntry entry;
    std::string_view name(item->d_name);
    if (name == "." || name == "..") {
      // Always directories, and never handed over: not worth a stat each.
      entry.name = item->d_name;
      entry.attributes = kAttrDirectory;
      entries.push_back(std::move(entry));
      continue;
    }
    errno = 0;
    if (DescribeAs(directory + item->d_name, item->d_name, entry)) {
      entries.push_back(std::move(entry));
    } else if (errno == EACCES) {
      // A directory that may be read but not searched (mode 744 of another
      // user) shows names it cannot tell more about: it is not "not found".
      closedir(dir);
      return kAccessDenied;
    }
  }
  closedir(dir);
  SortAsListed(entries);
  return 0;
}

int RealFileSystem::ResolvedName(const std::string& name, std::string& resolved) {
  char* path = realpath(name.empty() ? "." : name.c_str(), nullptr);
  if (path == nullptr) return LastError();
  resolved = path;
  std::free(path);
  return 0;
}

int RealFileSystem::LinkTarget(const std::string& name, std::string& target) {
  struct stat info;
  if (lstat(name.c_str(), &info) != 0) return LastError();
  if (!S_ISLNK(info.st_mode)) return kFileNotFound;
  return ResolvedName(name, target);
}

int RealFileSystem::Describe(const std::string& name, FoundEntry& entry) {
  std::string base = name.substr(name.rfind('/') + 1);  // npos + 1 is 0: the whole name
  struct stat info;
  if (stat(name.c_str(), &info) != 0) return NameError(name, errno);
  return DescribeAs(name, base, entry) ? 0 : kFileNotFound;
}

int RealProcessRunner::RunAndWait(const std::string& program, const std::string& parameters,
                                  int& exitCode) {
  exitCode = 0;
  std::vector<std::string> words = SplitCommandLine(parameters);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  if (program.empty()) return kFileNotFound;
  // In a process group of its own: a Ctrl-C at the terminal asks this run to
  // stop, and must not cut a hand-over short.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t none, handled;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  sigemptyset(&handled);
  // Ignored signals would stay ignored in the program: it gets them as usual.
  for (int number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ}) sigaddset(&handled, number);
  posix_spawnattr_setsigdefault(&attributes, &handled);
  // Outside the terminal's foreground group a program that read the
  // terminal would be stopped, and this run would wait for it forever.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid;
  int error = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) return error == ENOEXEC ? kBadFormat : NameError(program, error);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return LastError();
  }
  if (WIFEXITED(status)) {
    exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    exitCode = 128 + WTERMSIG(status);
  } else {
    exitCode = 1;
  }
  return 0;
}

std::size_t RealProcessRunner::CommandLimit() const {
  // No single argument may pass 128 KiB on Linux, and all of them with the
  // environment must stay under ARG_MAX.
  constexpr std::size_t kArgumentLimit = 131071;
  long total = sysconf(_SC_ARG_MAX);
  if (total > 0 && static_cast<std::size_t>(total) / 2 < kArgumentLimit)
    return static_cast<std::size_t>(total) / 2;
  return kArgumentLimit;
}

int RunEditor(const std::string& file, int& exitCode) {
  exitCode = 0;
  const char* editor = std::getenv("VISUAL");
  if (editor == nullptr || *editor == '\0') editor = std::getenv("EDITOR");
  std::vector<std::string> words = SplitCommandLine(editor != nullptr ? editor : "");
  if (words.empty()) words.emplace_back("vi");
  words.push_back(file);
  std::vector<char*> argv(words.size() + 1, nullptr);
  for (std::size_t i = 0; i < words.size(); ++i) argv[i] = words[i].data();
  // In the foreground, on the terminal: the editor is the operator's.
  pid_t pid;
  int error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (error != 0) return MapErrno(error);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return LastError();
  }
  exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
  return 0;
}

LocalTime RealClock::Now() const {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm local;
  localtime_r(&now.tv_sec, &local);
  return LocalTime{local.tm_year + 1900,
                   local.tm_mon + 1,
                   local.tm_mday,
                   local.tm_hour,
                   local.tm_min,
                   local.tm_sec,
                   static_cast<int>(now.tv_nsec / 1000000)};
}

std::vector<std::string> CommandLineParameters(int argc, char** argv) {
  std::vector<std::string> parameters;
  for (int i = 1; i < argc; ++i) parameters.emplace_back(argv[i]);
  return parameters;
}

namespace {

volatile sig_atomic_t interruption = 0;

constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP};

void NoteInterruption(int number) {
  interruption = number;
  // The second request, of whatever kind, finds the default action again
  // and ends the run at once.
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  for (int watched : kWatched) sigaction(watched, &standard, nullptr);
}

}  // namespace

void IgnoreOutputSignals() {
  // A console that cannot be written (a closed pipe) stops the console output
  // only, and a file-size limit fails the write like a full disk: neither
  // may end the run between a hand-over and its record.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
}

void WatchInterruptions() {
  struct sigaction action {};
  action.sa_handler = NoteInterruption;
  sigemptyset(&action.sa_mask);
  for (int number : kWatched) sigaddset(&action.sa_mask, number);
  action.sa_flags = SA_RESTART;
  for (int number : kWatched) sigaction(number, &action, nullptr);
}

int Interruption() { return interruption; }

namespace {

enum class TitleState { kUnknown, kNoTerminal, kReady, kPushed };
TitleState titleState = TitleState::kUnknown;

void WriteTerminal(const std::string& text) {
  SystemFileSystem().Write(StandardOutput(), text.data(), text.size());
}

}  // namespace

// Titles go only to a terminal that can show them: never into a pipe, a
// file or a cron mail.
void SaveConsoleTitle() {
  const char* term = std::getenv("TERM");
  bool capable = isatty(1) && term != nullptr && *term != '\0' && std::strcmp(term, "dumb") != 0;
  titleState = capable ? TitleState::kReady : TitleState::kNoTerminal;
}

void ShowConsoleTitle(const std::string& text) {
  if (titleState != TitleState::kReady && titleState != TitleState::kPushed) return;
  // The terminal keeps the old title on its stack; it is pushed once, just
  // before the first change, so a run that shows nothing leaves no trace.
  if (titleState == TitleState::kReady) {
    WriteTerminal("\033[22;0t");
    titleState = TitleState::kPushed;
  }
  WriteTerminal("\033]0;" + TerminalTitle(text) + "\007");
}

void RestoreConsoleTitle() {
  if (titleState != TitleState::kPushed) return;
  WriteTerminal("\033[23;0t");
  titleState = TitleState::kReady;
}

}  // namespace brimvel::platform
