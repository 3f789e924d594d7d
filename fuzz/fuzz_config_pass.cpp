// The configuration pass over an arbitrary configuration text, in a scratch
// directory holding a few files, with /bin/true as the post program.
//
// Safety first: the text may name any path, so every POSTPROG keyword and
// every "-DELETE" in it is defaced before the pass sees it; the only post
// program is the harmless one put in front, and nothing is ever deleted.
//
// Checked beyond the sanitizers: the pass returns (a run-ending failure on a
// readable text is a finding), and the rewritten configuration is the old
// one with some DIRECTORY and FILE lines dropped and "Skip" lines added:
// nothing else gained, lost or changed.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_pass.h"
#include "run/run_context.h"
#include "support/io_error.h"
#include "support/run_end.h"
#include "support/run_log.h"
#include "support/string_utils.h"
#include "support/text_file.h"

using namespace brimvel;

namespace {

constexpr const char* kHeader = "POSTPROG /bin/true @File @Area @Option @Desc @AppDesc\n";

void Fatal(const char* what) {
  std::fprintf(stderr, "fuzz_config_pass: %s\n", what);
  std::abort();
}

// Ends the process loudly, so that the input is kept as a finding.
void RunEnded() { Fatal("the run ended through EndRun or RuntimeErrorReport"); }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Defaces every occurrence of the word, compared without regard to case,
// also one split by CRs (the reader drops them inside a line).
void Deface(std::string& text, std::string_view word) {
  std::vector<std::size_t> at;  // positions of the bytes that are not CR
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] != '\r') at.push_back(i);
  for (std::size_t s = 0; s + word.size() <= at.size(); ++s) {
    std::size_t k = 0;
    while (k < word.size() && Upper(text[at[s + k]]) == word[k]) ++k;
    if (k == word.size()) text[at[s + 1]] = '#';
  }
}

bool WriteWhole(const char* name, const std::string& text) {
  unlink(name);
  int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return close(fd) == 0 && ok;
}

std::vector<std::string> ReadLines(const char* name) {
  std::vector<std::string> lines;
  TextFile file;
  BindFile(file, name);
  OpenRead(file);
  if (TakeIoError() != 0) Fatal("cannot read a configuration back");
  ShortString line;
  std::string whole;
  while (!AtEnd(file)) {
    ReadLine(file, line, &whole);
    lines.push_back(whole);
  }
  CloseText(file);
  TakeIoError();
  return lines;
}

bool Droppable(std::string_view line) {
  ShortString keyword = UpperText(FirstWord(ShortString(line).view()).view());
  return keyword == "DIRECTORY" || keyword == "FILE";
}

bool Added(std::string_view line) { return line.substr(0, 5) == "Skip "; }

// Whether `after` is `before` with droppable lines left out and skip lines
// put in, in order.
bool Explains(const std::vector<std::string>& before, const std::vector<std::string>& after) {
  const std::size_t n = before.size(), m = after.size();
  if ((n + 1) * (m + 1) > 4'000'000) return true;  // too large to check here
  std::vector<char> reach((n + 1) * (m + 1), 0);
  auto at = [m](std::size_t i, std::size_t j) { return i * (m + 1) + j; };
  reach[at(0, 0)] = 1;
  for (std::size_t i = 0; i <= n; ++i)
    for (std::size_t j = 0; j <= m; ++j) {
      if (!reach[at(i, j)]) continue;
      if (i < n && j < m && before[i] == after[j]) reach[at(i + 1, j + 1)] = 1;
      if (i < n && Droppable(before[i])) reach[at(i + 1, j)] = 1;
      if (j < m && Added(after[j])) reach[at(i, j + 1)] = 1;
    }
  return reach[at(n, m)] != 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Under TMPDIR: a tmpfs there spares the disk the pass's fsync per input.
  const char* tmp = std::getenv("TMPDIR");
  std::string root =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/brimvel-fuzz-XXXXXX";
  if (mkdtemp(root.data()) == nullptr) Fatal("mkdtemp");
  std::string work = root + "/work";
  if (mkdir(work.c_str(), 0755) != 0 || chdir(work.c_str()) != 0) Fatal("scratch directory");
  mkdir("sub", 0755);
  for (const char* name : {"a.zip", "b.txt", "c d.dat", ".hidden", "sub/e.zip", "sub/F.ZIP"})
    if (!WriteWhole(name, "payload\n")) Fatal("scratch files");
  // The run's console lines are of no interest; libFuzzer reports on stderr.
  int null = open("/dev/null", O_WRONLY);
  if (null >= 0) dup2(null, 1);
  RegisterExitProcedure(RunEnded);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  Deface(text, "POSTPROG");
  Deface(text, "-DELETE");
  text = kHeader + text;
  if (!WriteWhole("brimvel.cfg", text) || !WriteWhole("before.cfg", text)) Fatal("write");

  TakeIoError();
  RunContext run;
  run.forced = true;           // the day marker is not part of the pass
  run.log.unavailable = true;  // console only
  run.log.banner = kBanner;
  BindFile(run.configFile, run.configName.view());
  OpenRead(run.configFile);
  if (TakeIoError() != 0) Fatal("cannot open the configuration");
  if (ConfigPass(run) != PassResult::kDone) Fatal("the pass refused its own configuration");
  // The new configuration stays open (and locked) until the process ends;
  // here the next input's run must find it free.
  CloseText(run.tempFile);
  TakeIoError();

  if (!Explains(ReadLines("before.cfg"), ReadLines("brimvel.cfg")))
    Fatal("the rewritten configuration gained, lost or changed a line");
  unlink("brimvel.cfg");
  unlink("before.cfg");
  return 0;
}
