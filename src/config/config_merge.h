#pragma once

#include <string>
#include <vector>

#include "support/text_reader.h"
#include "support/text_writer.h"

namespace brimvel {

// What a run did to one entry line of the configuration: the lines that
// took its place (its skip lines, the line itself when it stays, the lines
// of files still waiting), in the order they were written.
struct EntryChange {
  std::string area;   // the block's area name
  std::string entry;  // the entry line as the run read it, whole
  std::vector<std::string> lines;
};

// Every entry line the run changed, for applying them to a configuration
// the operator saved while the run worked.
using RunRecord = std::vector<EntryChange>;

// Copies `edited` to `out` with the record applied. `applied` is true only
// when every change found its place without doubt: exactly one block of its
// area, and exactly one line of its entry there; otherwise `out` holds no
// meaning. Returns 0, or the code of a failure to read or write.
int MergeRecord(TextReader& edited, const RunRecord& record, TextWriter& out, bool& applied);

}  // namespace brimvel
