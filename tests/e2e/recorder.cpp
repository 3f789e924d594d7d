// A stand-in post program for the end-to-end tests. Every call appends one
// line to the file named by BRIMVEL_RECORD ("calls.log" when unset): each
// argument after argv[0] in [brackets], separated by one blank. Bytes that
// would make the record ambiguous (control bytes, brackets, backslash and
// everything from 0x7F up) are written as \xNN. The exit code comes from
// BRIMVEL_EXIT (0 when unset).
//
// Plain standard C++ only: the same source is built for Windows.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "argument_record.h"

int main(int argc, char** argv) {
  std::string record;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) record += ' ';
    record += RecordedArgument(argv[i]);
  }
  record += '\n';

  const char* path = std::getenv("BRIMVEL_RECORD");
  if (path == nullptr || *path == '\0') path = "calls.log";
  std::FILE* file = std::fopen(path, "ab");
  if (file == nullptr) {
    std::perror(path);
    return 125;
  }
  bool written = std::fwrite(record.data(), 1, record.size(), file) == record.size();
  if (std::fclose(file) != 0 || !written) {
    std::perror(path);
    return 125;
  }

  const char* code = std::getenv("BRIMVEL_EXIT");
  return code == nullptr ? 0 : std::atoi(code);
}
