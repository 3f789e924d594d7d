#pragma once

#include <string_view>

#include "support/short_string.h"
#include "support/text_file.h"

namespace brimvel {

inline constexpr std::string_view kBanner = "Brimvel {v4.2.2W32}";

// The run's log: every line goes to the log file (while available) and to
// the console, the file flushed after each.
struct RunLog {
  bool unavailable = false;
  TextFile file;
  ShortString banner;
};

void OpenLog(std::string_view name, RunLog& log);
void LogLine(RunLog& log, std::string_view message);
void LogBegin(RunLog& log, std::string_view message);
void LogEnd(RunLog& log, std::string_view text);
void LogError(RunLog& log, std::string_view message);
// LogLine, then the message in the console title.
void LogStatus(RunLog& log, std::string_view message);
void CloseLog(RunLog& log);

ShortString DateStamp();
ShortString TimeStamp();
// The stamped line as it reaches the log, cut at 255.
ShortString StampedLine(std::string_view marker, std::string_view message);
// The title shown for a progress message.
ShortString TitleText(const RunLog& log, std::string_view message);

char OemToTitleChar(char c);
ShortString OemToTitleText(std::string_view text);

void SaveTitle();
void ShowTitle(std::string_view text);
void RestoreTitle();

}  // namespace brimvel
