#include "support/run_log.h"

#include "support/clock.h"
#include "support/io_error.h"
#include "support/platform.h"
#include "support/string_utils.h"

namespace brimvel {

namespace {

ShortString TwoDigits(int value) { return PadZeros(NumberText(value), 2); }

void WriteBoth(RunLog& log, std::string_view text, bool endLine) {
  if (!log.unavailable) {
    if (endLine) {
      WriteLine(log.file, text);
    } else {
      WriteText(log.file, text);
    }
  }
  TextFile& console = ConsoleOutput();
  if (endLine) {
    WriteLine(console, text);
  } else {
    WriteText(console, text);
  }
  if (!log.unavailable) FlushFile(log.file);
}

}  // namespace

ShortString DateStamp() {
  DateParts date = ReadDate();
  ShortString year = NumberText(date.year);
  return TwoDigits(date.day) + "." + TwoDigits(date.month) + "." + SubText(year, 3, 2);
}

ShortString TimeStamp() {
  TimeParts time = ReadTime();
  return TwoDigits(time.hour) + ":" + TwoDigits(time.minute) + ":" + TwoDigits(time.second);
}

ShortString StampedLine(std::string_view marker, std::string_view message) {
  ShortString date = DateStamp();
  ShortString time = TimeStamp();
  return " " + date + " " + time + " " + marker + message;
}

void OpenLog(std::string_view name, RunLog& log) {
  BindFile(log.file, name);
  OpenRead(log.file);
  if (TakeIoError() == 0) {
    log.unavailable = false;
    OpenAppend(log.file);
    StrictCheck();
  } else {
    // Created for appending, never emptied: runs that start together before
    // the log exists must not wipe each other's first lines.
    OpenCreateAppend(log.file);
    if (TakeIoError() == 0) {
      log.unavailable = false;
      LogLine(log, " * Made new log file");
    } else {
      log.unavailable = true;
      LogLine(log, " ! I can't make log file!!!..");
    }
  }
  if (!log.unavailable) LogLine(log, log.banner + ": started..");
  // A log that takes no lines (disk full, a size limit) ends the run before
  // it works: its error must not surface later as another file's failure.
  StrictCheck();
}

void LogLine(RunLog& log, std::string_view message) {
  WriteBoth(log, StampedLine("", message).view(), true);
}

void LogBegin(RunLog& log, std::string_view message) {
  WriteBoth(log, StampedLine("", message).view(), false);
}

void LogEnd(RunLog& log, std::string_view text) { WriteBoth(log, text, true); }

void LogError(RunLog& log, std::string_view message) {
  WriteBoth(log, StampedLine("[err] ", message).view(), true);
}

ShortString TitleText(const RunLog& log, std::string_view message) {
  return ShortString(message) + " - " + log.banner;
}

void LogStatus(RunLog& log, std::string_view message) {
  LogLine(log, message);
  ShowTitle(OemToTitleText(TitleText(log, message)).view());
}

void CloseLog(RunLog& log) {
  if (log.unavailable) return;
  LogLine(log, "End..");
  WriteLine(log.file, "");
  FlushFile(log.file);
  WriteLine(ConsoleOutput(), "");
  StrictCheck();
  CloseText(log.file);
  StrictCheck();
}

char OemToTitleChar(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  if (b < 0x80) return c;
  if (b <= 0xAF) return static_cast<char>(b + 0x40);
  if (b <= 0xDF) {
    if (b == 0xB3 || b == 0xB4 || b == 0xC3) return '|';
    if (b == 0xC4) return '-';
    return ' ';
  }
  if (b <= 0xEF) return static_cast<char>(b + 0x10);
  if (b == 0xF0) return static_cast<char>(0xA8);
  if (b == 0xF1) return static_cast<char>(0xB8);
  if (b == 0xFE) return ' ';
  return c;
}

ShortString OemToTitleText(std::string_view text) {
  std::string mapped(text);
  for (char& c : mapped) c = OemToTitleChar(c);
  return ShortString(mapped);
}

void SaveTitle() { platform::SaveConsoleTitle(); }
void ShowTitle(std::string_view text) { platform::ShowConsoleTitle(std::string(text)); }
void RestoreTitle() { platform::RestoreConsoleTitle(); }

}  // namespace brimvel
