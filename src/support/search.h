#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "support/platform.h"
#include "support/short_string.h"

namespace brimvel {

inline constexpr std::uint8_t kAttrReadOnly = 0x01;
inline constexpr std::uint8_t kAttrHidden = 0x02;
inline constexpr std::uint8_t kAttrSystem = 0x04;
inline constexpr std::uint8_t kAttrVolume = 0x08;
inline constexpr std::uint8_t kAttrDirectory = 0x10;
inline constexpr std::uint8_t kAttrArchive = 0x20;

inline constexpr std::uint8_t kSearchFiles = 0x2F;  // everything but directories
inline constexpr std::uint8_t kSearchEverything = 0x3F;

// The search record: the current entry plus what SearchNext needs.
struct SearchRecord {
  std::uint8_t attributes = 0;
  std::uint32_t time = 0;  // packed local date-time
  std::uint64_t size = 0;  // the whole size; callers that need 32 bits cut it
  ShortString name;
  // A name longer than 255 bytes is kept whole here, so a hatched file is
  // never confused with another whose name shares the first 255 bytes.
  std::string fullName;

  std::vector<platform::FoundEntry> entries;
  std::size_t next = 0;
  std::uint8_t mask = 0;
};

// Both set OsStatus: 0 when an entry was delivered; otherwise 2 (nothing
// matches), 3 (no such directory), 5 (denied) or 18 (matches all excluded by
// the mask, or the end of the search).
void SearchFirst(std::string_view pattern, std::uint8_t mask, SearchRecord& record);
void SearchNext(SearchRecord& record);

// Whether a name matches a pattern's last component: * any run, ? one
// character, compared without regard to case; "*.*" matches every name.
bool MaskMatches(std::string_view pattern, std::string_view name);

}  // namespace brimvel
