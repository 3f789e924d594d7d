#pragma once

#include "support/clock.h"
#include "support/file_system.h"
#include "support/text_writer.h"

namespace brimvel {

inline constexpr const char* kWorkFlag = "EVERYDAY.FLG";

// True when the marker in the current directory was written today.
bool DayWorked(FileSystem& fs, const Clock& clock);
// Renews the marker. A marker that cannot be made is reported on the
// console and otherwise ignored; returns the code of one that could be made
// but not closed.
int MarkWorkedToday(FileSystem& fs, TextWriter& console);

}  // namespace brimvel
