// The configuration pass and its area blocks, run in process over an
// in-memory file system: what the new configuration holds, which programs
// ran, and how a run steps aside for another.
#include "config/config_pass.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace brimvel {
namespace {

using testing::At;
using testing::FakeEnvironment;
using testing::WrittenAt;

std::vector<std::string> CallFiles(const testing::RecordingRunner& runner) {
  std::vector<std::string> files;
  for (const auto& call : runner.calls) files.push_back(call.parameters);
  return files;
}

struct PassCase {
  const char* name;
  std::string config;
  std::vector<std::string> files;
  std::string expected;            // the configuration after the run
  std::vector<std::string> calls;  // the post program's parameter texts
};

TEST(ConfigPassTest, RewritesTheConfigurationAsTheRunWorks) {
  const std::string head = "POSTPROG /bin/post @File\nAREA NEWS DAILY\n";
  const PassCase cases[] = {
      {"lines outside blocks and a block not due are copied as they are",
       "remark\n\nAREA OLD WEEKLY 9\nDIRECTORY out/*\nSkip x\nEND\n",
       {"out/a"},
       "remark\n\nAREA OLD WEEKLY 9\nDIRECTORY out/*\nSkip x\nEND\n",
       {}},
      {"a directory entry records each file it hands over and stays",
       head + "DIRECTORY out/*\nEND\n",
       {"out/a", "out/b"},
       "POSTPROG /bin/post @File\nAREA NEWS DAILY\nSkip a\nSkip b\nDIRECTORY "
       "out/*\nEND\n",
       {"out/a", "out/b"}},
      {"another block's skip lines are not this block's",
       head + "DIRECTORY out/*\nEND\nAREA OTHER DAILY\nSkip b\nEND\n",
       {"out/a", "out/b"},
       "POSTPROG /bin/post @File\nAREA NEWS DAILY\nSkip a\nSkip b\nDIRECTORY out/*\n"
       "END\nAREA OTHER DAILY\nSkip b\nEND\n",
       {"out/a", "out/b"}},
      {"an entry that finds nothing new is dropped",
       head + "Skip a\nDIRECTORY out/*\nEND\n",
       {"out/a"},
       "POSTPROG /bin/post @File\nAREA NEWS DAILY\nSkip a\nEND\n",
       {}},
      {"a file another area deleted is gone for the rest of the run, though deleted after it",
       head + "DIRECTORY out/* -DELETE\nEND\nAREA OTHER DAILY\nDIRECTORY out/*\nEND\n",
       {"out/a"},
       "POSTPROG /bin/post @File\nAREA NEWS DAILY\nSkip a\nDIRECTORY out/* -DELETE\nEND\n"
       "AREA OTHER DAILY\nEND\n",
       {"out/a"}},
      {"a file entry is dropped once handed over, unless it stays",
       head + "FILE out/a\nFILE out/b -STAY\nEND\n",
       {"out/a", "out/b"},
       "POSTPROG /bin/post @File\nAREA NEWS DAILY\nFILE out/b -STAY\nEND\n",
       {"out/a", "out/b"}},
      {"a skip line before the WHEN that makes the block due still counts",
       "POSTPROG /bin/post @File\nAREA NEWS WEEKLY 9\nSkip a\nWHEN DAILY\nDIRECTORY out/*\nEND\n",
       {"out/a", "out/b"},
       "POSTPROG /bin/post @File\nAREA NEWS WEEKLY 9\nSkip a\nWHEN DAILY\nSkip b\n"
       "DIRECTORY out/*\nEND\n",
       {"out/b"}},
      {"a COUNT before the WHEN that makes the block due still limits it",
       "POSTPROG /bin/post @File\nAREA NEWS WEEKLY 9\nCOUNT 1\nWHEN DAILY\nDIRECTORY out/*\nEND\n",
       {"out/a", "out/b"},
       "POSTPROG /bin/post @File\nAREA NEWS WEEKLY 9\nCOUNT 1\nWHEN DAILY\nSkip a\n"
       "DIRECTORY out/*\nEND\n",
       {"out/a"}},
      {"COUNT holds files back for the next run",
       head + "COUNT 1\nDIRECTORY out/*\nEND\n",
       {"out/a", "out/b"},
       "POSTPROG /bin/post @File\nAREA NEWS DAILY\nCOUNT 1\nSkip a\nDIRECTORY "
       "out/*\nEND\n",
       {"out/a"}},
      {"a block without END runs to the end of the file and swallows later AREA lines",
       head + "DIRECTORY out/*\nAREA SECOND DAILY\nFILE out/b\n",
       {"out/a", "out/b"},
       "POSTPROG /bin/post @File\nAREA NEWS DAILY\nSkip a\nSkip b\nDIRECTORY out/*\n"
       "AREA SECOND DAILY\n",
       {"out/a", "out/b"}},
      {"a line longer than 255 characters comes back whole",
       "remark " + std::string(300, 'x') + "\n",
       {},
       "remark " + std::string(300, 'x') + "\n",
       {}},
  };
  // Each case twice: with LF lines and with CR LF lines, as a Windows
  // editor writes them; the new configuration keeps them, and lines that
  // mean nothing are copied over whole.
  for (const PassCase& c : cases) {
    for (bool crlf : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (crlf ? " (CR LF)" : " (LF)"));
      auto ended = [crlf](const std::string& text) {
        std::string out;
        for (char ch : text) crlf&& ch == '\n' ? out += "\r\n" : out += ch;
        return out;
      };
      FakeEnvironment env;
      env.fs.AddFile("brimvel.cfg", ended(c.config));
      for (const std::string& file : c.files) env.fs.AddFile(file, "data");
      ASSERT_EQ(env.Run({}), 0) << env.Console();
      EXPECT_EQ(env.fs.Contents("brimvel.cfg"), ended(c.expected));
      EXPECT_EQ(CallFiles(env.runner), c.calls);
      EXPECT_FALSE(env.fs.Exists("brimvel.tmp"));
    }
  }
}

