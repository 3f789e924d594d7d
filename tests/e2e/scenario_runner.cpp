// Runs the scenario files of tests/e2e/scenarios against the real binary.
// Each scenario is a small script: set up a scratch directory, run brimvel
// under faketime one or more times, and check what each run left behind.
// The format is described in scenarios/README.md.
//
// With BRIMVEL_E2E_WINE set (the path of wine), the binary is a Windows
// program: every run goes through wine, and the placeholders stand for
// Windows paths (Z:\...).

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr const char* kDefaultDate = "2026-12-09 10:00:00";
constexpr uid_t kNobody = 65534;
// Stamps are checked against the faked start of the run; the run itself
// takes seconds, so ten minutes is a generous window.
constexpr time_t kStampWindow = 600;
constexpr auto kRunTimeout = std::chrono::seconds(60);

std::string Setting(const char* env, const char* fallback) {
  const char* value = std::getenv(env);
  return value != nullptr && *value != '\0' ? value : fallback;
}

std::string BinaryPath() { return Setting("BRIMVEL_E2E_BIN", BRIMVEL_E2E_BIN); }
std::string RecorderPath() { return Setting("BRIMVEL_E2E_RECORDER", BRIMVEL_E2E_RECORDER); }
std::string ScenarioDir() { return Setting("BRIMVEL_E2E_SCENARIOS", BRIMVEL_E2E_SCENARIOS); }
std::string FaketimePath() { return Setting("BRIMVEL_E2E_FAKETIME", BRIMVEL_E2E_FAKETIME); }
std::string WinePath() { return Setting("BRIMVEL_E2E_WINE", ""); }
bool OnWindows() { return !WinePath().empty(); }
const char* PlatformName() { return OnWindows() ? "win32" : "posix"; }

// Wine shows the host's root as drive Z:.
std::string WindowsPath(const fs::path& path) {
  std::string out = "Z:" + fs::absolute(path).string();
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Makes bytes readable in failure messages, in the escape form scenarios use.
std::string Visible(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c >= 0x7F) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "\xNN" (two hex digits) is one byte; every other backslash is literal.
std::string DecodeEscapes(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
        HexValue(text[i + 2]) >= 0 && HexValue(text[i + 3]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3]));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Words separated by blanks; a double-quoted stretch keeps its blanks and
// loses its quotes, so "" is an empty word.
std::vector<std::string> SplitWords(std::string_view text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size()) break;
    std::string word;
    while (i < text.size() && text[i] != ' ') {
      if (text[i] == '"') {
        std::size_t close = text.find('"', i + 1);
        if (close == std::string_view::npos) close = text.size();
        word += text.substr(i + 1, close - i - 1);
        i = std::min(close + 1, text.size());
      } else {
        word += text[i++];
      }
    }
    words.push_back(word);
  }
  return words;
}

