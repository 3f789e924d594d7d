// The console control handler's decisions, driven through its interface:
// wine has no console to send the events.
#include "support/console_control.h"

#include <gtest/gtest.h>

namespace brimvel {
namespace {

TEST(ConsoleControlTest, TheFirstRequestIsNotedAndASecondEndsTheRun) {
  struct Case {
    const char* name;
    unsigned event;
    int signal;
    ConsoleAnswer first;
  };
  const Case cases[] = {
      {"Ctrl-C: the run finishes its hand-over", kCtrlCEvent, 2, ConsoleAnswer::kGoOn},
      {"Ctrl-Break, as Ctrl-C", kCtrlBreakEvent, 2, ConsoleAnswer::kGoOn},
      {"a closed console: held while the run records", kCtrlCloseEvent, 1, ConsoleAnswer::kHold},
      {"log-off", kCtrlLogoffEvent, 15, ConsoleAnswer::kHold},
      {"shutdown", kCtrlShutdownEvent, 15, ConsoleAnswer::kHold},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConsoleDecision first = DecideConsoleEvent(c.event, 0);
    EXPECT_EQ(first.signal, c.signal);
    EXPECT_EQ(first.answer, c.first);
    for (int noted : {1, 2, 15})
      EXPECT_EQ(DecideConsoleEvent(c.event, noted).answer, ConsoleAnswer::kPassOn);
  }
}

}  // namespace
}  // namespace brimvel
