#include "run/daily_guard.h"

namespace brimvel {

bool DayWorked(FileSystem& fs, const Clock& clock) {
  FoundEntry marker;
  if (fs.Describe(kWorkFlag, marker) != 0) return false;
  const auto marked = std::chrono::floor<std::chrono::days>(marker.time).time_since_epoch();
  return marked == DayOf(clock.Now()).time_since_epoch();
}

int MarkWorkedToday(FileSystem& fs, TextWriter& console) {
  TextWriter flag(fs, kWorkFlag);
  if (flag.OpenNew() != 0) {
    console.WriteLine("Error rewriting work flag!..");
    return 0;
  }
  return flag.Close();
}

}  // namespace brimvel