// Lines of program output, which end as the platform's text files do: LF
// on POSIX, CR LF on Windows. A line end of the other kind stays inside its
// line (and so shows up in a mismatch).
std::vector<std::string> SplitOutput(const std::string& text, bool* wellEnded) {
  const std::string end = OnWindows() ? "\r\n" : "\n";
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at = text.find(end); at != std::string::npos; at = text.find(end, start)) {
    lines.push_back(text.substr(start, at - start));
    start = at + end.size();
  }
  *wellEnded = start == text.size();
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// Lines of a file written CR LF or LF, shown without their line ends.
std::vector<std::string> SplitAnyEnd(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', start)) {
    std::size_t end = at > start && text[at - 1] == '\r' ? at - 1 : at;
    lines.push_back(text.substr(start, end - start));
    start = at + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::vector<std::string> SplitLf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// "{*}" matches any run of bytes; everything else matches itself.
bool GlobMatch(std::string_view pattern, std::string_view text) {
  std::size_t star = pattern.find("{*}");
  if (star == std::string_view::npos) return pattern == text;
  if (text.substr(0, star) != pattern.substr(0, star)) return false;
  std::string_view restPattern = pattern.substr(star + 3);
  for (std::size_t from = star; from <= text.size(); ++from)
    if (GlobMatch(restPattern, text.substr(from))) return true;
  return false;
}

bool ParseDateTime(std::string_view text, time_t* out) {
  struct tm parts {};
  int fields =
      std::sscanf(std::string(text).c_str(), "%d-%d-%d %d:%d:%d", &parts.tm_year, &parts.tm_mon,
                  &parts.tm_mday, &parts.tm_hour, &parts.tm_min, &parts.tm_sec);
  if (fields != 3 && fields != 6) return false;
  parts.tm_year -= 1900;
  parts.tm_mon -= 1;
  parts.tm_isdst = -1;
  *out = mktime(&parts);
  return *out != -1;
}

std::string FormatTime(time_t when, const char* format) {
  struct tm parts {};
  localtime_r(&when, &parts);
  char buffer[64];
  std::strftime(buffer, sizeof buffer, format, &parts);
  return buffer;
}

// The 19 characters ' DD.MM.YY HH:MM:SS ' of a log line, read back as a time.
std::optional<time_t> StampTime(std::string_view line) {
  if (line.size() < 19 || line[0] != ' ' || line[9] != ' ' || line[18] != ' ') return std::nullopt;
  int day, month, year, hour, minute, second;
  char tail;
  std::string stamp(line.substr(1, 17));
  if (std::sscanf(stamp.c_str(), "%2d.%2d.%2d %2d:%2d:%2d%c", &day, &month, &year, &hour, &minute,
                  &second, &tail) != 6)
    return std::nullopt;
  struct tm parts {};
  parts.tm_year = 100 + year;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  parts.tm_isdst = -1;
  return mktime(&parts);
}

// A line of output without its stamp, when it has one.
std::string WithoutStamp(const std::string& line) {
  return StampTime(line) ? line.substr(19) : line;
}

// One entry of the working directory as a snapshot keeps it.
struct Entry {
  char type = 'o';    // f file, d directory, l symbolic link, o anything else
  unsigned mode = 0;  // permission bits
  std::string bytes;  // a file's contents, a link's target

  bool operator==(const Entry&) const = default;
};

struct Directive {
  int line = 0;
  std::string keyword;
  std::string rest;  // the text after the keyword (and before "<<TAG")
  std::optional<std::vector<std::string>> body;
};

// A line that starts with "posix:" or "win32:" belongs to that platform only
// (one blank after the colon is dropped with it); the other platform does not
// see the line at all, inside a body as well as outside.
std::vector<std::pair<int, std::string>> PlatformLines(const fs::path& path) {
  std::vector<std::pair<int, std::string>> lines;
  int number = 0;
  for (std::string line : SplitLf(ReadAll(path))) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    bool posix = line.rfind("posix:", 0) == 0, win32 = line.rfind("win32:", 0) == 0;
    if (posix || win32) {
      if (posix != !OnWindows()) continue;
      line.erase(0, line.size() > 6 && line[6] == ' ' ? 7 : 6);
    }
    lines.emplace_back(number, std::move(line));
  }
  return lines;
}

std::vector<Directive> ParseScenario(const fs::path& path) {
  std::vector<std::pair<int, std::string>> numbered = PlatformLines(path);
  std::vector<std::string> lines;
  for (auto& [number, line] : numbered) lines.push_back(line);
  std::vector<Directive> directives;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view text = lines[i];
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos || text[first] == '#') continue;
    Directive directive;
    directive.line = numbered[i].first;
    std::size_t blank = text.find(' ', first);
    directive.keyword = std::string(text.substr(first, blank - first));
    directive.rest = blank == std::string_view::npos ? "" : std::string(text.substr(blank + 1));
    std::size_t heredoc = directive.rest.rfind("<<");
    if (heredoc != std::string::npos && directive.rest.find(' ', heredoc) == std::string::npos) {
      std::string tag = directive.rest.substr(heredoc + 2);
      directive.rest.erase(heredoc);
      directive.body.emplace();
      for (++i; i < lines.size() && lines[i] != tag; ++i) directive.body->push_back(lines[i]);
      if (i == lines.size())
        ADD_FAILURE() << path.filename().string() << ":" << directive.line << ": no closing "
                      << tag;
    }
    directives.push_back(std::move(directive));
  }
  return directives;
}

