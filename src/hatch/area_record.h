#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace brimvel {

// One area block's settings, as they stand when an entry line is reached.
struct AreaRecord {
  std::string name;
  std::int32_t sizeLimit = 0;   // bytes per run, 0 = no limit
  std::int32_t countLimit = 0;  // files per run, 0 = no limit
  std::int32_t number = 0;      // 1-based ordinal among the blocks of the pass
  bool enabled = false;
};

// What the block has hatched so far in this run; shared by all its entries.
// Bytes are 64-bit so files of 2 GiB and more count with their real size.
struct BlockTotals {
  std::int32_t hatchedCount = 0;
  std::int64_t hatchedBytes = 0;
  // The files handed over so far, by identity (device and file index) where
  // the platform tells it, else by path: two entries whose masks meet hand
  // a file over once.
  std::set<std::pair<std::uint64_t, std::uint64_t>> filesHandedOver;
  std::set<std::string> pathsHandedOver;
};

}  // namespace brimvel
