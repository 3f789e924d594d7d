#pragma once

#include <cstdint>
#include <string_view>

#include "hatch/area_record.h"

namespace brimvel {

// Why a found file is left for a later run.
enum class WaitReason {
  kHeldBack,     // the block's COUNT or SIZE is used up for today
  kNever,        // larger than the block's SIZE on its own: no run takes it
  kInterrupted,  // the run was asked to stop before its turn
};

// Hears what a pass decides, file by file: the run's summary and the plan
// of the coming days are both built from it, so they cannot disagree.
class HatchObserver {
 public:
  virtual ~HatchObserver() = default;
  // A block was met, or a WHEN line switched it; `area.enabled` tells
  // whether it is due.
  virtual void AreaMet(const AreaRecord& area) { (void)area; }
  // The post program started and ended with 0 (or, in a dry run, would be started).
  virtual void HandedOver(const AreaRecord& area, std::string_view path, std::int64_t size) {
    (void)area, (void)path, (void)size;
  }
  // The post program could not be started (`started` false) or ended nonzero.
  virtual void HandOverFailed(const AreaRecord& area, std::string_view path, std::int64_t size,
                              bool started) {
    (void)area, (void)path, (void)size, (void)started;
  }
  // A found file left for a later run.
  virtual void Waiting(const AreaRecord& area, std::string_view path, std::int64_t size,
                       WaitReason reason) {
    (void)area, (void)path, (void)size, (void)reason;
  }
  // An entry of a due block that a stopped run did not reach.
  virtual void EntryNotReached(const AreaRecord& area) { (void)area; }
  // An entry line left out of the new configuration.
  virtual void EntryDropped(const AreaRecord& area) { (void)area; }
};

}  // namespace brimvel
