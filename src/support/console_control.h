#pragma once

// What the Windows console control handler does with each event: which
// stop request the run notes, and what the handler answers the system.
// Kept apart from the handler so it can be tested where no console is.

namespace brimvel {

// The events, by the numbers the system hands the handler.
inline constexpr unsigned kCtrlCEvent = 0;
inline constexpr unsigned kCtrlBreakEvent = 1;
inline constexpr unsigned kCtrlCloseEvent = 2;
inline constexpr unsigned kCtrlLogoffEvent = 5;
inline constexpr unsigned kCtrlShutdownEvent = 6;

enum class ConsoleAnswer {
  kGoOn,    // noted; the run stops after the current hand-over
  kHold,    // noted; the system ends the process once the handler returns,
            // so the handler waits while the run records its work
  kPassOn,  // not this run's: the next handler, the system's, ends the process
};

struct ConsoleDecision {
  int signal = 0;  // the POSIX number of the matching request, noted for the run
  ConsoleAnswer answer = ConsoleAnswer::kPassOn;
};

// `noted` is the signal an earlier event left, 0 when none: a second
// request ends the run at once, as a second Ctrl-C does on POSIX.
ConsoleDecision DecideConsoleEvent(unsigned event, int noted);

}  // namespace brimvel
