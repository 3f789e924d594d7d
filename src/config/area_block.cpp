#include "config/area_block.h"

#include <algorithm>
#include <string>
#include <vector>

#include "config/schedule.h"
#include "hatch/directory_entry.h"
#include "hatch/entry_options.h"
#include "hatch/file_entry.h"
#include "hatch/skip_list.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

// The lines of a worked block, kept until its entries are worked: one
// buffer for all their text, so holding a block costs no allocation a line.
struct HeldLines {
  struct Line {
    std::size_t offset = 0;
    std::size_t wholeSize = 0;
    std::size_t textSize = 0;  // the parsed 255 characters, when they differ from the line
    std::int32_t number = 0;
    bool byteOrderMark = false;
    bool textDiffers = false;
  };
  std::string text;
  std::vector<Line> lines;

  void Add(const ConfigLine& line) {
    Line held;
    held.offset = text.size();
    held.wholeSize = line.whole.size();
    held.number = line.number;
    held.byteOrderMark = line.byteOrderMark;
    text.append(line.whole);
    if (line.text != line.whole) {
      held.textDiffers = true;
      held.textSize = line.text.size();
      text.append(line.text);
    }
    lines.push_back(held);
  }
  std::string_view Whole(const Line& held) const {
    return std::string_view(text).substr(held.offset, held.wholeSize);
  }
  std::string_view Text(const Line& held) const {
    if (!held.textDiffers) return Whole(held);
    return std::string_view(text).substr(held.offset + held.wholeSize, held.textSize);
  }
};

int FirstError(PassContext& pass, ConfigReader& reader) {
  if (int code = reader.file().error(); code != 0) return code;
  if (int code = pass.out.error(); code != 0) return code;
  return pass.log.error();
}

void Add(PassTotals& totals, const EntryResult& result) {
  totals.handedOver += result.handedOver;
  totals.bytes += result.bytes;
  totals.heldBack += result.heldBack;
  totals.notStarted += result.notStarted;
  totals.failed += result.failed;
  totals.refused += result.refused;
  if (result.SearchFailed()) totals.searchFailures += 1;
}

// A skip line names its file after the keyword and exactly one blank, which
// is how a name that itself begins with a blank is recorded; the list also
// knows the looser form a hand-written line may mean.
void AddSkip(SkipList& skips, const ConfigLine& line) { skips.Add(line.skippedExact); }

// The line that keeps one file of a FILE entry waiting: the entry's line
// with its mask replaced by the file's path. A byte that cannot stand for
// itself in a mask (a blank, a control byte, a quote, a star), or a "-" that
// would make part of the path read as an option, becomes "?", which
// matches it.
std::string WaitingFileLine(std::string_view whole, std::string_view path) {
  std::size_t at = whole.find_first_not_of(' ');
  at = whole.find(' ', at);
  at = whole.find_first_not_of(' ', at);
  if (at == std::string_view::npos) at = whole.size();  // a line of one word
  std::size_t maskEnd = std::min(whole.find(' ', at), whole.size());
  std::string mask(path);
  const std::string upper = UpperText(path);
  std::replace_if(
      mask.begin(), mask.end(),
      [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == '"' || c == '*'; }, '?');
  for (std::string_view flag : {"-STAY", "-DELETE", "-ANYSIZE", "-ANYCOUNT", "-HIDDEN"})
    for (std::size_t i = upper.find(flag); i != std::string::npos; i = upper.find(flag, i + 1))
      mask[i] = '?';
  return std::string(whole.substr(0, at)) + mask + std::string(whole.substr(maskEnd));
}

// A SIZE or COUNT line sets its limit for the entries below it.
void ApplyLimit(AreaRecord& area, const ConfigLine& line) {
  if (line.kind == LineKind::kSize) area.sizeLimit = line.limit;
  if (line.kind == LineKind::kCount) area.countLimit = line.limit;
}

// A WHEN line switches the entries below it on or off by its schedule,
// read against the date at this moment.
void ApplyWhen(PassContext& pass, AreaRecord& area, const ConfigLine& line) {
  area.enabled = ScheduleDue(line.schedule, ReadDate(pass.clock));
  if (pass.observer != nullptr) pass.observer->AreaMet(area);
}

