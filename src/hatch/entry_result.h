#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brimvel {

// What working one DIRECTORY or FILE entry came to; the block decides from
// it whether the entry line stays.
struct EntryResult {
  std::int32_t handedOver = 0;  // programs started for its files (or shown, in a dry run)
  std::int32_t heldBack = 0;    // files found but refused by the limits
  std::int32_t notStarted = 0;  // files whose program could not be started
  std::int32_t failed = 0;      // files whose program ended with a nonzero code
  std::int64_t bytes = 0;       // the size of the files handed over
  int searchCode = 0;           // how the search for its files ended
  int outputError = 0;          // the new configuration could not be written
  bool interrupted = false;     // the run was asked to stop before the entry was done
  // DIRECTORY: the names handed over, as the search delivered them; the
  // block records each with a skip line.
  std::vector<std::string> recorded;

  // Whether the search failed for another reason than finding nothing.
  bool SearchFailed() const { return searchCode != 0 && searchCode != 2 && searchCode != 18; }
  // Whether the entry still has work for a later run: files held back by
  // the limits, files whose program did not start, a search that failed,
  // or a run stopped half-way.
  bool WorkLeft() const { return heldBack > 0 || notStarted > 0 || SearchFailed() || interrupted; }
};

}  // namespace brimvel