TEST(ConfigPassTest, AMaskOverTheWorkingDirectoryNeverTakesTheRunsOwnConfiguration) {
  for (const char* entry : {"DIRECTORY * -DELETE", "FILE *.* -DELETE"}) {
    SCOPED_TRACE(entry);
    FakeEnvironment env;
    const std::string config =
        std::string("POSTPROG /bin/post @File\nAREA A DAILY\n") + entry + "\nEND\n";
    env.fs.AddFile("brimvel.cfg", config);
    env.fs.AddFile("a.zip", "a");
    ASSERT_EQ(env.Run({}), 0) << env.Console() << env.Errors();
    for (const auto& call : env.runner.calls) {
      EXPECT_NE(call.parameters, "brimvel.cfg");
      EXPECT_NE(call.parameters, "brimvel.tmp");
    }
    ASSERT_TRUE(env.fs.Exists("brimvel.cfg"));
    EXPECT_FALSE(env.fs.Exists("a.zip"));  // handed over and deleted
    EXPECT_EQ(env.fs.Contents("brimvel.cfg").find("Skip brimvel.cfg"), std::string::npos);
    EXPECT_EQ(env.fs.Contents("brimvel.cfg").find("Skip brimvel.tmp"), std::string::npos);
    EXPECT_NE(env.Console().find("brimvel.cfg is this run's own configuration, passed over"),
              std::string::npos);
  }
}

