#pragma once

// Stand-ins for the OS in unit tests: a program starter that records its
// calls and answers as told, and a whole run environment over a
// MemoryFileSystem and a FixedClock.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "run/driver.h"
#include "support/clock.h"
#include "support/memory_file_system.h"
#include "support/process_runner.h"
#include "support/text_writer.h"

namespace brimvel::testing {

class RecordingRunner final : public ProcessRunner {
 public:
  struct Call {
    std::string program;
    std::string parameters;
  };

  // Programs that cannot be started, with the start error.
  std::map<std::string, int> startErrors;
  // The exit code every started program ends with.
  int exitCode = 0;
  // The longest command that starts.
  std::size_t commandLimit = static_cast<std::size_t>(-1);
  // Runs after a call is recorded (a post program that does something).
  std::function<void(const Call&)> onCall;
  std::vector<Call> calls;

  int RunAndWait(const std::string& program, const std::string& parameters, int& exit) override {
    exit = 0;
    if (auto found = startErrors.find(program); found != startErrors.end()) return found->second;
    calls.push_back(Call{program, parameters});
    if (onCall) onCall(calls.back());
    exit = exitCode;
    return 0;
  }
  std::size_t CommandLimit() const override { return commandLimit; }
  int CheckRunnable(const std::string& program) override {
    if (auto found = startErrors.find(program); found != startErrors.end()) return found->second;
    return 0;
  }
};

inline LocalTime At(int year, int month, int day, int hour = 6, int minute = 0) {
  LocalTime time;
  time.year = year;
  time.month = month;
  time.day = day;
  time.hour = hour;
  time.minute = minute;
  return time;
}

inline FileTime WrittenAt(const LocalTime& time) {
  const std::chrono::local_days day{DayOf(time).time_since_epoch()};
  return day + std::chrono::hours{time.hour} + std::chrono::minutes{time.minute};
}

// A whole run over fakes: files in `fs`, the console and standard error
// as memory files, the clock at a fixed time.
struct FakeEnvironment {
  MemoryFileSystem fs;
  RecordingRunner runner;
  FixedClock clock{At(2026, 12, 9)};
  // The console lives apart, so a full disk in `fs` leaves it writable.
  MemoryFileSystem terminal;
  TextWriter console{terminal, "<console>"};
  TextWriter errors{terminal, "<stderr>"};

  FakeEnvironment() {
    console.OpenNew();
    errors.OpenNew();
  }

  // Runs the program with these parameters; returns its exit code.
  int Run(const std::vector<std::string>& parameters) {
    RunEnvironment env{fs, runner, clock, console, errors};
    int code = RunMain(env, parameters);
    console.Flush();
    errors.Flush();
    return code;
  }
  std::string Console() { return terminal.Contents("<console>"); }
  std::string Errors() { return terminal.Contents("<stderr>"); }
};

}  // namespace brimvel::testing
