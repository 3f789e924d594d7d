#include "support/console_control.h"

namespace brimvel {

namespace {

constexpr int kSigHup = 1;
constexpr int kSigInt = 2;
constexpr int kSigTerm = 15;

}  // namespace

ConsoleDecision DecideConsoleEvent(unsigned event, int noted) {
  ConsoleDecision decision;
  switch (event) {
    case kCtrlCEvent:
    case kCtrlBreakEvent:
      decision = {kSigInt, ConsoleAnswer::kGoOn};
      break;
    case kCtrlCloseEvent:
      decision = {kSigHup, ConsoleAnswer::kHold};
      break;
    default:  // log-off, shutdown, and any event a later Windows may add
      decision = {kSigTerm, ConsoleAnswer::kHold};
      break;
  }
  if (noted != 0) decision.answer = ConsoleAnswer::kPassOn;
  return decision;
}

}  // namespace brimvel