TEST(ConfigPassTest, AFailureToWriteLeavesTheConfigurationAsItWas) {
  const std::string config = "POSTPROG /bin/post @File\nAREA NEWS DAILY\nDIRECTORY out/*\nEND\n";
  struct Case {
    const char* name;
    std::function<void(MemoryFileSystem&)> arrange;
    int code;
  };
  const Case cases[] = {
      {"the disk fills while the new configuration is written",
       [](MemoryFileSystem& fs) { fs.SetWriteBudget(150); }, 112},
      {"the configuration is read-only",
       [](MemoryFileSystem& fs) { fs.SetReadOnly("brimvel.cfg"); }, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeEnvironment env;
    env.fs.AddFile("brimvel.cfg", config);
    env.fs.AddFile("out/a", std::string(100, 'a'));
    c.arrange(env.fs);
    EXPECT_EQ(env.Run({}), c.code);
    EXPECT_EQ(env.fs.Contents("brimvel.cfg"), config);
    EXPECT_NE(env.Errors().find("Runtime error " + std::to_string(c.code)), std::string::npos);
    EXPECT_FALSE(env.fs.Exists("EVERYDAY.FLG"));
  }
}

// A file system that lets another run step in at the moment this one opens
// its temporary file, before it holds the lock.
class SteppingInFileSystem : public MemoryFileSystem {
 public:
  std::function<void(MemoryFileSystem&)> atTempOpen;
  int Open(const std::string& name, OpenKind kind, Handle& handle) override {
    if (kind == OpenKind::kCreateLocked && atTempOpen) {
      auto step = std::move(atTempOpen);
      atTempOpen = nullptr;
      step(*this);
    }
    return MemoryFileSystem::Open(name, kind, handle);
  }
};

TEST(ConfigPassTest, ARunStepsAsideForAnotherThatWorksTheSameConfiguration) {
  const std::string config = "POSTPROG /bin/post @File\nAREA NEWS DAILY\nDIRECTORY out/*\nEND\n";
  struct Case {
    const char* name;
    std::function<void(MemoryFileSystem&)> other;
    const char* line;
  };
  const Case cases[] = {
      {"another run holds the temporary file",
       [](MemoryFileSystem& fs) {
         fs.AddFile("brimvel.tmp", "");
         fs.LockByOther("brimvel.tmp");
       },
       "is being worked by another run"},
      {"another run replaced the configuration after this one opened it",
       [](MemoryFileSystem& fs) { fs.AddFile("brimvel.cfg", "NEW\n"); },
       "is being worked by another run"},
      {"the run that replaced it still holds it",
       [](MemoryFileSystem& fs) { fs.LockByOther("brimvel.cfg"); },
       "is being worked by another run"},
      {"another run finished today's work meanwhile",
       [](MemoryFileSystem& fs) { fs.AddFile("EVERYDAY.FLG", "", WrittenAt(At(2026, 12, 9))); },
       "Already worked today"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SteppingInFileSystem fs;
    testing::RecordingRunner runner;
    FixedClock clock(At(2026, 12, 9));
    TextWriter console(fs, "<console>");
    TextWriter errors(fs, "<stderr>");
    console.OpenNew();
    errors.OpenNew();
    fs.AddFile("brimvel.cfg", config);
    fs.AddFile("out/a", "a");
    fs.atTempOpen = c.other;
    RunEnvironment env{fs, runner, clock, console, errors};
    EXPECT_EQ(RunMain(env, {}), 0);
    console.Flush();
    EXPECT_NE(fs.Contents("<console>").find(c.line), std::string::npos) << fs.Contents("<console>");
    EXPECT_TRUE(runner.calls.empty());
    // Whatever the configuration is now, it is not this run's rewrite.
    EXPECT_EQ(fs.Contents("brimvel.cfg").find("Skip"), std::string::npos);
  }
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

TEST(ConfigPassTest, AnEditSavedWhileTheRunWorksGetsTheRunsRecordOrIsLeftAlone) {
  const std::string head = "POSTPROG /bin/post @File\n";
  const std::string news = "AREA NEWS DAILY\nDIRECTORY out/*\nEND\n";
  struct Case {
    const char* name;
    std::string config;
    std::function<std::string(const std::string&)> edit;
    std::string expected;  // the configuration after the run; empty: the edit, left alone
  };
  const Case cases[] = {
      {"skip lines land in their own block, an edit elsewhere stays",
       head + "AREA OLD WEEKLY 9\nDIRECTORY out/*\nEND\n" + news,
       [](const std::string& c) { return "remark\n" + Replaced(c, "WEEKLY 9", "WEEKLY 8"); },
       "remark\n" + head + "AREA OLD WEEKLY 8\nDIRECTORY out/*\nEND\n" +
           "AREA NEWS DAILY\nSkip a\nSkip b\nDIRECTORY out/*\nEND\n"},
      {"a dropped entry is dropped, an entry added beside it stays",
       head + "AREA news DAILY\nFILE out/a\nEND\n",
       [](const std::string& c) { return Replaced(c, "END", "FILE out/c\nEND"); },
       head + "AREA news DAILY\nFILE out/c\nEND\n"},
      {"a FILE mask gives way to the files still waiting",
       head + "AREA NEWS DAILY\nCOUNT 1\nFILE out/*\nEND\n",
       [](const std::string& c) { return Replaced(c, "COUNT 1", "COUNT 2"); },
       head + "AREA NEWS DAILY\nCOUNT 2\nFILE out/b\nEND\n"},
      {"the entry was edited", head + news,
       [](const std::string& c) { return Replaced(c, "out/*", "out/*.zip"); }, ""},
      {"the entry stands twice in its block", head + news,
       [](const std::string& c) { return Replaced(c, "END", "DIRECTORY out/*\nEND"); }, ""},
      {"two changes of the run meet one line of the edit",
       head + "AREA NEWS DAILY\nDIRECTORY out/*\nDIRECTORY out/*\nEND\n",
       [](const std::string& c) { return Replaced(c, "DIRECTORY out/*\n", ""); }, ""},
      {"the area has two blocks", head + news, [&news](const std::string& c) { return c + news; },
       ""},
      {"the area is gone", head + news,
       [](const std::string& c) { return Replaced(c, "NEWS", "OTHER"); }, ""},
  };
  for (const Case& c : cases) {
    // Saved as an editor that renames its copy over the file does, and in place.
    for (bool inPlace : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (inPlace ? " (in place)" : " (renamed over)"));
      FakeEnvironment env;
      env.fs.AddFile("brimvel.cfg", c.config);
      env.fs.AddFile("out/a", "a");
      env.fs.AddFile("out/b", "b");
      const std::string edited = c.edit(c.config);
      env.runner.onCall = [&](const testing::RecordingRunner::Call&) {
        if (env.runner.calls.size() > 1) return;
        if (!inPlace) return env.fs.AddFile("brimvel.cfg", edited);
        env.fs.Find("brimvel.cfg")->data = edited;
        env.fs.Find("brimvel.cfg")->time += std::chrono::seconds{1};
      };
      const bool merges = !c.expected.empty();
      EXPECT_EQ(env.Run({}), merges ? 0 : 32) << env.Console();
      EXPECT_EQ(env.fs.Contents("brimvel.cfg"), merges ? c.expected : edited);
      EXPECT_EQ(env.fs.Exists("brimvel.cfg.unmerged"), !merges);
      EXPECT_EQ(env.Console().find("merged this run's") != std::string::npos, merges);
      EXPECT_FALSE(env.fs.Exists("brimvel.tmp") || env.fs.Exists("brimvel.cfg.merging"));
      EXPECT_EQ(env.fs.OpenHandles(), 0);
    }
  }
}

TEST(ConfigPassTest, TheNewConfigurationStaysLockedUntilTheRunEnds) {
  FakeEnvironment env;
  env.fs.AddFile("brimvel.cfg", "POSTPROG /bin/post @File\nAREA NEWS DAILY\nFILE a\nEND\n");
  env.fs.AddFile("a", "a");
  bool lockedWhileWorking = false;
  env.runner.onCall = [&env, &lockedWhileWorking](const testing::RecordingRunner::Call&) {
    lockedWhileWorking = env.fs.Find("brimvel.tmp")->lockedExclusive;
  };
  ASSERT_EQ(env.Run({}), 0);
  EXPECT_TRUE(lockedWhileWorking);
  EXPECT_EQ(env.fs.OpenHandles(), 0);
}

}  // namespace
}  // namespace brimvel