// Streams a block that is not due: every line is copied, nothing is held.
// Returns true when a WHEN line made the block due, after copying that line;
// the rest of the block is then worked.
bool StreamUntilDue(PassContext& pass, ConfigReader& reader, AreaRecord& area, bool& mustReadBack,
                    bool& ended) {
  ConfigLine line;
  for (;;) {
    // Only END and WHEN can change the course of a block that is not due;
    // every other line goes over as it stands. Limits and skip lines among
    // them are read again should a WHEN make the block due.
    std::string_view inert =
        reader.TakeInertLines(pass.out.lineEnd(), [&mustReadBack](std::string_view text) {
          if (CanMatter(text, LinePlace::kIdleBlock)) return false;
          if (CanMatter(text, LinePlace::kBlock)) mustReadBack = true;
          return true;
        });
    if (!inert.empty() && (pass.out.Write(inert) != 0 || FirstError(pass, reader) != 0))
      return false;
    if (!reader.Next(line)) break;
    if (CopyLine(pass.out, line) != 0 || FirstError(pass, reader) != 0) return false;
    switch (line.kind) {
      case LineKind::kEnd:
        ended = true;
        return false;
      case LineKind::kSize:
      case LineKind::kCount:
        ApplyLimit(area, line);
        break;
      case LineKind::kSkip:
        mustReadBack = true;
        break;
      case LineKind::kWhen:
        ApplyWhen(pass, area, line);
        if (area.enabled) return true;
        break;
      default:
        break;
    }
  }
  ended = true;  // the end of the file ends the block
  return false;
}

// The limits and skip lines that stood between `from` and where the reader
// is now, read again by the same reader.
int ReadBack(ConfigReader& reader, std::int64_t from, std::int32_t fromLine, AreaRecord& area,
             SkipList& skips) {
  std::int64_t here = reader.Tell();
  std::int32_t hereLine = reader.lineNumber();
  if (int code = reader.Rewind(from, fromLine, true); code != 0) return code;
  ConfigLine line;
  while (reader.Tell() < here && reader.Next(line)) {
    if (line.kind == LineKind::kSkip) AddSkip(skips, line);
    ApplyLimit(area, line);
  }
  if (int code = reader.file().error(); code != 0) return code;
  return reader.Rewind(here, hereLine, true);
}

// The block's record from its AREA line, met and logged.
AreaRecord MeetArea(PassContext& pass, const ConfigLine& areaLine) {
  AreaRecord area;
  area.name = areaLine.argument;
  area.enabled = (pass.everyAreaDue && pass.areaFilter.empty()) ||
                 AreaWorked(areaLine, pass.areaFilter, ReadDate(pass.clock));
  if (UpperText(area.name) == UpperText(pass.areaFilter)) pass.totals.areaFound = true;
  area.number = ++pass.totals.areas;
  if (pass.observer != nullptr) pass.observer->AreaMet(area);
  pass.log.Status(
      Concat(" **>** Scaning area ", area.name, "...[", std::to_string(area.number), "]"));
  return area;
}

// A block that is not due is copied as it stands until a WHEN line makes it
// due (`due`), and then its limits and skip lines so far are read again.
int StreamIdleLines(PassContext& pass, ConfigReader& reader, AreaRecord& area, SkipList& skips,
                    bool& due) {
  std::int64_t blockStart = reader.Tell();
  std::int32_t blockLine = reader.lineNumber();
  bool mustReadBack = false;
  bool ended = false;
  due = StreamUntilDue(pass, reader, area, mustReadBack, ended);
  if (!due) return FirstError(pass, reader);
  return mustReadBack ? ReadBack(reader, blockStart, blockLine, area, skips) : 0;
}

// What the entries of one worked block share.
struct BlockWork {
  PassContext& pass;
  SkipList& skips;
  AreaRecord& area;
  HatchContext hatch;
  BlockTotals totals;
  std::vector<std::string> written;  // the lines an entry leaves in its place
};

// Works one DIRECTORY or FILE entry of a worked block: `keep` says whether
// its line stays; the lines it leaves in its place go to `written`.
int WorkEntry(BlockWork& work, const ConfigLine& line, bool& keep) {
  PassContext& pass = work.pass;
  // A run asked to stop works no further entry; its line stays as it is.
  if (work.hatch.Interrupted()) {
    if (pass.observer != nullptr) pass.observer->EntryNotReached(work.area);
    return 0;
  }
  const bool directory = line.kind == LineKind::kDirectory;
  EntryResult result =
      directory ? ScanDirectory(work.hatch, line.entry, work.skips, work.totals, work.area)
                : HatchFileEntry(work.hatch, line.entry, work.totals, work.area);
  Add(pass.totals, result);
  if (result.outputError != 0) return result.outputError;
  keep = EntryStays(line.kind, result, line.entry.options);
  // The files handed over are listed above the entry, in the order they
  // went; a FILE entry that gives way leaves one line per file still waiting.
  for (const std::string& name : result.recorded) work.written.push_back("Skip " + name);
  if (!directory && !keep)
    for (const std::string& path : result.waiting)
      work.written.push_back(WaitingFileLine(line.whole, path));
  return 0;
}

