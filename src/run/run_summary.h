#pragma once

#include <cstdint>
#include <string>

#include "hatch/hatch_observer.h"

namespace brimvel {

// What a run came to, counted from the pass's own decisions and passed on
// to the next observer (a plan's), so the summary line and the plan read
// the same events.
class RunSummary final : public HatchObserver {
 public:
  explicit RunSummary(HatchObserver* next) : next_(next) {}

  void AreaMet(const AreaRecord& area) override;
  void HandedOver(const AreaRecord& area, std::string_view path, std::int64_t size) override;
  void HandOverFailed(const AreaRecord& area, std::string_view path, std::int64_t size,
                      bool started) override;
  void Waiting(const AreaRecord& area, std::string_view path, std::int64_t size,
               WaitReason reason) override;
  void EntryNotReached(const AreaRecord& area) override;
  void EntryDropped(const AreaRecord& area) override;

  // "Summary: 2 files handed over (30 bytes), 1 hand-over failed, ..."
  std::string Line() const;
  bool AnyFailed() const { return failed_ > 0; }

 private:
  HatchObserver* next_;
  std::int32_t handedOver_ = 0;  // started and ended with 0
  std::int64_t bytes_ = 0;
  std::int32_t failed_ = 0;          // not started, or ended nonzero
  std::int32_t waitingFiles_ = 0;    // found and left for a later run
  std::int32_t waitingEntries_ = 0;  // not reached by a stopped run
  std::int32_t dropped_ = 0;
};

}  // namespace brimvel
