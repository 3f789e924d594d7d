#include "support/io_error.h"

#include "support/run_end.h"

namespace brimvel {

namespace {
std::int32_t pendingIoError = 0;
std::int32_t osStatus = 0;
}  // namespace

std::int32_t PendingIoError() { return pendingIoError; }
void SetIoError(std::int32_t code) { pendingIoError = code; }

std::int32_t TakeIoError() {
  std::int32_t code = pendingIoError;
  pendingIoError = 0;
  return code;
}

void StrictCheck() {
  if (pendingIoError != 0) RuntimeErrorReport(pendingIoError);
}

std::int32_t OsStatus() { return osStatus; }
void SetOsStatus(std::int32_t code) { osStatus = code; }

}  // namespace brimvel
