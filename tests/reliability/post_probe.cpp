// A post program for the reliability checks. Every call appends one record
// line to the file named by PROBE_RECORD: each argument after argv[0] in
// [brackets], separated by one blank; control bytes, bytes from 0x7F up and
// the bytes [ ] \ are written as \xNN, so a record is always one line and
// shows exactly what arrived.
//
// Optional behaviour, all through the environment (the run hands its own
// environment to the post program):
//   PROBE_FDS=file      append the number of descriptors the parent holds open
//   PROBE_KILL_AT=k     with PROBE_COUNTER=file: the k-th call counted in that
//                       file kills the parent with SIGKILL (after recording)
//   PROBE_EXIT=n        exit code (0 when unset)

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../e2e/argument_record.h"

namespace {

// One write per record: O_APPEND keeps records of concurrent callers whole.
bool AppendLine(const char* path, const std::string& line) {
  int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  return close(fd) == 0 && ok;
}

int ParentDescriptors() {
  std::string path = "/proc/" + std::to_string(getppid()) + "/fd";
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return -1;
  int count = 0;
  while (struct dirent* entry = readdir(dir))
    if (entry->d_name[0] != '.') ++count;
  closedir(dir);
  return count;
}

// The call's number across all runs, kept in a file under an exclusive lock.
long NextCallNumber(const char* path) {
  int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0 || flock(fd, LOCK_EX) != 0) return -1;
  char buffer[32] = {};
  ssize_t got = read(fd, buffer, sizeof buffer - 1);
  long number = (got > 0 ? std::atol(buffer) : 0) + 1;
  std::string text = std::to_string(number) + "\n";
  bool ok = lseek(fd, 0, SEEK_SET) == 0 && ftruncate(fd, 0) == 0 &&
            write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  return ok ? number : -1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string record;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) record += ' ';
    record += RecordedArgument(argv[i]);
  }
  const char* recordPath = std::getenv("PROBE_RECORD");
  if (recordPath == nullptr || !AppendLine(recordPath, record + "\n")) {
    std::perror("post_probe: PROBE_RECORD");
    return 125;
  }

  if (const char* fdsPath = std::getenv("PROBE_FDS"))
    AppendLine(fdsPath, std::to_string(ParentDescriptors()) + "\n");

  const char* killAt = std::getenv("PROBE_KILL_AT");
  const char* counter = std::getenv("PROBE_COUNTER");
  if (killAt != nullptr && counter != nullptr && NextCallNumber(counter) == std::atol(killAt))
    kill(getppid(), SIGKILL);

  const char* code = std::getenv("PROBE_EXIT");
  return code == nullptr ? 0 : std::atoi(code);
}
