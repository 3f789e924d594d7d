#include "support/run_log.h"

#include "support/string_utils.h"
#include "support/text_reader.h"

namespace brimvel {

std::string StampedLine(const Clock& clock, std::string_view marker, std::string_view message) {
  // Every log line pays for its stamp: written into one buffer, not joined
  // from six small strings.
  DateParts date = ReadDate(clock);
  TimeParts time = ReadTime(clock);
  const int parts[] = {date.day, date.month, date.year % 100, time.hour, time.minute, time.second};
  char stamp[] = " 00.00.00 00:00:00 ";
  for (std::size_t i = 0; i < 6; ++i) {
    int value = parts[i] % 100;
    stamp[1 + 3 * i] = static_cast<char>('0' + value / 10);
    stamp[2 + 3 * i] = static_cast<char>('0' + value % 10);
  }
  std::string line(stamp, sizeof stamp - 1);
  line.append(marker).append(message);
  if (line.size() > kLineCapacity) line.resize(kLineCapacity);
  return line;
}

RunLog::RunLog(TextWriter& console, const Clock& clock, std::string banner)
    : console_(console), clock_(clock), banner_(std::move(banner)) {}

int RunLog::Open(FileSystem& fs, const std::string& name) {
  file_.emplace(fs, name);
  // A log that can be read is there already: it is closed again at once.
  if (TextReader(fs, name).OpenRead() == 0) {
    if (int code = file_->OpenAppend(); code != 0) return code;
  } else if (file_->OpenCreateAppend() == 0) {
    // Made for appending, never emptied: runs that start together before
    // the log exists must not wipe each other's first lines.
    Line(" * Made new log file");
  } else {
    file_.reset();
    silentEnd_ = true;
    Line(" ! I can't make log file!!!..");
    return 0;
  }
  Line(banner_ + ": started..");
  // A log that takes no lines (disk full, a size limit) ends the run before
  // it works: its failure must not surface later as another file's.
  return error();
}

void RunLog::WriteBoth(std::string_view text, bool endLine, std::string_view priority) {
  if (file_) endLine ? file_->WriteLine(text) : file_->Write(text);
  if (priorities_ && !midLine_) console_.Write(priority);
  midLine_ = !endLine;
  endLine ? console_.WriteLine(text) : console_.Write(text);
  if (file_) file_->Flush();
}

void RunLog::Line(std::string_view message) { WriteBoth(StampedLine(clock_, "", message), true); }

void RunLog::Begin(std::string_view message) { WriteBoth(StampedLine(clock_, "", message), false); }

void RunLog::End(std::string_view text) { WriteBoth(text, true); }

void RunLog::Error(std::string_view message) {
  WriteBoth(StampedLine(clock_, "[err] ", message), true, "<3>");
}

void RunLog::Status(std::string_view message) {
  Line(message);
  if (title_) title_(Concat(message, " - ", banner_));
}

void RunLog::StatusWhole(std::string_view message) {
  WriteBoth(StampedLine(clock_, "", "") + std::string(message), true);
  if (title_) title_(Concat(message, " - ", banner_));
}

int RunLog::Close() {
  if (silentEnd_) return 0;
  Line("End..");
  // The blank line parts runs on a terminal; the journal parts them itself.
  if (!priorities_) console_.WriteLine("");
  if (!file_) return 0;
  file_->WriteLine("");
  int code = file_->Close();
  file_.reset();
  return code;
}

}  // namespace brimvel
