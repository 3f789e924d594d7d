#include "run/daily_guard.h"

#include "support/clock.h"
#include "support/io_error.h"
#include "support/search.h"
#include "support/text_file.h"

namespace brimvel {

bool ShouldWorkToday() {
  DateParts today = ReadDate();
  SearchRecord record;
  SearchFirst(kWorkFlag, kSearchEverything, record);
  if (OsStatus() != 0) return true;
  DateTimeParts marked = UnpackDateTime(record.time);
  return !(marked.year == today.year && marked.month == today.month && marked.day == today.day);
}

void MarkWorkedToday() {
  TextFile flag;
  BindFile(flag, kWorkFlag);
  OpenNew(flag);
  if (TakeIoError() != 0) {
    WriteLine(ConsoleOutput(), "Error rewriting work flag!..");
    return;
  }
  CloseText(flag);
  StrictCheck();
}

}  // namespace brimvel
