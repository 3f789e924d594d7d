#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "hatch/hatch_observer.h"

namespace brimvel {

// What a run came to, as monitoring tells runs apart.
enum class RunEnd {
  kOk,           // worked, nothing failed
  kFailed,       // worked, but a hand-over, a search or a deletion failed, or -AREA named no block
  kRefused,      // already worked today, or another run works the configuration
  kError,        // the configuration could not be opened, or a runtime error ended it
  kInterrupted,  // stopped by a signal
};

// One area's figures in a run.
struct AreaFigures {
  std::int32_t handedOver = 0;  // started and ended with 0
  std::int64_t bytes = 0;
  std::int32_t failed = 0;   // not started, or ended nonzero
  std::int32_t waiting = 0;  // found and left for a later run
};

// What a run came to, counted from the pass's own decisions and passed on
// to the next observer (a plan's), so the summary line, the metrics and the
// plan read the same events.
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
  bool AnyFailed() const;

  // Every area the run worked, by name, those with nothing to do included.
  const std::map<std::string, AreaFigures>& Areas() const { return areas_; }
  std::int32_t Dropped() const { return dropped_; }
  void Ended(RunEnd end) { end_ = end; }
  RunEnd End() const { return end_; }

 private:
  AreaFigures& Of(const AreaRecord& area);

  HatchObserver* next_;
  std::map<std::string, AreaFigures> areas_;
  std::int32_t waitingEntries_ = 0;  // not reached by a stopped run
  std::int32_t dropped_ = 0;
  RunEnd end_ = RunEnd::kError;  // until the run says otherwise
};

// A count with its noun: "1 file", "2 files".
std::string Plural(std::int64_t n, const char* one, const char* many);

}  // namespace brimvel
