#include "run/plan.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "config/area_names.h"
#include "config/config_line.h"
#include "run/daily_guard.h"
#include "support/memory_file_system.h"
#include "support/search.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

// Every simulated program starts and ends with 0.
class SucceedingRunner final : public ProcessRunner {
 public:
  int RunAndWait(const std::string&, const std::string&, int& exitCode) override {
    exitCode = 0;
    return 0;
  }
  int CheckRunnable(const std::string&) override { return 0; }
};

struct HandOverLine {
  std::string area;
  std::string path;
  std::int64_t size = 0;
};

// The simulated runs' decisions, heard through the pass's own observer.
class Recorder final : public HatchObserver {
 public:
  void AreaMet(const AreaRecord& area) override {
    std::string name = area.name.str();
    if (seen_.insert(name).second) order_.push_back(name);
    if (area.enabled) due_.insert(name);
  }
  void HandedOver(const AreaRecord& area, std::string_view path, std::int64_t size) override {
    handedOver_.push_back(HandOverLine{area.name.str(), std::string(path), size});
  }
  void Waiting(const AreaRecord& area, std::string_view path, std::int64_t size,
               WaitReason reason) override {
    if (reason == WaitReason::kInterrupted) return;
    waiting_.push_back(HandOverLine{area.name.str(), std::string(path), size});
    if (reason == WaitReason::kNever) never_.insert(std::string(path));
  }

  std::vector<HandOverLine> handedOver_;
  std::vector<HandOverLine> waiting_;
  std::set<std::string> never_;
  std::set<std::string> due_;
  std::set<std::string> seen_;
  std::vector<std::string> order_;
};

// The next day of the calendar.
LocalTime NextDay(LocalTime day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (day.year % 4 == 0 && day.year % 100 != 0) || day.year % 400 == 0;
  int length = day.month == 2 && leap ? 29 : kDays[day.month - 1];
  if (++day.day > length) {
    day.day = 1;
    if (++day.month > 12) {
      day.month = 1;
      ++day.year;
    }
  }
  day.dayOfWeek = DayOfWeek(day.year, day.month, day.day);
  return day;
}

std::string DateText(const LocalTime& day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
  return text;
}

int ReadWhole(FileSystem& fs, const std::string& name, std::string& text) {
  Handle handle = kNoHandle;
  if (int code = fs.Open(name, OpenKind::kReadExisting, handle); code != 0) return code;
  char buffer[64 * 1024];
  std::size_t got = 0;
  int code = 0;
  while ((code = fs.Read(handle, buffer, sizeof buffer, got)) == 0 && got > 0)
    text.append(buffer, got);
  fs.Close(handle);
  return code;
}

// The simulated world: the configuration, and every file the directories
// named by its entries hold now, with their sizes and times.
int MirrorFiles(FileSystem& real, MemoryFileSystem& sim, const std::string& configName) {
  TextFile config(sim, configName);
  if (int code = config.OpenRead(); code != 0) return code;
  ConfigReader reader(config);
  ConfigLine line;
  std::set<std::string> listed;
  while (reader.Next(line)) {
    if (line.kind != LineKind::kDirectory && line.kind != LineKind::kFile) continue;
    std::string directory(DirectoryPart(line.entry.mask.view(), real.DirectorySeparators()));
    if (!listed.insert(directory).second) continue;
    std::vector<FoundEntry> entries;
    int code = real.List(directory, entries);
    if (code == kPathNotFound) continue;  // missing here as there
    if (code != 0) {
      sim.FailDirectory(directory, code);
      continue;
    }
    if (!directory.empty()) sim.AddDirectory(directory);
    for (const FoundEntry& entry : entries)
      if ((entry.attributes & kAttrDirectory) == 0)
        sim.AddSizedFile(directory + entry.name, entry.size, entry.time, entry.attributes);
  }
  return config.error();
}

// One simulated run, as the scheduler would start it on that day, with the
// plan's own options: forced, since the simulated days are each a new day.
int SimulateRun(MemoryFileSystem& sim, const LocalTime& day, RunOptions options,
                Recorder& recorder) {
  SucceedingRunner runner;
  FixedClock clock(day);
  TextFile console(sim, std::string());
  console.OpenDiscard();
  TextFile errors(sim, std::string());
  errors.OpenDiscard();
  RunEnvironment env{sim, runner, clock, console, errors};
  env.observer = &recorder;
  options.forced = true;
  options.planDays = 0;
  options.dryRun = false;
  options.errorLevel = false;
  int code = RunOnce(env, options);
  // The simulated log is nobody's: it must not grow over the days.
  sim.Erase("brimvel.log");
  return code;
}

