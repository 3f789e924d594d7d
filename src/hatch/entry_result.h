#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/error_codes.h"

namespace brimvel {

// What working one DIRECTORY or FILE entry came to; the block decides from
// it whether the entry line stays.
struct EntryResult {
  std::int32_t handedOver = 0;  // programs started for its files (or shown, in a dry run)
  std::int32_t heldBack = 0;    // files found but refused by the limits
  std::int32_t notStarted = 0;  // files whose program could not be started
  std::int32_t failed = 0;      // files whose program ended with a nonzero code
  // Files that cannot be handed over as they stand (their name, their path's
  // length, the run's own configuration): each keeps its entry and its [err].
  std::int32_t refused = 0;
  std::int32_t alreadyGone = 0;  // files an earlier entry of the block handed over in this run
  std::int64_t bytes = 0;        // the size of the files handed over
  int searchCode = 0;            // how the search for its files ended
  int outputError = 0;           // the new configuration could not be written
  bool interrupted = false;      // the run was asked to stop before the entry was done
  // DIRECTORY: the names handed over, as the search delivered them; the
  // block records each with a skip line.
  std::vector<std::string> recorded;
  // FILE: the paths of the files found and still waiting (held back, not
  // started, refused, replaced during the hand-over, or not reached).
  std::vector<std::string> waiting;

  // Whether the search failed for another reason than finding nothing.
  bool SearchFailed() const {
    return searchCode != 0 && searchCode != kFileNotFound && searchCode != kNoMoreFiles;
  }
  // Whether the entry still has work for a later run: files held back by
  // the limits, files whose program did not start, files refused, a search
  // that failed, or a run stopped half-way.
  bool WorkLeft() const {
    return heldBack > 0 || notStarted > 0 || refused > 0 || SearchFailed() || interrupted;
  }
};

}  // namespace brimvel