// Applies a held line of a block: limits, WHEN, and the entries while worked.
int WorkLine(BlockWork& work, const ConfigLine& line, bool& keep) {
  switch (line.kind) {
    case LineKind::kSize:
    case LineKind::kCount:
      ApplyLimit(work.area, line);
      return 0;
    case LineKind::kWhen:
      ApplyWhen(work.pass, work.area, line);
      return 0;
    case LineKind::kDirectory:
    case LineKind::kFile:
      return work.area.enabled ? WorkEntry(work, line, keep) : 0;
    default:
      return 0;
  }
}

// Writes what an entry left in its place, then its line unless dropped.
int WriteLines(BlockWork& work, const ConfigLine& line, bool keep) {
  PassContext& pass = work.pass;
  std::vector<std::string>& written = work.written;
  for (const std::string& text : written)
    if (int code = pass.out.WriteLine(text); code != 0) return code;
  if (!written.empty() || !keep) {
    // What took the entry's place, should the operator have saved the
    // configuration meanwhile.
    if (keep) written.emplace_back(line.whole);
    pass.record.push_back(EntryChange{work.area.name, std::string(line.whole), std::move(written)});
    written.clear();
  }
  if (keep) {
    pass.out.WriteLine(line.whole);
  } else {
    pass.totals.dropped += 1;
    if (pass.observer != nullptr) pass.observer->EntryDropped(work.area);
  }
  return 0;
}

}  // namespace

bool AreaWorked(const ConfigLine& areaLine, std::string_view areaFilter, const DateParts& today) {
  // A nameless area matches the empty filter: every run without -AREA works it.
  if (UpperText(areaLine.argument) == UpperText(areaFilter)) return true;
  return areaFilter.empty() && ScheduleDue(areaLine.schedule, today);
}

bool EntryStays(LineKind kind, const EntryResult& result, const EntryOptions& options) {
  if (options.stay) return true;
  // A DIRECTORY entry is dropped once it finds nothing new, never while it
  // has work left. A FILE entry gives way once a file of it went out (in
  // this entry or an earlier one of the run): it keeps no record of its
  // files, so keeping its mask would hand them over again; the files still
  // waiting get a line each.
  if (kind == LineKind::kDirectory) return result.handedOver > 0 || result.WorkLeft();
  return result.handedOver + result.alreadyGone == 0;
}

int CopyLine(TextWriter& out, const ConfigLine& line) {
  std::string_view end = out.lineEnd();
  if (line.raw.size() == line.whole.size() + end.size() && line.raw.ends_with(end))
    return out.Write(line.raw);
  return out.WriteLine(line.whole);
}

int ProcessAreaBlock(PassContext& pass, ConfigReader& reader, const ConfigLine& areaLine) {
  AreaRecord area = MeetArea(pass, areaLine);
  SkipList skips(pass.fs.NamesIgnoreCase());
  if (!area.enabled) {
    bool due = false;
    if (int code = StreamIdleLines(pass, reader, area, skips, due); code != 0 || !due) return code;
  }

  // Hold the rest of the block: its skip lines must be known before the
  // first entry is worked.
  HeldLines held;
  ConfigLine line;
  while (reader.Next(line)) {
    held.Add(line);
    if (line.kind == LineKind::kSkip) AddSkip(skips, line);
    if (line.kind == LineKind::kEnd) break;
  }
  if (int code = FirstError(pass, reader); code != 0) return code;

  BlockWork work{pass,
                 skips,
                 area,
                 HatchContext{pass.fs, pass.runner, pass.log, pass.out, pass.settings,
                              pass.interruption, pass.observer, reader.file().handle()},
                 {},
                 {}};
  for (const HeldLines::Line& kept : held.lines) {
    line.whole = held.Whole(kept);
    line.raw = {};
    line.text = held.Text(kept);
    line.number = kept.number;
    line.byteOrderMark = kept.byteOrderMark;
    Classify(line, true);
    bool keep = true;
    if (int code = WorkLine(work, line, keep); code != 0) return code;
    if (int code = WriteLines(work, line, keep); code != 0) return code;
    if (int code = FirstError(pass, reader); code != 0) return code;
  }
  return 0;
}

}  // namespace brimvel
