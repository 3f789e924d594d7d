#pragma once

namespace brimvel {

inline constexpr const char* kWorkFlag = "EVERYDAY.FLG";

// True unless the marker in the current directory was written today.
bool ShouldWorkToday();
// Renews the marker; a marker that cannot be written is reported on the
// console and otherwise ignored.
void MarkWorkedToday();

}  // namespace brimvel
