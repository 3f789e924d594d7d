// Handing files over, in process: the post program is a RecordingRunner, the
// files and the new configuration live in a MemoryFileSystem, and the log
// goes to a console file whose lines are compared without their stamps.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "hatch/directory_entry.h"
#include "hatch/file_entry.h"
#include "hatch/hatch_command.h"
#include "support/fakes.h"

namespace brimvel {
namespace {

using Lines = std::vector<std::string>;
using testing::At;
using testing::RecordingRunner;

constexpr std::size_t kStampSize = 19;  // " 09.12.26 06:00:00 "

class HatchTest : public ::testing::Test {
 protected:
  HatchTest() {
    console_.OpenNew();
    log_.ConsoleOnly();
    out_.OpenNew();
    area_.name = "INFO";
    settings_.postProg = "/bin/post @File";
  }

  // The log's lines since the last call, without their stamps.
  Lines LogLines() {
    console_.Flush();
    std::istringstream in(fs_.Contents("<console>").substr(logRead_));
    logRead_ = fs_.Contents("<console>").size();
    Lines lines;
    for (std::string line; std::getline(in, line);)
      lines.push_back(line.size() >= kStampSize ? line.substr(kStampSize) : line);
    return lines;
  }
  // The parameter texts the post program was started with.
  Lines Calls() const {
    Lines calls;
    for (const auto& call : runner_.calls) calls.push_back(call.parameters);
    return calls;
  }
  static std::string Joined(const Lines& lines) {
    std::string joined;
    for (const std::string& line : lines) joined += (joined.empty() ? "" : " ") + line;
    return joined;
  }
  // The entries, given their line's text as the block gives it.
  EntryResult Scan(const HatchContext& context, std::string_view entry, const SkipList& skips,
                   BlockTotals& totals) {
    return ScanDirectory(context, ParseEntry(entry), skips, totals, area_);
  }
  EntryResult Scan(std::string_view entry, BlockTotals& totals,
                   const SkipList& skips = SkipList()) {
    return Scan(context_, entry, skips, totals);
  }
  EntryResult FileEntry(std::string_view entry, BlockTotals& totals) {
    return HatchFileEntry(context_, ParseEntry(entry), totals, area_);
  }
  static std::string Recorded(const EntryResult& result) { return Joined(result.recorded); }