struct RunResult {
  int line = 0;  // of the run directive
  int exitCode = -1;
  std::string out;
  std::string err;
  std::string calls;
  time_t fakeStart = 0;
  bool exitChecked = false;
  bool stderrChecked = false;
};

class Scenario {
 public:
  explicit Scenario(fs::path file) : file_(std::move(file)) {}
  ~Scenario() {
    if (root_.empty()) return;
    if (::testing::Test::HasFailure() || std::getenv("BRIMVEL_E2E_KEEP") != nullptr) {
      std::printf("scratch directory kept: %s\n", root_.c_str());
      return;
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  void Play() {
    std::string pattern = (fs::temp_directory_path() / "brimvel-e2e-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr) << "cannot make a scratch directory";
    root_ = pattern;
    work_ = root_ / "work";
    fs::create_directory(work_);
    // A short, fixed path for the post program keeps command lines readable.
    fs::create_symlink(fs::absolute(RecorderPath()), PostPath());
    binary_ = fs::absolute(BinaryPath());
    ParseDateTime(kDefaultDate, &date_);

    std::vector<Directive> directives = ParseScenario(file_);
    for (const Directive& directive : directives)
      if (directive.keyword == "platform" && directive.rest != PlatformName())
        GTEST_SKIP() << "runs on " << directive.rest << " only";
    for (const Directive& directive : directives) {
      line_ = directive.line;
      Perform(directive);
      if (::testing::Test::HasFatalFailure()) return;
    }
    FinishRun();
  }

 private:
  std::string Where() const { return file_.filename().string() + ":" + std::to_string(line_); }

  fs::path PostPath() const { return root_ / (OnWindows() ? "post.exe" : "post"); }

  // A path as the program under test spells it.
  static std::string Native(const fs::path& path) {
    return OnWindows() ? WindowsPath(path) : path.string();
  }

  std::string Placeholders(std::string_view text) const {
    std::string out = ReplaceAll(std::string(text), "@DIR@", Native(work_));
    out = ReplaceAll(out, "@RECORDER@", Native(PostPath()));
    return ReplaceAll(out, "@BIN@", Native(binary_));
  }

  std::string Expand(std::string_view text) const { return DecodeEscapes(Placeholders(text)); }

  std::vector<std::string> Words(std::string_view text) const {
    std::vector<std::string> words = SplitWords(text);
    for (std::string& word : words) word = Expand(word);
    return words;
  }

  std::vector<std::string> Body(const Directive& directive) const {
    std::vector<std::string> lines;
    for (const std::string& line : *directive.body) lines.push_back(Expand(line));
    return lines;
  }

  // Joins body lines into file bytes: "crlf" (the default) and "lf" end
  // every line, "raw" only separates them with LF.
  static std::string Join(const std::vector<std::string>& lines, const std::string& mode) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      out += lines[i];
      if (mode == "raw") {
        if (i + 1 < lines.size()) out += '\n';
      } else {
        out += mode == "lf" ? "\n" : "\r\n";
      }
    }
    return out;
  }

  fs::path At(const std::string& relative) const { return work_ / relative; }

  void Need(bool ok, const std::string& what) const {
    if (!ok) ADD_FAILURE() << Where() << ": " << what;
  }

  void Perform(const Directive& d) {
    std::vector<std::string> words = Words(d.rest);
    const std::string& k = d.keyword;
    bool hasBody = d.body.has_value();
    auto argument = [&](std::size_t i) { return i < words.size() ? words[i] : std::string(); };

    if (k == "date") {
      Need(ParseDateTime(d.rest, &date_), "bad date " + d.rest);
    } else if (k == "dir") {
      for (const std::string& path : words) fs::create_directories(At(path));
    } else if (k == "file" || k == "config") {
      std::string path = k == "config" ? "brimvel.cfg" : argument(0);
      std::size_t modeAt = k == "config" ? 0 : 1;
      fs::create_directories(At(path).parent_path());
      {
        std::ofstream out(At(path), std::ios::binary | std::ios::trunc);
        if (hasBody) out << Join(Body(d), argument(modeAt));
        Need(out.good(), "cannot write " + path);
      }
      // Sized files are sparse, so a scenario can afford files of several GiB.
      if (!hasBody) fs::resize_file(At(path), std::stoull(argument(1)));
    } else if (k == "mtime" || k == "flag") {
      std::string path = k == "flag" ? "EVERYDAY.FLG" : argument(0);
      std::string when = k == "flag" ? d.rest : d.rest.substr(d.rest.find(' ') + 1);
      if (k == "flag") {
        std::ofstream(At(path), std::ios::binary | std::ios::trunc);
        if (when.size() == 10) when += " 08:00:00";
      }
      time_t stamp;
      Need(ParseDateTime(when, &stamp), "bad date " + when);
      SetMtime(At(path), stamp);
    } else if (k == "mode") {
      Need(chmod(At(argument(0)).c_str(), std::stoul(argument(1), nullptr, 8)) == 0,
           "chmod failed");
    } else if (k == "link") {
      fs::create_directories(At(argument(1)).parent_path());
      fs::create_symlink(argument(0), At(argument(1)));
    } else if (k == "remove") {
      for (const std::string& path : words) fs::remove_all(At(path));
    } else if (k == "journal") {
      journal_ = words.empty() ? "no" : words[0];
      Need(journal_ == "yes" || journal_ == "other" || journal_ == "no", "journal yes|other|no");
    } else if (k == "unprivileged") {
      unprivileged_ = true;
      // User nobody may not reach the build tree (CI clones anywhere): run
      // copies that live in the scratch directory.
      fs::path copy = root_ / (OnWindows() ? "brimvel.exe" : "brimvel");
      fs::copy_file(binary_, copy, fs::copy_options::overwrite_existing);
      binary_ = copy;
      fs::remove(PostPath());
      fs::copy_file(fs::absolute(RecorderPath()), PostPath());
    } else if (k == "snapshot") {
      snapshot_ = TakeSnapshot();
    } else if (k == "post-exit") {
      postExit_ = words.empty() ? std::nullopt : std::optional<std::string>(words[0]);
    } else if (k == "platform") {
      // Handled before the first directive.
    } else if (k == "run") {
      FinishRun();
      Run(words);
    } else if (k.rfind("expect-", 0) == 0) {
      if (!last_) {
        ADD_FAILURE() << Where() << ": " << k << " before any run";
        return;
      }
      Expect(d, words);
    } else {
      ADD_FAILURE() << Where() << ": unknown directive " << k;
    }
  }

  // Every entry below work/, by its relative path.
  std::map<std::string, Entry> TakeSnapshot() const {
    std::map<std::string, Entry> entries;
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(
             work_, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      struct stat info;
      if (lstat(it->path().c_str(), &info) != 0) continue;
      Entry entry;
      entry.mode = info.st_mode & 07777;
      if (S_ISREG(info.st_mode)) {
        entry.type = 'f';
        entry.bytes = ReadAll(it->path());
      } else if (S_ISDIR(info.st_mode)) {
        entry.type = 'd';
      } else if (S_ISLNK(info.st_mode)) {
        entry.type = 'l';
        entry.bytes = fs::read_symlink(it->path(), ignored).string();
      }
      entries[fs::relative(it->path(), work_).string()] = entry;
    }
    return entries;
  }

  static void SetMtime(const fs::path& path, time_t when) {
    struct timespec times[2] = {{when, 0}, {when, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
  }

  void Run(const std::vector<std::string>& arguments) {
    ++runCount_;
    RunResult result;
    result.line = line_;
    result.fakeStart = date_;
    fs::path outPath = root_ / ("run" + std::to_string(runCount_) + ".out");
    fs::path errPath = root_ / ("run" + std::to_string(runCount_) + ".err");
    fs::path callsPath = root_ / ("calls" + std::to_string(runCount_) + ".log");

    std::string faketime = FaketimePath();
    std::string binary = binary_.string();
    std::string when = FormatTime(date_, "%Y-%m-%d %H:%M:%S");
    std::vector<std::string> argv = {faketime, when, binary};
    if (OnWindows()) argv = {faketime, when, WinePath(), binary};
    argv.insert(argv.end(), arguments.begin(), arguments.end());

    std::vector<std::string> env;
    std::string asan = "ASAN_OPTIONS=verify_asan_link_order=0";
    for (char** e = environ; *e != nullptr; ++e) {
      std::string_view entry = *e;
      if (entry.rfind("BRIMVEL_RECORD=", 0) == 0 || entry.rfind("BRIMVEL_EXIT=", 0) == 0 ||
          entry.rfind("JOURNAL_STREAM=", 0) == 0)
        continue;
      if (entry.rfind("ASAN_OPTIONS=", 0) == 0) {
        asan = std::string(entry) + ":verify_asan_link_order=0";
        continue;
      }
      env.emplace_back(entry);
    }
    env.push_back(asan);
    // File times are set by the scenario (and shifted after each run), so
    // faketime must not shift them again when the program reads them.
    env.push_back("NO_FAKE_STAT=1");
    env.push_back("BRIMVEL_RECORD=" + Native(callsPath));
    if (postExit_) env.push_back("BRIMVEL_EXIT=" + *postExit_);
    if (journal_ != "no") {
      // The output file made now keeps its inode when the child opens it.
      std::ofstream(outPath, std::ios::binary | std::ios::trunc);
      struct stat info {};
      Need(stat(outPath.c_str(), &info) == 0, "no output file");
      env.push_back("JOURNAL_STREAM=" + std::to_string(info.st_dev) + ":" +
                    std::to_string(info.st_ino + (journal_ == "other" ? 1 : 0)));
    }

    bool dropRoot = unprivileged_ && geteuid() == 0;
    // Wine refuses a prefix its user does not own: nobody has one of its own.
    std::string nobodyPrefix = Setting("BRIMVEL_E2E_WINEPREFIX_UNPRIVILEGED", "");
    if (OnWindows() && dropRoot && !nobodyPrefix.empty()) {
      std::erase_if(env, [](const std::string& e) {
        return e.rfind("WINEPREFIX=", 0) == 0 || e.rfind("HOME=", 0) == 0;
      });
      env.push_back("WINEPREFIX=" + nobodyPrefix);
      env.push_back("HOME=" + fs::path(nobodyPrefix).parent_path().string());
    }
    if (dropRoot) {
      std::error_code ignored;
      lchown(root_.c_str(), kNobody, kNobody);
      for (auto it = fs::recursive_directory_iterator(root_, ignored);
           it != fs::recursive_directory_iterator(); it.increment(ignored))
        lchown(it->path().c_str(), kNobody, kNobody);
    }

    std::vector<char*> argvPointers, envPointers;
    for (std::string& s : argv) argvPointers.push_back(s.data());
    argvPointers.push_back(nullptr);
    for (std::string& s : env) envPointers.push_back(s.data());
    envPointers.push_back(nullptr);

    time_t realStart = time(nullptr);
    pid_t pid = fork();
    ASSERT_GE(pid, 0) << "fork failed";
    if (pid == 0) {
      setpgid(0, 0);
      int in = open("/dev/null", O_RDONLY);
      int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0 || err < 0 || chdir(work_.c_str()) != 0) _exit(126);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      if (dropRoot && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
        _exit(126);
      execve(argvPointers[0], argvPointers.data(), envPointers.data());
      _exit(127);
    }

    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + kRunTimeout;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(-pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << Where() << ": the run did not end within " << kRunTimeout.count()
                      << " s and was killed";
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    time_t realEnd = time(nullptr);
    // A run ended by a signal reads as 128 + the signal, as a shell shows it.
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (result.exitCode == 126 || result.exitCode == 127)
      ADD_FAILURE() << Where() << ": could not start " << faketime << " " << binary;

    result.out = ReadAll(outPath);
    result.err = ReadAll(errPath);
    result.calls = ReadAll(callsPath);
    ShiftWrittenTimes(realStart, realEnd);
    bool wellEnded = true;
    SplitOutput(result.out, &wellEnded);
    if (!wellEnded)
      ADD_FAILURE() << Where() << ": standard output does not end with the platform's line ends:\n"
                    << Visible(result.out);
    starts_.push_back(result.fakeStart);
    outputs_.push_back(result.out);
    last_ = result;
  }

  // The program writes files at the real time, faketime notwithstanding:
  // move what the run touched onto the faked clock, so that a marker written
  // by one run carries that run's date into the next.
  void ShiftWrittenTimes(time_t realStart, time_t realEnd) {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(work_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      struct stat info;
      if (lstat(it->path().c_str(), &info) != 0) continue;
      if (info.st_mtime < realStart - 1 || info.st_mtime > realEnd + 1) continue;
      SetMtime(it->path(), date_ + std::max<time_t>(0, info.st_mtime - realStart));
    }
  }

  // Checks left implicit: a run ends with 0 and writes nothing to standard
  // error unless the scenario says otherwise.
  void FinishRun() {
    if (!last_) return;
    int saved = line_;
    line_ = last_->line;
    if (!last_->exitChecked && last_->exitCode != 0)
      ADD_FAILURE() << Where() << ": exit code " << last_->exitCode << ", expected 0\nstdout:\n"
                    << Visible(last_->out) << "\nstderr:\n"
                    << last_->err;
    if (!last_->stderrChecked && !last_->err.empty())
      ADD_FAILURE() << Where() << ": unexpected standard error output:\n" << last_->err;
    line_ = saved;
    last_.reset();
  }

  // One expected line against one actual line. A leading "~" stands for the
  // 19-character stamp ' DD.MM.YY HH:MM:SS ' of one of the given run starts.
  static bool LineMatches(const std::string& expected, const std::string& actual,
                          const std::vector<time_t>& starts) {
    if (expected.empty() || expected[0] != '~') return GlobMatch(expected, actual);
    std::optional<time_t> stamp = StampTime(actual);
    if (!stamp) return false;
    bool inWindow = std::any_of(starts.begin(), starts.end(), [&](time_t start) {
      return *stamp >= start && *stamp <= start + kStampWindow;
    });
    return inWindow &&
           GlobMatch(std::string_view(expected).substr(1), std::string_view(actual).substr(19));
  }

  void CompareLines(const std::string& what, const std::string& how,
                    const std::vector<std::string>& expected,
                    const std::vector<std::string>& actual, const std::vector<time_t>& starts) {
    bool ok = true;
    if (how == "exact") {
      ok = expected.size() == actual.size();
      for (std::size_t i = 0; ok && i < expected.size(); ++i)
        ok = LineMatches(expected[i], actual[i], starts);
    } else if (how == "has") {
      std::size_t next = 0;
      for (const std::string& line : actual)
        if (next < expected.size() && LineMatches(expected[next], line, starts)) ++next;
      ok = next == expected.size();
    } else {
      for (const std::string& line : actual)
        for (const std::string& banned : expected)
          if (LineMatches(banned, line, starts)) ok = false;
    }
    if (ok) return;
    std::ostringstream message;
    message << Where() << ": " << what << " (" << how << ") does not match.\n--- expected:\n";
    for (const std::string& line : expected) message << "  |" << Visible(line) << "|\n";
    message << "--- actual:\n";
    for (const std::string& line : actual) message << "  |" << Visible(line) << "|\n";
    ADD_FAILURE() << message.str();
  }

  void CompareBytes(const std::string& what, const std::string& expected,
                    const std::string& actual) {
    if (expected == actual) return;
    std::ostringstream message;
    message << Where() << ": " << what << " differs.\n--- expected:\n";
    for (const std::string& line : SplitAnyEnd(expected))
      message << "  |" << Visible(line) << "|\n";
    message << "--- actual:\n";
    for (const std::string& line : SplitAnyEnd(actual)) message << "  |" << Visible(line) << "|\n";
    message << "(lines shown without their line ends)";
    ADD_FAILURE() << message.str();
  }

  void Expect(const Directive& d, const std::vector<std::string>& words) {
    const std::string& k = d.keyword;
    auto argument = [&](std::size_t i) { return i < words.size() ? words[i] : std::string(); };
    bool ignored;
    std::vector<time_t> thisRun = {last_->fakeStart};

    auto needBody = [&]() {
      if (!d.body) ADD_FAILURE() << Where() << ": " << k << " needs a <<TAG body";
      return d.body.has_value();
    };

    if (k == "expect-exit") {
      last_->exitChecked = true;
      if (words.empty()) return;  // any exit code will do
      int code = std::stoi(argument(0));
      if (last_->exitCode != code)
        ADD_FAILURE() << Where() << ": exit code " << last_->exitCode << ", expected " << code
                      << "\nstderr:\n"
                      << last_->err;
    } else if (k == "expect-stdout-as") {
      ExpectStdoutAs(words);
    } else if (k == "expect-unchanged") {
      ExpectUnchanged();
    } else if (k.rfind("expect-stdout", 0) == 0 || k.rfind("expect-log", 0) == 0 ||
               k.rfind("expect-stderr", 0) == 0) {
      if (!needBody()) return;
      std::string how = k.ends_with("-has") ? "has" : k.ends_with("-lacks") ? "lacks" : "exact";
      if (k.rfind("expect-stdout", 0) == 0) {
        CompareLines("standard output", how, Body(d), SplitOutput(last_->out, &ignored), thisRun);
      } else if (k.rfind("expect-log", 0) == 0) {
        CompareLines("brimvel.log", how, Body(d), SplitOutput(ReadAll(At("brimvel.log")), &ignored),
                     starts_);
      } else {
        last_->stderrChecked = true;
        CompareLines("standard error", how, Body(d), SplitLf(last_->err), thisRun);
      }
    } else if (k == "expect-calls") {
      if (!needBody()) return;
      // Records carry the recorder's own \xNN escapes: compare them as written.
      std::vector<std::string> expected;
      for (const std::string& line : *d.body) expected.push_back(Placeholders(line));
      CompareLines("post program calls", "exact", expected, SplitLf(last_->calls), thisRun);
    } else if (k == "expect-file-has") {
      if (!needBody()) return;
      CompareLines(argument(0), "has", Body(d), SplitLf(ReadAll(At(argument(0)))), thisRun);
    } else if (k == "expect-config" || k == "expect-file") {
      if (!needBody()) return;
      std::string path = k == "expect-config" ? "brimvel.cfg" : argument(0);
      std::string mode = argument(k == "expect-config" ? 0 : 1);
      if (!fs::exists(At(path))) {
        ADD_FAILURE() << Where() << ": " << path << " does not exist";
        return;
      }
      CompareBytes(path, Join(Body(d), mode), ReadAll(At(path)));
    } else if (k == "expect-exists" || k == "expect-gone") {
      for (const std::string& path : words) {
        bool exists = fs::exists(fs::symlink_status(At(path)));
        if (exists != (k == "expect-exists"))
          ADD_FAILURE() << Where() << ": " << Visible(path)
                        << (exists ? " exists, but should be gone" : " does not exist");
      }
    } else if (k == "expect-size") {
      std::error_code error;
      auto size = fs::file_size(At(argument(0)), error);
      if (error || size != std::stoull(argument(1)))
        ADD_FAILURE() << Where() << ": " << argument(0) << " has "
                      << (error ? std::string("no size") : std::to_string(size))
                      << " bytes, expected " << argument(1);
    } else if (k == "expect-mtime") {
      struct stat info;
      if (lstat(At(argument(0)).c_str(), &info) != 0) {
        ADD_FAILURE() << Where() << ": " << argument(0) << " does not exist";
        return;
      }
      std::string want = d.rest.substr(d.rest.find(' ') + 1);
      std::string have = FormatTime(info.st_mtime, "%Y-%m-%d %H:%M:%S").substr(0, want.size());
      if (have != want)
        ADD_FAILURE() << Where() << ": " << argument(0) << " was last written "
                      << FormatTime(info.st_mtime, "%Y-%m-%d %H:%M:%S") << ", expected " << want;
    } else if (k == "expect-mode") {
      struct stat info;
      unsigned want = std::stoul(argument(1), nullptr, 8);
      if (stat(At(argument(0)).c_str(), &info) != 0 || (info.st_mode & 07777) != want)
        ADD_FAILURE() << Where() << ": " << argument(0) << " has mode " << std::oct
                      << (info.st_mode & 07777) << ", expected " << argument(1);
    } else {
      ADD_FAILURE() << Where() << ": unknown directive " << k;
    }
  }

  // The lines of this run's standard output that hold one of the words (all
  // lines when none is given) against those of run N, stamps left out.
  void ExpectStdoutAs(const std::vector<std::string>& words) {
    std::size_t run = words.empty() ? 0 : std::stoul(words[0]);
    if (run < 1 || run > outputs_.size()) {
      ADD_FAILURE() << Where() << ": expect-stdout-as needs the number of an earlier run";
      return;
    }
    const std::vector<std::string> filter(words.begin() + 1, words.end());
    auto pick = [&filter](const std::string& out) {
      bool ignored;
      std::vector<std::string> lines;
      for (const std::string& line : SplitOutput(out, &ignored)) {
        std::string text = WithoutStamp(line);
        bool wanted = filter.empty() || std::any_of(filter.begin(), filter.end(), [&](auto& word) {
                        return text.find(word) != std::string::npos;
                      });
        if (wanted) lines.push_back(text);
      }
      return lines;
    };
    std::vector<std::string> expected = pick(outputs_[run - 1]);
    std::vector<std::string> actual = pick(last_->out);
    if (expected == actual) return;
    std::ostringstream message;
    message << Where() << ": standard output differs from run " << run << ".\n--- run " << run
            << ":\n";
    for (const std::string& line : expected) message << "  |" << Visible(line) << "|\n";
    message << "--- this run:\n";
    for (const std::string& line : actual) message << "  |" << Visible(line) << "|\n";
    ADD_FAILURE() << message.str();
  }

  // Every entry of work/ as the latest snapshot found it, byte for byte.
  void ExpectUnchanged() {
    if (!snapshot_) {
      ADD_FAILURE() << Where() << ": expect-unchanged without a snapshot";
      return;
    }
    std::map<std::string, Entry> now = TakeSnapshot();
    std::ostringstream message;
    for (const auto& [path, entry] : *snapshot_) {
      auto found = now.find(path);
      if (found == now.end())
        message << "  gone: " << Visible(path) << "\n";
      else if (found->second.type != entry.type)
        message << "  changed type: " << Visible(path) << "\n";
      else if (found->second.mode != entry.mode)
        message << "  changed mode: " << Visible(path) << " " << std::oct << entry.mode << " -> "
                << found->second.mode << std::dec << "\n";
      else if (found->second.bytes != entry.bytes)
        message << "  changed bytes: " << Visible(path) << " (" << entry.bytes.size() << " -> "
                << found->second.bytes.size() << " bytes)\n";
    }
    for (const auto& [path, entry] : now)
      if (!snapshot_->contains(path)) message << "  new: " << Visible(path) << "\n";
    if (!message.str().empty())
      ADD_FAILURE() << Where() << ": the run changed the working directory:\n" << message.str();
  }

  fs::path file_;
  fs::path root_;
  fs::path work_;
  fs::path binary_;
  time_t date_ = 0;
  int line_ = 0;
  int runCount_ = 0;
  bool unprivileged_ = false;
  std::string journal_ = "no";  // standard output as the journal: yes, other, no
  std::optional<std::string> postExit_;
  std::optional<RunResult> last_;
  std::vector<time_t> starts_;
  std::vector<std::string> outputs_;  // standard output of every run so far
  std::optional<std::map<std::string, Entry>> snapshot_;
};

std::vector<std::string> ScenarioFiles() {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(ScenarioDir(), error))
    if (entry.path().extension() == ".scn") files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

class ScenarioTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ScenarioTest, Plays) { Scenario(GetParam()).Play(); }

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = fs::path(info.param).stem().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ScenarioTest, ::testing::ValuesIn(ScenarioFiles()), TestName);

}  // namespace
