// The check against the run: what the check says a run does with a line, a
// run over the same configuration must do.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace brimvel {
namespace {

using testing::FakeEnvironment;

const std::string kPost = "POSTPROG post @File @Area\n";

// A program, a file for each entry, the configuration; returns the check's
// findings, each as "line: text".
std::string CheckIn(FakeEnvironment& env, const std::string& config) {
  env.fs.AddFile("post",
                 "\x7F"
                 "ELF");
  for (const char* name : {"a", "b", "c", "x", "news/n1.zip"})
    env.fs.AddFile("in/" + std::string(name), "f");
  env.fs.AddFile("t.cfg", config);
  env.Run({"-CHECK", "-CFG", "t.cfg"});
  std::string findings = "\n" + env.Console();
  for (std::size_t at; (at = findings.find("\nt.cfg:")) != std::string::npos;)
    findings.erase(at + 1, 6);
  return findings;
}

bool Reports(const std::string& findings, int line, const std::string& phrase) {
  std::size_t at = findings.find("\n" + std::to_string(line) + ": ");
  for (; at != std::string::npos; at = findings.find("\n" + std::to_string(line) + ": ", at + 1))
    if (findings.substr(at, findings.find('\n', at + 1) - at).find(phrase) != std::string::npos)
      return true;
  return false;
}

TEST(ConfigCheckAgreementTest, WhatTheCheckSaysARunDoes) {
  const struct {
    std::string config;
    int line;                 // where the check reports
    std::string phrase;       // what it says there
    std::string neverCalled;  // so no call of the run holds this
    std::string called;       // while one does: the run worked
    bool dropped = false;     // and the run drops the line
  } verdicts[] = {
      {kPost + "AREA A DAILY\nFILE in/a\nEND\nFILE in/x\n", 5, "outside an area", "in/x", "in/a"},
      {kPost + "AREA A DAILY\nFILE\tin/x\nFILE in/a\nEND\n", 3, "tab separates", "in/x", "in/a"},
      {kPost + "AREA A DAILY\nFILE -STAY in/x\nFILE in/a\nEND\n", 3, "before the mask", "in/x",
       "in/a"},
      {kPost + "AREA A DAILY\nPOSTPROG other @File\nFILE in/a\nEND\n", 3, "is a remark", "other",
       "post in/a"},
      // A block that does not end swallows the AREA lines below it.
      {kPost +
           "AREA A WEEKLY 9\nEND \nAREA B DAILY\nFILE in/b\nEND\nAREA C DAILY\nFILE in/c\nEND\n",
       3, "does not end the block of area A", "in/b", "in/c"},
      {kPost + "AREA C DAILY\nFILE in/c\nEND\nAREA A WEEKLY 9\nAREA B DAILY\nFILE in/b\n", 5,
       "has no END line", "in/b", "in/c"},
      {kPost + "AREA ALPHA DAILY\nAREA BRAVO DAILY\nFILE in/b\nEND\n", 3, "opens no block", "BRAVO",
       "in/b ALPHA"},
      {kPost + "AREA A DAILY\nDIRECTORY in/news\nFILE in/a\nEND\n", 3, "names a directory", "news",
       "in/a", true},
      {kPost + "AREA A DAILY\nDIRECTORY in/news/\nFILE in/a\nEND\n", 3, "names a directory", "news",
       "in/a", true},
  };
  for (const auto& v : verdicts) {
    SCOPED_TRACE(v.config);
    FakeEnvironment env;
    std::string findings = CheckIn(env, v.config);
    EXPECT_TRUE(Reports(findings, v.line, v.phrase)) << findings;
    env.Run({"-D", "-CFG", "t.cfg"});
    std::string calls;
    for (const auto& call : env.runner.calls) calls += call.program + " " + call.parameters + "\n";
    EXPECT_EQ(calls.find(v.neverCalled), std::string::npos) << calls;
    EXPECT_NE(calls.find(v.called), std::string::npos) << calls;
    std::istringstream lines(v.config);
    std::string text;
    for (int i = 0; i < v.line; ++i) std::getline(lines, text);
    EXPECT_EQ(env.fs.Contents("t.cfg").find(text + "\n") == std::string::npos, v.dropped);
  }
}

// Every schedule once on an AREA line and once on a WHEN line: over every
// day of a year, a run works exactly the ones the check does not call
// never due.
TEST(ConfigCheckAgreementTest, WhatTheCheckCallsNeverDueIsNeverWorked) {
  const std::vector<std::string> schedules = {
      "DAILY ",      "DAILY 1",    "WEEKLEY",    "WEEKLY ",     "MONTHLY 1,15",
      "WEEKLY 7",    "MONTHLY 32", "MONTHLY 0",  "WEEKLY X",    "YEARLY 1,2",
      "WEEKLY\t3",   "",           "YEARLY 0",  // never due
      "DAILY",       "weekly",     "WEEKLY 0 6", "MONTHLY",     "MONTHLY 31",
      "MONTHLY 1 X", "MONTHLY $F", "YEARLY",     "YEARLY 2027", "WEEKLY 1 7"};
  const std::size_t n = schedules.size();
  std::string config = kPost;
  for (std::size_t i = 0; i < n; ++i)
    config += "AREA S" + std::to_string(i) + " " + schedules[i] + "\nFILE in/s" +
              std::to_string(i) + " -STAY\nEND\n";
  for (std::size_t i = 0; i < n; ++i)
    config += "AREA W" + std::to_string(i) + " DAILY\nWHEN " + schedules[i] + "\nFILE in/w" +
              std::to_string(i) + " -STAY\nEND\n";
  FakeEnvironment env;
  for (std::size_t i = 0; i < n; ++i) {
    env.fs.AddFile("in/s" + std::to_string(i), "s");
    env.fs.AddFile("in/w" + std::to_string(i), "w");
  }
  std::string findings = CheckIn(env, config);

  const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= days[month - 1]; ++day) {
      env.clock.Set(testing::At(2027, month, day));
      env.Run({"-D", "-CFG", "t.cfg"});
    }
  }
  std::set<std::string> worked;
  for (const auto& call : env.runner.calls)
    worked.insert(call.parameters.substr(0, call.parameters.find(' ')));
  for (std::size_t i = 0; i < 2 * n; ++i) {
    SCOPED_TRACE((i < n ? "AREA '" : "WHEN '") + schedules[i % n] + "'");
    int line = static_cast<int>(i < n ? 2 + 3 * i : 3 + 3 * n + 4 * (i - n));
    std::string file = (i < n ? "in/s" : "in/w") + std::to_string(i % n);
    EXPECT_NE(Reports(findings, line, "never due"), worked.count(file) > 0) << findings;
  }
}

}  // namespace
}  // namespace brimvel