  MemoryFileSystem fs_;
  RecordingRunner runner_;
  FixedClock clock_{At(2026, 12, 9)};
  TextWriter console_{fs_, "<console>"};
  RunLog log_{console_, clock_, "Brimvel"};
  TextWriter out_{fs_, "new.cfg"};
  HatchSettings settings_;
  HatchContext context_{fs_, runner_, log_, out_, settings_};
  AreaRecord area_;
  EntryOptions options_;
  std::size_t logRead_ = 0;
};

TEST_F(HatchTest, HatchFileDeletesOnlyAfterTheProgramSucceeded) {
  constexpr HandOver kDone = HandOver::kDone, kFailed = HandOver::kFailed,
                     kNotStarted = HandOver::kNotStarted;
  struct Case {
    const char* what;
    int startError, exitCode;
    bool deleteFile, dryRun;
    HandOver result;
    Lines log;  // after the "Executing" line
  };
  const std::string exit3 = "[err]  -> /bin/post ended with exit code 3";
  const std::string kept = "[err]  -> File out/A.ZIP kept, its hand-over failed";
  const std::string notFound = "[err]  -> File /bin/post not found";
  const std::string denied = "[err]  -> Access to file /bin/post denied";
  const Case cases[] = {
      {"success, -DELETE", 0, 0, true, false, kDone, {" -> Deleting file out/A.ZIP"}},
      {"success", 0, 0, false, false, kDone, {}},
      {"exit code 3, -DELETE", 0, 3, true, false, kFailed, {exit3, kept}},
      {"exit code 3", 0, 3, false, false, kFailed, {exit3}},
      {"missing program, -DELETE", kFileNotFound, 0, true, false, kNotStarted, {notFound, kept}},
      {"program may not run", kAccessDenied, 0, false, false, kNotStarted, {denied}},
      {"dry run, -DELETE", 0, 0, true, true, kDone, {" -> Would delete file out/A.ZIP"}},
  };
  settings_.postProg = "/bin/post @Area @File";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs_.AddFile("out/A.ZIP", "data");
    runner_.calls.clear();
    runner_.startErrors.clear();
    if (c.startError != 0) runner_.startErrors["/bin/post"] = c.startError;
    runner_.exitCode = c.exitCode;
    settings_.dryRun = c.dryRun;
    options_.deleteFile = c.deleteFile;
    EXPECT_EQ(HatchFile(context_, "out/A.ZIP", area_, options_), c.result);
    const bool deleted = c.deleteFile && !c.dryRun && c.result == kDone;
    EXPECT_EQ(fs_.Exists("out/A.ZIP"), !deleted);
    Lines log = {(c.dryRun ? "Would execute" : "Executing") +
                 std::string(" /bin/post INFO out/A.ZIP")};
    log.insert(log.end(), c.log.begin(), c.log.end());
    EXPECT_EQ(LogLines(), log);
    const bool started = !c.dryRun && c.startError == 0;
    EXPECT_EQ(runner_.calls.size(), started ? 1u : 0u);
    if (started) {
      EXPECT_EQ(runner_.calls[0].program, "/bin/post");
      EXPECT_EQ(runner_.calls[0].parameters, "INFO out/A.ZIP");
    }
  }
}

TEST_F(HatchTest, PathWithBlanksIsOneArgumentAndTheOnlyFileDeleted) {
  fs_.AddFile("out/my file.zip", "data");
  fs_.AddFile("out/my", "another file");
  options_.deleteFile = true;
  EXPECT_EQ(HatchFile(context_, "out/my file.zip", area_, options_), HandOver::kDone);
  EXPECT_EQ(Calls(), Lines{"\"out/my file.zip\""});
  EXPECT_EQ(fs_.Names(), (Lines{"<console>", "new.cfg", "out/my"}));
}

// A command is never cut: it runs and is logged whole up to the platform's
// limit; beyond it, nothing starts and the file stays.
TEST_F(HatchTest, CommandRunsWholeOrNotAtAll) {
  const std::string path = "out/" + std::string(246, 'n');  // 250 characters
  const std::string desc(150, 'd');
  settings_.postProg = "/bin/post @File @Area @Desc";
  options_.desc = desc;
  options_.deleteFile = true;
  const std::string command = "/bin/post " + path + " INFO " + desc;
  for (std::size_t limit : {command.size(), command.size() - 1}) {
    SCOPED_TRACE(limit);
    fs_.AddFile(path, "data");
    runner_.calls.clear();
    runner_.commandLimit = limit;
    const bool fits = limit == command.size();
    EXPECT_EQ(HatchFile(context_, path, area_, options_),
              fits ? HandOver::kDone : HandOver::kNotRun);
    EXPECT_EQ(LogLines().front(), "Executing " + command);
    EXPECT_EQ(Calls(), fits ? Lines{path + " INFO " + desc} : Lines{});
    EXPECT_EQ(fs_.Exists(path), !fits) << "a file never handed over was deleted";
  }
}

// The block's files in the order the file system lists them, with sizes
// that let a later small file fit where a larger one did not.
class EntryTest : public HatchTest {
 protected:
  EntryTest() {
    fs_.AddFile("out/a.zip", std::string(10, 'a'));
    fs_.AddFile("out/b.zip", std::string(30, 'b'));
    fs_.AddFile("out/c.zip", std::string(5, 'c'));
    fs_.AddFile("out/readme.txt", "r");
  }
};

TEST_F(EntryTest, ScanDirectoryHandsOverWhatTheSkipsAndLimitsAllow) {
  struct Case {
    const char* what;
    std::string entry;
    std::int32_t countLimit, sizeLimit;
    Lines skips;
    std::int32_t countBefore;  // handed over by the block's earlier entries
    std::string files;         // the names handed over
    std::int32_t heldBack;
  };
  const Case cases[] = {
      {"no limits", "out/*.zip", 0, 0, {}, 0, "a.zip b.zip c.zip", 0},
      {"the count", "out/*.zip", 2, 0, {}, 0, "a.zip b.zip", 1},
      // 10 fits, 10 + 30 does not, 10 + 5 fills the limit exactly.
      {"the size", "out/*.zip", 0, 15, {}, 0, "a.zip c.zip", 1},
      {"-ANYSIZE", "out/*.zip -ANYSIZE", 0, 15, {}, 0, "a.zip b.zip c.zip", 0},
      {"-ANYCOUNT", "out/*.zip -ANYCOUNT", 1, 0, {}, 0, "a.zip b.zip c.zip", 0},
      {"skipped files are not held back", "out/*.zip", 0, 0, {"B.ZIP"}, 0, "a.zip c.zip", 0},
      {"the block's earlier entries count", "out/*.zip", 3, 0, {}, 2, "a.zip", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    runner_.calls.clear();
    out_.OpenNew();
    area_.countLimit = c.countLimit;
    area_.sizeLimit = c.sizeLimit;
    SkipList skips;
    for (const std::string& name : c.skips) skips.Add(name);
    BlockTotals totals;
    totals.hatchedCount = c.countBefore;
    EntryResult result = Scan(c.entry, totals, skips);

    std::string paths;
    std::int64_t bytes = 0;
    std::istringstream names(c.files);
    for (std::string name; names >> name;) {
      paths += (paths.empty() ? "out/" : " out/") + name;
      bytes += static_cast<std::int64_t>(fs_.Contents("out/" + name).size());
    }
    EXPECT_EQ(Joined(Calls()), paths);
    EXPECT_EQ(Recorded(result), c.files);
    EXPECT_EQ(result.handedOver, static_cast<std::int32_t>(runner_.calls.size()));
    EXPECT_EQ(result.bytes, bytes);
    EXPECT_EQ(result.heldBack, c.heldBack);
    EXPECT_EQ(totals.hatchedCount, c.countBefore + result.handedOver);
    EXPECT_EQ(totals.hatchedBytes, bytes);
  }
}

// A skip line passes over the file it names exactly; its looser forms
// (another case, the blanks before the name) only while no other name of
// the listing shares them. Case folds for ASCII letters only here.
TEST_F(HatchTest, SkipLinesPassOverTheirOwnFileOnly) {
  struct Case {
    const char* what;
    Lines listing, skips, handedOver;
  };
  const Case cases[] = {
      {"the exact name", {"REPORT.TXT", "report.txt"}, {"REPORT.TXT"}, {"report.txt"}},
      {"another case, alone", {"A.ZIP"}, {"a.zip"}, {}},
      {"another case, shared", {"A.ZIP", "a.zip"}, {"a.Zip"}, {"A.ZIP", "a.zip"}},
      {"one blank, alone", {"a.zip"}, {" a.zip"}, {}},
      {"one blank, shared", {" a.zip", "a.zip"}, {" a.zip"}, {"a.zip"}},
      {"UTF-8 is not folded", {"\xC3\xA9.txt"}, {"\xC3\x89.txt"}, {"\xC3\xA9.txt"}},
  };
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string directory = "t" + std::to_string(++row) + "/";
    for (const std::string& name : c.listing) fs_.AddFile(directory + name, "x");
    SkipList skips;
    for (const std::string& name : c.skips) skips.Add(name);
    BlockTotals totals;
    EXPECT_EQ(Scan(directory + "*", totals, skips).recorded, c.handedOver);
  }
}

TEST_F(EntryTest, ScanDirectoryLogsHowTheSearchEnded) {
  fs_.AddFile("locked/a.zip", "x");
  fs_.FailDirectory("locked", kAccessDenied);
  struct Case {
    std::string mask;
    int code;
    Lines end;  // the last lines of the log
  };
  // A directory that is gone or unreadable today may be back tomorrow: its
  // entry stays, and the log says so.
  const Case cases[] = {
      {"out/*.zip", 0, {" <- scanning stop: No more files"}},
      {"out/*.arj", kFileNotFound, {" <- scanning stop: File out/*.arj not found"}},
      {"in/*.zip",
       kPathNotFound,
       {" <- scanning stop: Path to file in/*.zip not found",
        "[err] Entry DIRECTORY in/*.zip kept: Path to file in/*.zip not found"}},
      {"locked/*",
       kAccessDenied,
       {" <- scanning stop: Access to file locked/* denied",
        "[err] Entry DIRECTORY locked/* kept: Access to file locked/* denied"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    BlockTotals totals;
    EntryResult result = Scan(c.mask, totals);
    EXPECT_EQ(result.searchCode, c.code);
    const Lines log = LogLines();
    ASSERT_GE(log.size(), c.end.size());
    EXPECT_EQ(Lines(log.end() - static_cast<std::ptrdiff_t>(c.end.size()), log.end()), c.end);
  }
}

TEST_F(EntryTest, ScanDirectoryPassesOverNamesItCannotHandOver) {
  fs_.AddFile("in/bad\x01name.zip", "x");
  fs_.AddFile("in/quote\".zip", "x");
  fs_.AddFile("in/" + std::string(253, 'l'), "x");
  fs_.AddFile("in/ blank.zip", "x");
  fs_.AddFile("in/ok.zip", "x");
  BlockTotals totals;
  EntryResult result = Scan("in/*", totals);
  EXPECT_EQ(Calls(), (Lines{"\"in/ blank.zip\"", "in/ok.zip"}));
  EXPECT_EQ(result.recorded, (Lines{" blank.zip", "ok.zip"}));
  EXPECT_EQ(result.handedOver, 2);
  EXPECT_EQ(result.heldBack, 0);
  const std::string log = fs_.Contents("<console>");
  EXPECT_EQ(log.find('\x01'), std::string::npos) << "a control byte reached the log";
  std::size_t refused = 0;
  for (const std::string& line : LogLines())
    if (line.rfind("[err] ", 0) == 0) ++refused;
  EXPECT_EQ(refused, 3u);
}

TEST_F(HatchTest, WhereNamesIgnoreCaseThePathIsUpperCased) {
  MemoryFileSystem fs;
  fs.SetNamesIgnoreCase(true);
  fs.AddFile("out/a.zip", "a");
  TextWriter out(fs, "new.cfg");
  ASSERT_EQ(out.OpenNew(), 0);
  HatchContext context{fs, runner_, log_, out, settings_};
  BlockTotals totals;
  EntryResult result = Scan(context, "out/*.zip -DELETE", SkipList(), totals);
  EXPECT_EQ(Calls(), Lines{"OUT/A.ZIP"});
  EXPECT_FALSE(fs.Exists("out/a.zip"));
  // The skip line keeps the name as found.
  EXPECT_EQ(result.recorded, Lines{"a.zip"});
}

TEST_F(EntryTest, ScanDirectoryStopsWhenTheNewConfigurationFails) {
  fs_.SetWriteBudget(0);
  out_.WriteLine("lost");
  ASSERT_EQ(out_.Flush(), kDiskFull);
  fs_.SetWriteBudget(-1);
  BlockTotals totals;
  EntryResult result = Scan("out/*.zip", totals);
  EXPECT_EQ(result.outputError, kDiskFull);
  // Nothing goes out that could not be recorded.
  EXPECT_EQ(Calls(), Lines{});
}

TEST_F(EntryTest, HatchFileEntryFindsItsFilesOrStandsInForThem) {
  struct Case {
    const char* what;
    std::string entry;
    std::int32_t countLimit, countBefore;
    std::string files;  // the paths handed over
    std::int32_t heldBack;
    int searchCode;
    Lines searchLog;  // the log's first lines when the search failed
  };
  const std::string aborting = "Error while searching for out/x.zip, aborting...";
  const std::string going = "Error while searching for out/x.zip, but we'll continue..";
  // A directory that is gone today may be back tomorrow: its entry stays.
  const Lines noDirectory = {"Error while searching for in/x.zip, aborting...",
                             "[err] Entry FILE in/x.zip kept: Path to file in/x.zip not found"};
  const Case cases[] = {
      {"one file", "out/a.zip", 0, 0, "out/a.zip", 0, 0, {}},
      {"a mask takes every match", "out/*.zip", 0, 0, "out/a.zip out/b.zip out/c.zip", 0, 0, {}},
      {"within the count", "out/*.zip", 3, 1, "out/a.zip out/b.zip", 1, 0, {}},
      {"-HIDDEN takes the first file found", "out/*.zip -HIDDEN", 0, 0, "out/a.zip", 0, 0, {}},
      {"a missing file", "out/x.zip", 0, 0, "", 0, kFileNotFound, {aborting}},
      {"a missing directory", "in/x.zip", 0, 0, "", 0, kPathNotFound, noDirectory},
      // -HIDDEN: the mask is handed over as it is written.
      {"missing, -HIDDEN", "out/x.zip -HIDDEN", 0, 0, "out/x.zip", 0, kFileNotFound, {going}},
      {"missing, -HIDDEN, no count left", "out/x.zip -HIDDEN", 1, 1, "", 1, kFileNotFound, {going}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    runner_.calls.clear();
    area_.countLimit = c.countLimit;
    BlockTotals totals;
    totals.hatchedCount = c.countBefore;
    EntryResult result = FileEntry(c.entry, totals);
    EXPECT_EQ(Joined(Calls()), c.files);
    EXPECT_EQ(result.handedOver, static_cast<std::int32_t>(runner_.calls.size()));
    EXPECT_EQ(result.heldBack, c.heldBack);
    EXPECT_EQ(result.searchCode, c.searchCode);
    const Lines log = LogLines();
    ASSERT_GE(log.size(), c.searchLog.size());
    EXPECT_EQ(Lines(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(c.searchLog.size())),
              c.searchLog);
  }
}

// Both kinds of entry count a hand-over by how its program went; one that
// never started handed nothing over, so it is neither counted against the
// limits nor recorded, and its file stays.
TEST_F(EntryTest, EntriesCountHowEachHandOverWent) {
  struct Case {
    const char* what;
    int startError, exitCode;
    std::int32_t handedOver, notStarted, failed;
    bool kept;
  };
  const Case cases[] = {
      {"success", 0, 0, 1, 0, 0, false},
      {"nonzero exit", 0, 3, 1, 0, 1, true},
      {"not started", kFileNotFound, 0, 0, 1, 0, true},
  };
  using Work = std::function<EntryResult(BlockTotals&)>;
  const std::pair<const char*, Work> entries[] = {
      {"DIRECTORY", [this](BlockTotals& totals) { return Scan("out/a*.zip -DELETE", totals); }},
      {"FILE", [this](BlockTotals& totals) { return FileEntry("out/a.zip -DELETE", totals); }},
  };
  for (const auto& [kind, work] : entries) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(kind) + ": " + c.what);
      fs_.AddFile("out/a.zip", std::string(10, 'a'));
      out_.OpenNew();
      runner_.startErrors.clear();
      if (c.startError != 0) runner_.startErrors["/bin/post"] = c.startError;
      runner_.exitCode = c.exitCode;
      area_.countLimit = 1;
      BlockTotals totals;
      EntryResult result = work(totals);
      EXPECT_EQ(result.handedOver, c.handedOver);
      EXPECT_EQ(result.bytes, 10 * c.handedOver);
      EXPECT_EQ(result.notStarted, c.notStarted);
      EXPECT_EQ(result.failed, c.failed);
      EXPECT_EQ(totals.hatchedCount, c.handedOver);
      EXPECT_EQ(totals.hatchedBytes, 10 * c.handedOver);
      EXPECT_EQ(fs_.Exists("out/a.zip"), c.kept);
      const bool recorded = std::string(kind) == "DIRECTORY" && c.handedOver > 0;
      EXPECT_EQ(Recorded(result), recorded ? "a.zip" : "");
    }
  }
}

TEST_F(EntryTest, AnInterruptionStopsBeforeTheNextFile) {
  bool stop = false;
  runner_.onCall = [&stop](const RecordingRunner::Call&) { stop = true; };
  context_.interruption = [&stop] { return stop ? 15 : 0; };
  BlockTotals totals;
  EntryResult result = Scan("out/*.zip", totals);
  EXPECT_TRUE(result.interrupted);
  EXPECT_EQ(Calls(), Lines{"out/a.zip"});
  EXPECT_EQ(Recorded(result), "a.zip") << "the file handed over is recorded";

  result = FileEntry("out/*.zip", totals);
  EXPECT_TRUE(result.interrupted);
  EXPECT_EQ(Calls(), Lines{"out/a.zip"});
  result = FileEntry("out/x.zip -HIDDEN", totals);
  EXPECT_TRUE(result.interrupted);
  EXPECT_EQ(Calls(), Lines{"out/a.zip"});
}

}  // namespace
}  // namespace brimvel
