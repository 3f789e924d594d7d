// The whole run over an arbitrary configuration text, in process: an
// in-memory file system holding a few files, a program starter that only
// records, a fixed clock. Nothing touches the disk or starts a process, so
// every input costs microseconds.
//
// Checked beyond the sanitizers: the run ends normally (a run-ending failure
// on a readable text is a finding), and the rewritten configuration is the
// old one with some DIRECTORY and FILE lines dropped and "Skip" lines (and
// FILE lines for files still waiting) added: nothing else gained, lost or
// changed. And -CHECK agrees with the run: every
// entry line it says the run keeps, drops or does not work is kept or
// dropped so. Input lines that begin with "+" name files of the tree (they
// stay in the configuration as remarks); every DIRECTORY and FILE line gets
// a tag of its own, so that each can be found again after the rewrite.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_check.h"
#include "fuzz_input.h"
#include "run/driver.h"
#include "support/memory_file_system.h"
#include "support/string_utils.h"
#include "support/text_reader.h"
#include "support/text_writer.h"

using namespace brimvel;

namespace {

constexpr const char* kHeader = "POSTPROG /bin/post @File @Area @Option @Desc @AppDesc\n";

void Fatal(const char* what) {
  std::fprintf(stderr, "fuzz_config_pass: %s\n", what);
  std::abort();
}

class QuietRunner final : public ProcessRunner {
 public:
  int RunAndWait(const std::string&, const std::string&, int& exitCode) override {
    exitCode = 0;
    return 0;
  }
  int CheckRunnable(const std::string&) override { return 0; }
};

std::vector<std::string> ReadLines(MemoryFileSystem& fs, const std::string& name) {
  std::vector<std::string> lines;
  TextReader file(fs, name);
  if (file.OpenRead() != 0) Fatal("cannot read a configuration back");
  std::string line, scratch;
  while (!file.AtEnd()) lines.emplace_back(file.ReadLine(line, scratch));
  return lines;
}

bool Droppable(std::string_view line) {
  const std::string keyword = UpperText(FirstWord(line.substr(0, kLineCapacity)));
  return keyword == "DIRECTORY" || keyword == "FILE";
}

// A skip line, or the line a FILE entry that gives way leaves for a file
// still waiting.
bool Added(std::string_view line) {
  return line.substr(0, 5) == "Skip " ||
         UpperText(FirstWord(line.substr(0, kLineCapacity))) == "FILE";
}

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

std::size_t Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

// The configuration text: the input, every entry line tagged with its
// number; the tree: the files the "+" lines name.
std::string Generate(std::string_view input, MemoryFileSystem& fs) {
  std::string text;
  for (std::size_t number = 1; !input.empty(); ++number) {
    std::string line(Part(input));
    bool cr = !line.empty() && line.back() == '\r';
    if (cr) line.pop_back();
    // A name the tree can hold: no control byte, not ending in a separator.
    if (line.size() > 1 && line.front() == '+' && line.back() != '/' &&
        std::none_of(line.begin(), line.end(), [](char c) { return c >= 0 && c < 0x20; }))
      fs.AddFile(line.substr(1), "payload\n");
    const std::string keyword = UpperText(FirstWord(line.substr(0, kLineCapacity)));
    if (keyword == "DIRECTORY" || keyword == "FILE") line += " #" + std::to_string(number);
    text += line + (cr ? "\r\n" : "\n");
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryFileSystem fs;
  // The log and the day marker stand there as after any earlier run.
  for (const char* name : {"a.zip", "b.txt", "c d.dat", ".hidden", "sub/e.zip", "sub/F.ZIP",
                           "brimvel.log", "EVERYDAY.FLG"})
    fs.AddFile(name, "payload\n");
  std::string text =
      kHeader + Generate(std::string_view(reinterpret_cast<const char*>(data), size), fs);
  fs.AddFile("brimvel.cfg", text);
  // The text as it was, kept apart: the configuration may delete anything
  // in its own file system.
  MemoryFileSystem kept;
  kept.AddFile("before.cfg", text);
  MemoryFileSystem terminal;
  TextWriter console(terminal, "console");
  TextWriter errors(terminal, "errors");
  console.OpenDiscard();
  errors.OpenDiscard();
  QuietRunner runner;
  FixedClock clock(LocalTime{2026, 12, 9, 6, 0, 0, 0});
  RunEnvironment env{fs, runner, clock, console, errors};
  const CheckOutcome check = CheckConfiguration(fs, runner, clock, "brimvel.cfg", console);
  // -D: the day marker is not part of the pass.
  if (RunMain(env, {"-D"}) != 0) Fatal("the run failed on its own configuration");
  const std::vector<std::string> before = ReadLines(kept, "before.cfg");
  const std::vector<std::string> after = ReadLines(fs, "brimvel.cfg");
  if (!Explains(before, after)) Fatal("the rewritten configuration gained, lost or changed a line");
  for (const EntryVerdict& verdict : check.verdicts) {
    const std::string& line = before.at(static_cast<std::size_t>(verdict.line - 1));
    if (Count(before, line) != 1) continue;  // a tag cut off behind a Ctrl-Z
    if (Count(after, line) != (verdict.fate == EntryFate::kDropped ? 0u : 1u)) {
      std::fprintf(stderr, "line %d, fate %d: %s\n", verdict.line, static_cast<int>(verdict.fate),
                   line.c_str());
      Fatal("-CHECK said otherwise of a line than the run did with it");
    }
  }
  return 0;
}
