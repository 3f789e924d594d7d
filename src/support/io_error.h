#pragma once

#include <cstdint>

namespace brimvel {

// File-layer codes besides the operating system's own.
inline constexpr std::int32_t kNotBound = 102;
inline constexpr std::int32_t kNotOpen = 103;
inline constexpr std::int32_t kNotOpenForInput = 104;
inline constexpr std::int32_t kNotOpenForOutput = 105;
inline constexpr std::int32_t kOutOfMemory = 203;

// The single pending error slot of the text-file layer. A failing file
// operation stores its code here, replacing any code already there.
std::int32_t PendingIoError();
void SetIoError(std::int32_t code);
// Returns the pending code and clears it.
std::int32_t TakeIoError();
// Ends the run through RuntimeErrorReport when a code is pending.
void StrictCheck();

// OsStatus: the result of the last search or program start.
std::int32_t OsStatus();
void SetOsStatus(std::int32_t code);

}  // namespace brimvel
