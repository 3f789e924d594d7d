#pragma once

#include <cstdint>
#include <string_view>

#include "hatch/area_record.h"

namespace brimvel {

// Hears what a pass decides, file by file, for a caller that wants more
// than the log: a plan of the coming days is built from it.
class HatchObserver {
 public:
  virtual ~HatchObserver() = default;
  // A block was met; `area.enabled` tells whether it is due.
  virtual void AreaMet(const AreaRecord& area) { (void)area; }
  virtual void HandedOver(const AreaRecord& area, std::string_view path, std::int64_t size) {
    (void)area, (void)path, (void)size;
  }
  // A file the limits kept back; `never` when it is larger than the block's
  // SIZE on its own, so no later run can take it either.
  virtual void HeldBack(const AreaRecord& area, std::string_view path, std::int64_t size,
                        bool never) {
    (void)area, (void)path, (void)size, (void)never;
  }
};

}  // namespace brimvel
