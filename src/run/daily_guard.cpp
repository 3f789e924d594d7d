#include "run/daily_guard.h"

namespace brimvel {

bool DayWorked(FileSystem& fs, const Clock& clock) {
  FoundEntry marker;
  if (fs.Describe(kWorkFlag, marker) != 0) return false;
  DateParts today = ReadDate(clock);
  DateTimeParts marked = UnpackDateTime(marker.time);
  return marked.year == today.year && marked.month == today.month && marked.day == today.day;
}

int MarkWorkedToday(FileSystem& fs, TextFile& console) {
  TextFile flag(fs, kWorkFlag);
  if (flag.OpenNew() != 0) {
    console.WriteLine("Error rewriting work flag!..");
    return 0;
  }
  return flag.Close();
}

}  // namespace brimvel
