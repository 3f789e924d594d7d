#pragma once

#include <cstddef>
#include <string>

namespace brimvel {

// Starts programs. The real runner lives behind platform.h; tests and plans
// bring their own.
class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // Starts `program` (no search along PATH) with the parameter text, waits
  // for it and returns 0 or the start error; exitCode receives its result.
  virtual int RunAndWait(const std::string& program, const std::string& parameters,
                         int& exitCode) = 0;
  // 0 when the file may be started as a program, otherwise why not (2, 3, 5).
  virtual int CheckRunnable(const std::string& program) = 0;
  // The longest command (program, blank, parameters) that can be started.
  virtual std::size_t CommandLimit() const { return static_cast<std::size_t>(-1); }
};

}  // namespace brimvel
