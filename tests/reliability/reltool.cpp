// Small helpers for the reliability scripts, where the shell is too coarse.
//
//   reltool kill-after MICROSECONDS program [args...]
//       Starts the program (its output goes to run.out and run.err in the
//       current directory), sends it SIGKILL after the delay and reaps it.
//       Prints "killed" when the signal ended it, "exited N" when it had
//       already ended on its own with code N, "signal N" for another signal.
//   reltool garbage SEED BYTES
//       Writes BYTES pseudo-random bytes (every value, NUL included) to
//       standard output; the same seed gives the same bytes.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int KillAfter(long micros, char** command) {
  pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    return 2;
  }
  if (pid == 0) {
    int out = open("run.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open("run.err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    close(out);
    close(err);
    execv(command[0], command);
    std::perror(command[0]);
    _exit(127);
  }
  struct timespec delay = {micros / 1000000, (micros % 1000000) * 1000};
  while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
  }
  // A child that has already ended is a zombie until reaped: the signal
  // cannot reach another process.
  kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      std::perror("waitpid");
      return 2;
    }
  }
  if (WIFSIGNALED(status)) {
    if (WTERMSIG(status) == SIGKILL) {
      std::printf("killed\n");
    } else {
      std::printf("signal %d\n", WTERMSIG(status));
    }
  } else {
    std::printf("exited %d\n", WEXITSTATUS(status));
  }
  return 0;
}

int Garbage(std::uint64_t seed, long bytes) {
  std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
  std::string out;
  out.reserve(static_cast<std::size_t>(bytes));
  for (long i = 0; i < bytes; ++i) {
    // xorshift64*
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    out.push_back(static_cast<char>((state * 0x2545F4914F6CDD1Dull) >> 56));
  }
  return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "kill-after") == 0)
    return KillAfter(std::atol(argv[2]), argv + 3);
  if (argc == 4 && std::strcmp(argv[1], "garbage") == 0)
    return Garbage(std::strtoull(argv[2], nullptr, 10), std::atol(argv[3]));
  std::fprintf(stderr,
               "usage: reltool kill-after MICROSECONDS program [args...]\n"
               "       reltool garbage SEED BYTES\n");
  return 2;
}
