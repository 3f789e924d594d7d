#include "run/plan.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "config/area_names.h"
#include "config/config_line.h"
#include "config/schedule.h"
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
    std::string name = area.name;
    if (seen_.insert(name).second) order_.push_back(name);
    if (area.enabled) due_.insert(name);
  }
  void HandedOver(const AreaRecord& area, std::string_view path, std::int64_t size) override {
    handedOver_.push_back(HandOverLine{area.name, std::string(path), size});
  }
  void Waiting(const AreaRecord& area, std::string_view path, std::int64_t size,
               WaitReason reason) override {
    // Only the look past the last day reports what waits.
    if (!keepWaiting_ || reason == WaitReason::kInterrupted) return;
    waiting_.push_back(HandOverLine{area.name, std::string(path), size});
    if (reason == WaitReason::kNever) never_.insert(std::string(path));
  }

  bool keepWaiting_ = false;
  std::vector<HandOverLine> handedOver_;
  std::vector<HandOverLine> waiting_;
  std::set<std::string> never_;
  std::set<std::string> due_;
  std::set<std::string> seen_;
  std::vector<std::string> order_;
};

// The next day of the calendar.
LocalTime NextDay(LocalTime day) {
  const DateParts next = DateOf(DayOf(day) + std::chrono::days{1});
  day.year = next.year;
  day.month = next.month;
  day.day = next.day;
  return day;
}

std::string DateText(const LocalTime& day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
  return text;
}

// The one name of a directory, ending in a separator: how the runs reach
// its files, whatever the spelling.
std::string ResolvedDirectory(FileSystem& real, const std::string& directory) {
  std::string resolved;
  if (real.ResolvedName(directory.empty() ? "." : directory, resolved) != 0) return directory;
  if (resolved.empty() ||
      real.DirectorySeparators().find(resolved.back()) == std::string_view::npos)
    resolved += real.DirectorySeparators().front();
  return resolved;
}

// One directory's files in the simulated world, under its resolved name.
void MirrorDirectory(FileSystem& real, MemoryFileSystem& sim, const std::string& directory,
                     const std::string& resolved, const std::vector<FoundEntry>& entries) {
  sim.AddDirectory(resolved);
  for (const FoundEntry& entry : entries) {
    if ((entry.attributes & kAttrDirectory) != 0) continue;
    std::string target;
    FoundEntry named;
    // A symbolic link is one more name of its target: what a -DELETE
    // does to the one, the other shows.
    if (real.LinkTarget(directory + entry.name, target) == 0 && real.Describe(target, named) == 0) {
      if (!sim.Exists(target)) sim.AddSizedFile(target, named.size, named.time, named.attributes);
      sim.AddLink(resolved + entry.name, target);
    } else {
      sim.AddSizedFile(resolved + entry.name, entry.size, entry.time, entry.attributes);
    }
  }
}

// Reads the configuration's text line by line, as a run reads it: 0, or the
// code of a failure to read it.
template <typename Each>
int ForEachLine(const std::string& configName, const std::string& text, Each each) {
  MemoryFileSystem scratch;
  scratch.AddFile(configName, text);
  TextReader config(scratch, configName);
  if (int code = config.OpenRead(); code != 0) return code;
  ConfigReader reader(config);
  ConfigLine line;
  while (reader.Next(line)) each(line);
  return config.error();
}

// The simulated world: every file the directories named by the
// configuration's entries hold now, with their sizes and times, each under
// its one name; every spelling of a directory and every symbolic link leads
// there, as on the disk.
int MirrorFiles(FileSystem& real, MemoryFileSystem& sim, const std::string& configName,
                const std::string& text) {
  std::set<std::string> spellings;
  std::set<std::string> mirrored;
  return ForEachLine(configName, text, [&](const ConfigLine& line) {
    if (line.kind != LineKind::kDirectory && line.kind != LineKind::kFile) return;
    std::string directory(DirectoryPart(line.entry.mask, real.DirectorySeparators()));
    if (!spellings.insert(directory).second) return;
    std::vector<FoundEntry> entries;
    int code = real.List(directory, entries);
    if (code == kPathNotFound) return;  // missing here as there
    if (code != 0) {
      sim.FailDirectory(directory, code);
      return;
    }
    std::string resolved = ResolvedDirectory(real, directory);
    sim.AddAlias(directory, resolved);
    if (mirrored.insert(resolved).second) MirrorDirectory(real, sim, directory, resolved, entries);
  });
}

