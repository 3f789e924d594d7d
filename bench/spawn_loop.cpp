// Starts a program N times and waits for each: what process starts alone cost.
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

extern char** environ;

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: spawn_loop PROGRAM COUNT ARG\n");
    return 2;
  }
  int count = std::atoi(argv[2]);
  for (int i = 0; i < count; ++i) {
    std::string arg = std::string(argv[3]) + std::to_string(i);
    char* args[] = {argv[1], const_cast<char*>("AREA"), arg.data(), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, argv[1], nullptr, nullptr, args, environ) != 0) return 1;
    int status;
    waitpid(pid, &status, 0);
  }
  return 0;
}
