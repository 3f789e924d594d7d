#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "support/clock.h"
#include "support/text_writer.h"

namespace brimvel {

// The run's log: every line goes to the log file (while there is one) and
// to the console, the file flushed after each.
class RunLog {
 public:
  using TitleSink = std::function<void(std::string_view)>;

  RunLog(TextWriter& console, const Clock& clock, std::string banner);

  // Opens the log for appending (made when missing) and writes the start
  // line. Returns 0, or the code of a log that exists but takes no lines.
  int Open(FileSystem& fs, const std::string& name);
  // A log that exists only on the console (a dry run).
  void ConsoleOnly() { file_.reset(); }

  void Line(std::string_view message);
  void Begin(std::string_view message);
  void End(std::string_view text);
  void Error(std::string_view message);
  // Line, then the message in the console title.
  void Status(std::string_view message);
  // Status with the message whole, however long: a command as it runs.
  void StatusWhole(std::string_view message);
  // The closing "End.." and a blank line; returns the log file's state.
  int Close();

  // The first failure to write the log file, 0 while none.
  int error() const { return file_ ? file_->error() : 0; }
  const std::string& banner() const { return banner_; }
  void SetTitleSink(TitleSink sink) { title_ = std::move(sink); }
  // Console lines begin with their syslog priority, "<3>" for errors and
  // "<6>" for the rest, which the journal takes as the line's priority.
  void SetConsolePriorities(bool on) { priorities_ = on; }
  const Clock& clock() const { return clock_; }

 private:
  void WriteBoth(std::string_view text, bool endLine, std::string_view priority = "<6>");

  TextWriter& console_;
  const Clock& clock_;
  std::string banner_;
  std::optional<TextWriter> file_;
  bool silentEnd_ = false;  // a log that could not be made ends without a word
  TitleSink title_;
  bool priorities_ = false;
  bool midLine_ = false;  // after Begin: End continues the console's line
};

// The stamped line as it reaches the log, cut at 255.
std::string StampedLine(const Clock& clock, std::string_view marker, std::string_view message);

}  // namespace brimvel
