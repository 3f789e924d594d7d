#include "config/config_merge.h"

#include "config/area_block.h"
#include "config/config_line.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

// The changes whose area an AREA line names; each of them counts the block.
void ChangesOfBlock(const RunRecord& record, const ConfigLine& line, std::vector<int>& blocksFound,
                    std::vector<std::size_t>& here) {
  here.clear();
  const std::string name = UpperText(line.argument);
  for (std::size_t i = 0; i < record.size(); ++i) {
    if (UpperText(record[i].area) != name) continue;
    blocksFound[i] += 1;
    here.push_back(i);
  }
}

// The change recorded for an entry line of the block, if any; each counts it.
const EntryChange* ChangeOfEntry(const RunRecord& record, const ConfigLine& line,
                                 const std::vector<std::size_t>& here,
                                 std::vector<int>& entriesFound, bool& doubt) {
  const EntryChange* change = nullptr;
  for (std::size_t i : here) {
    if (record[i].entry != line.whole) continue;
    entriesFound[i] += 1;
    // Two changes for one line cannot both be applied.
    doubt = doubt || change != nullptr;
    change = &record[i];
  }
  return change;
}

}  // namespace

int MergeRecord(TextReader& edited, const RunRecord& record, TextWriter& out, bool& applied) {
  applied = false;
  std::vector<int> blocksFound(record.size(), 0);
  std::vector<int> entriesFound(record.size(), 0);
  // The changes whose area is the block being read.
  std::vector<std::size_t> here;
  bool doubt = false;
  bool lineEndChosen = false;
  ConfigReader reader(edited);
  ConfigLine line;
  while (reader.Next(line)) {
    // The merged configuration keeps the line ends the operator saved.
    if (!lineEndChosen && !edited.LineEndRead().empty()) {
      out.SetLineEnd(edited.LineEndRead());
      lineEndChosen = true;
    }
    const EntryChange* change = nullptr;
    switch (line.kind) {
      case LineKind::kArea:
        ChangesOfBlock(record, line, blocksFound, here);
        break;
      case LineKind::kEnd:
        here.clear();
        break;
      case LineKind::kDirectory:
      case LineKind::kFile:
        change = ChangeOfEntry(record, line, here, entriesFound, doubt);
        break;
      default:
        break;
    }
    if (change == nullptr) {
      if (int code = CopyLine(out, line); code != 0) return code;
      continue;
    }
    for (const std::string& text : change->lines)
      if (int code = out.WriteLine(text); code != 0) return code;
  }
  if (int code = edited.error(); code != 0) return code;
  for (std::size_t i = 0; i < record.size(); ++i)
    doubt = doubt || blocksFound[i] != 1 || entriesFound[i] != 1;
  applied = !doubt;
  return out.error();
}

}  // namespace brimvel