// A plan that cannot be made says so; an empty plan would read as "nothing goes out".
int PlanError(TextFile& out, const std::string& text, int code) {
  out.WriteLine("[err] " + text);
  return code;
}

}  // namespace

int RunPlan(const RunEnvironment& env, const RunOptions& options) {
  TextFile& out = env.console;
  const std::string configName = options.configName.str();
  std::string text;
  if (int code = ReadWhole(env.fs, configName, text); code != 0)
    return PlanError(out, "Can't open configuration file " + configName + ", no plan", code);
  if (!options.areaFilter.empty()) {
    bool found = false;
    FindAreaBlock(env.fs, configName, options.areaFilter.view(), found);
    if (!found)
      return PlanError(out,
                       "Area " + options.areaFilter.str() + " is not in configuration file " +
                           configName + ", nothing is planned",
                       1);
  }
  MemoryFileSystem sim;
  sim.SetLineEnd(env.fs.LineEnd());
  sim.SetNamesIgnoreCase(env.fs.NamesIgnoreCase());
  sim.SetDirectorySeparators(env.fs.DirectorySeparators());
  sim.AddFile(configName, text);
  if (int code = MirrorFiles(env.fs, sim, configName); code != 0)
    return PlanError(out, "Can't read configuration file " + configName + ", no plan", code);
  // A mask over the configuration's own directory mirrors it as one more
  // found file: the plan reads the configuration itself.
  sim.AddFile(configName, text);

  LocalTime day = env.clock.Now();
  if (DayWorked(env.fs, env.clock)) day = NextDay(day);
  out.WriteLine("# Plan of " + std::to_string(options.planDays) + " daily runs from " +
                DateText(day) + " for " + configName + ", changing nothing.");
  out.WriteLine("# Assumed: no new files arrive; every post program starts and ends with 0;");
  out.WriteLine("# files handed over with -DELETE are gone afterwards; one run a day.");
  out.WriteLine("# date\tarea\tfile\tbytes");

  Recorder recorder;
  LocalTime last = day;
  std::set<std::string> goneOut;  // area and path of every planned hand-over
  for (int i = 0; i < options.planDays; ++i, day = NextDay(day)) {
    recorder.handedOver_.clear();
    if (int code = SimulateRun(sim, day, options, recorder); code != 0)
      return PlanError(out, "The run of " + DateText(day) + " would fail, no further plan", code);
    for (const HandOverLine& line : recorder.handedOver_) {
      out.WriteLine(DateText(day) + "\t" + line.area + "\t" + line.path + "\t" +
                    std::to_string(line.size));
      goneOut.insert(line.area + "\t" + line.path);
    }
    last = day;
  }

  // What is left: one more run the day after, every area worked as if due.
  Recorder probe;
  RunOptions after = options;
  after.everyAreaDue = true;
  if (int code = SimulateRun(sim, NextDay(last), after, probe); code != 0)
    return PlanError(out, "The run after the plan would fail", code);
  std::map<std::string, std::vector<std::string>> waiting;  // by area
  auto add = [&](const HandOverLine& line, bool heldBack) {
    // A file that went out and would go again (-STAY) waits for nothing.
    if (goneOut.count(line.area + "\t" + line.path) != 0) return;
    std::string reason = recorder.due_.count(line.area) == 0 ? "area never due"
                         : heldBack && probe.never_.count(line.path) != 0
                             ? "larger than SIZE, never"
                             : "held back by COUNT or SIZE";
    waiting[line.area].push_back("waiting\t" + line.area + "\t" + line.path + "\t" +
                                 std::to_string(line.size) + "\t" + reason);
  };
  for (const HandOverLine& line : probe.handedOver_) add(line, false);
  for (const HandOverLine& line : probe.waiting_) add(line, true);
  for (const std::string& area : recorder.order_)
    for (const std::string& line : waiting[area]) out.WriteLine(line);
  for (const std::string& area : recorder.order_)
    if (recorder.due_.count(area) == 0 &&
        (options.areaFilter.empty() || SameUpper(area, UpperText(options.areaFilter))))
      out.WriteLine("never due\t" + area);
  return 0;
}

}  // namespace brimvel