// One simulated run, as the scheduler would start it on that day, with the
// plan's own options: forced, since the simulated days are each a new day.
int SimulateRun(MemoryFileSystem& sim, const LocalTime& day, RunOptions options,
                Recorder& recorder) {
  SucceedingRunner runner;
  FixedClock clock(day);
  TextWriter console(sim, std::string());
  console.OpenDiscard();
  TextWriter errors(sim, std::string());
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

// The plan's lines, written to the console in large pieces: a plan of
// thousands of lines costs a few writes, not one a line.
class PlanOutput {
 public:
  explicit PlanOutput(TextWriter& out) : out_(out) {}
  ~PlanOutput() { Flush(); }
  PlanOutput(const PlanOutput&) = delete;
  PlanOutput& operator=(const PlanOutput&) = delete;
  void WriteLine(std::string_view line) {
    text_.append(line);
    text_.append(out_.lineEnd());
    if (text_.size() >= 64 * 1024) Flush();
  }
  void Flush() {
    if (!text_.empty()) out_.Write(text_);
    text_.clear();
  }

 private:
  TextWriter& out_;
  std::string text_;
};

// The schedules of the configuration's AREA and WHEN lines, in order.
std::vector<Schedule> SchedulesOf(const std::string& configName, const std::string& text) {
  std::vector<Schedule> schedules;
  ForEachLine(configName, text, [&schedules](const ConfigLine& line) {
    if (line.kind == LineKind::kArea || line.kind == LineKind::kWhen)
      schedules.push_back(line.schedule);
  });
  return schedules;
}

// Which of those schedules are due on a day: all a run's course depends on
// the date for.
std::vector<bool> DueOn(const std::vector<Schedule>& schedules, const LocalTime& day) {
  const DateParts date = DateOf(DayOf(day));
  std::vector<bool> due;
  due.reserve(schedules.size());
  for (const Schedule& schedule : schedules) due.push_back(ScheduleDue(schedule, date));
  return due;
}

// A plan that cannot be made says so; an empty plan would read as "nothing goes out".
int PlanError(TextWriter& out, const std::string& text, int code) {
  out.WriteLine("[err] " + text);
  return code;
}

// The planned days, each a simulated run, from `day` on; `day` is the one
// whose run failed when the result is not 0.
int PlanDays(MemoryFileSystem& sim, const RunOptions& options, LocalTime& day, LocalTime& last,
             PlanOutput& plan, Recorder& recorder, std::set<std::string>& goneOut) {
  const std::string configName = options.configName;
  // A run that hands nothing over and leaves the configuration as it was
  // is repeated by every later day whose schedules fall alike, while the
  // configuration stays so: those days are known without running them,
  // which keeps a long plan's cost that of the days that change something.
  std::string state;  // the configuration the schedules and quiet days belong to
  std::vector<Schedule> schedules;
  std::set<std::vector<bool>> quietDays;
  for (int i = 0; i < options.planDays; ++i, day = NextDay(day)) {
    last = day;
    if (const MemoryFileSystem::File* now = sim.Find(configName); now && now->data != state) {
      state = now->data;
      schedules = SchedulesOf(configName, state);
      quietDays.clear();
    }
    std::vector<bool> due = DueOn(schedules, day);
    if (quietDays.count(due) != 0) continue;
    recorder.handedOver_.clear();
    if (int code = SimulateRun(sim, day, options, recorder); code != 0) return code;
    for (const HandOverLine& line : recorder.handedOver_) {
      plan.WriteLine(DateText(day) + "\t" + line.area + "\t" + line.path + "\t" +
                     std::to_string(line.size));
      goneOut.insert(line.area + "\t" + line.path);
    }
    const MemoryFileSystem::File* after = sim.Find(configName);
    if (recorder.handedOver_.empty() && after != nullptr && after->data == state)
      quietDays.insert(due);
  }
  return 0;
}

// What the run after the plan (`probe`) finds still waiting, by area, with
// why; then the areas never due.
void WriteWhatIsLeft(PlanOutput& plan, const RunOptions& options, const Recorder& recorder,
                     const Recorder& probe, const std::set<std::string>& goneOut) {
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
    for (const std::string& line : waiting[area]) plan.WriteLine(line);
  for (const std::string& area : recorder.order_)
    if (recorder.due_.count(area) == 0 &&
        (options.areaFilter.empty() || SameUpper(area, UpperText(options.areaFilter))))
      plan.WriteLine("never due\t" + area);
}

}  // namespace

int RunPlan(const RunEnvironment& env, const RunOptions& options) {
  TextWriter& out = env.console;
  const std::string configName = options.configName;
  std::string text;
  if (int code = ReadWholeFile(env.fs, configName, text); code != 0)
    return PlanError(out, "Can't open configuration file " + configName + ", no plan", code);
  if (!options.areaFilter.empty()) {
    bool found = false;
    FindAreaBlock(env.fs, configName, options.areaFilter, found);
    if (!found)
      return PlanError(out,
                       AreaMissingText(options.areaFilter, configName) + ", nothing is planned", 1);
  }
  MemoryFileSystem sim;
  sim.SetLineEnd(env.fs.LineEnd());
  sim.SetNamesIgnoreCase(env.fs.NamesIgnoreCase());
  sim.SetDirectorySeparators(env.fs.DirectorySeparators());
  if (int code = MirrorFiles(env.fs, sim, configName, text); code != 0)
    return PlanError(out, "Can't read configuration file " + configName + ", no plan", code);
  // Added last: a mask over the configuration's own directory mirrors it
  // as one more found file, and the plan reads the configuration itself.
  sim.AddFile(configName, text);

  PlanOutput plan(out);
  LocalTime day = env.clock.Now();
  if (DayWorked(env.fs, env.clock)) day = NextDay(day);
  plan.WriteLine("# Plan of " + std::to_string(options.planDays) + " daily runs from " +
                 DateText(day) + " for " + configName + ", changing nothing.");
  plan.WriteLine("# Assumed: no new files arrive; every post program starts and ends with 0;");
  plan.WriteLine("# files handed over with -DELETE are gone afterwards; one run a day.");
  plan.WriteLine("# date\tarea\tfile\tbytes");

  Recorder recorder;
  LocalTime last = day;
  std::set<std::string> goneOut;  // area and path of every planned hand-over
  if (int code = PlanDays(sim, options, day, last, plan, recorder, goneOut); code != 0) {
    plan.Flush();
    return PlanError(out, "The run of " + DateText(day) + " would fail, no further plan", code);
  }

  // What is left: one more run the day after, every area worked as if due.
  Recorder probe;
  probe.keepWaiting_ = true;
  RunOptions after = options;
  after.everyAreaDue = true;
  if (int code = SimulateRun(sim, NextDay(last), after, probe); code != 0) {
    plan.Flush();
    return PlanError(out, "The run after the plan would fail", code);
  }
  WriteWhatIsLeft(plan, options, recorder, probe, goneOut);
  return 0;
}

}  // namespace brimvel
