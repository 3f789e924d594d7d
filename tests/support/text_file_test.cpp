#include "support/text_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/memory_file_system.h"
#include "support/text_reader.h"
#include "support/text_writer.h"

namespace brimvel {
namespace {

class TextFileTest : public ::testing::Test {
 protected:
  MemoryFileSystem fs_;
};

TEST_F(TextFileTest, OpenFailuresGiveTheFileSystemCode) {
  fs_.AddFile("plain.txt", "x");
  fs_.AddFile("locked/kept.txt", "x");
  fs_.FailDirectory("locked", kAccessDenied);
  struct Case {
    std::string name;
    int code;
  };
  const Case cases[] = {
      {"missing.txt", kFileNotFound},
      {"nodir/missing.txt", kPathNotFound},
      {"locked/kept.txt", kAccessDenied},
  };
  struct Opened {
    int code, error;
    bool open;
  };
  auto opened = [](const TextFile& f, int code) { return Opened{code, f.error(), f.open()}; };
  using Opener = std::function<Opened(const std::string&)>;
  const std::pair<const char*, Opener> openers[] = {
      {"OpenRead",
       [&](const std::string& name) {
         TextReader f(fs_, name);
         return opened(f, f.OpenRead());
       }},
      {"OpenAppend",
       [&](const std::string& name) {
         TextWriter f(fs_, name);
         return opened(f, f.OpenAppend());
       }},
  };
  for (const auto& c : cases) {
    for (const auto& [how, open] : openers) {
      SCOPED_TRACE(c.name + " by " + how);
      Opened file = open(c.name);
      EXPECT_EQ(file.code, c.code);
      EXPECT_EQ(file.error, c.code);
      EXPECT_FALSE(file.open);
    }
  }
  // Neither made a file.
  EXPECT_EQ(fs_.Names(), (std::vector<std::string>{"locked/kept.txt", "plain.txt"}));
  // A read-only file opens for reading, not for appending.
  fs_.SetReadOnly("plain.txt");
  TextReader reader(fs_, "plain.txt");
  EXPECT_EQ(reader.OpenRead(), 0);
  TextWriter writer(fs_, "plain.txt");
  EXPECT_EQ(writer.OpenAppend(), kAccessDenied);
}

TEST_F(TextFileTest, WrongStateGivesTheFileLayerCodes) {
  struct Case {
    const char* what;
    std::function<int(TextReader&, TextWriter&)> action;
    int code;
  };
  const Case cases[] = {
      {"read closed",
       [](TextReader& f, TextWriter&) {
         std::string line;
         std::string scratch;
         f.ReadLine(line, scratch);
         return f.error();
       },
       kNotOpenForInput},
      {"AtEnd closed",
       [](TextReader& f, TextWriter&) {
         f.AtEnd();
         return f.error();
       },
       kNotOpenForInput},
      {"seek closed", [](TextReader& f, TextWriter&) { return f.SeekTo(0); }, kNotOpenForInput},
      {"write a line closed", [](TextReader&, TextWriter& f) { return f.WriteLine("x"); },
       kNotOpenForOutput},
      {"write closed", [](TextReader&, TextWriter& f) { return f.Write("x"); }, kNotOpenForOutput},
      {"flush closed", [](TextReader&, TextWriter& f) { return f.Flush(); }, kNotOpen},
      {"close closed", [](TextReader&, TextWriter& f) { return f.Close(); }, kNotOpen},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs_.AddFile("f.txt", "data\r\n");
    TextReader reader(fs_, "f.txt");
    TextWriter writer(fs_, "f.txt");
    EXPECT_EQ(c.action(reader, writer), c.code);
    EXPECT_EQ(reader.error() + writer.error(), c.code) << "it sticks to the file it touched";
    EXPECT_EQ(fs_.Contents("f.txt"), "data\r\n");
  }
}

TEST_F(TextFileTest, TheFirstFailureSticks) {
  fs_.AddFile("in.txt", "first\nsecond\n");
  TextWriter out(fs_, "out.txt");
  ASSERT_EQ(out.OpenNew(), 0);
  out.WriteLine("kept");
  ASSERT_EQ(out.Flush(), 0);
  fs_.SetWriteBudget(4);
  out.WriteLine("lost");
  EXPECT_EQ(out.Flush(), kDiskFull);

  // With room again, nothing more is written, and every call answers 112.
  fs_.SetWriteBudget(-1);
  EXPECT_EQ(out.WriteLine("later"), kDiskFull);
  EXPECT_EQ(out.Write("later"), kDiskFull);
  EXPECT_EQ(out.Flush(), kDiskFull);
  EXPECT_EQ(out.Sync(), kDiskFull);
  EXPECT_EQ(out.ReplaceTo("final.txt"), kDiskFull);
  EXPECT_EQ(out.Close(), kDiskFull);
  EXPECT_EQ(out.error(), kDiskFull);
  EXPECT_EQ(fs_.Contents("out.txt"), "kept\n");
  EXPECT_FALSE(fs_.Exists("final.txt")) << "a failed file must not replace another";

  // A reader whose open failed gives nothing and answers the open's code.
  TextReader missing(fs_, "missing.txt");
  EXPECT_EQ(missing.OpenRead(), kFileNotFound);
  std::string line = "unchanged";
  std::string scratch;
  EXPECT_EQ(missing.ReadLine(line, scratch), "");
  EXPECT_EQ(line, "");
  EXPECT_TRUE(missing.AtEnd());
  EXPECT_EQ(missing.SeekTo(0), kFileNotFound);
  EXPECT_EQ(missing.error(), kFileNotFound);

  // Opening again starts clean.
  ASSERT_EQ(out.OpenAppend(), 0);
  out.WriteLine("again");
  EXPECT_EQ(out.Close(), 0);
  EXPECT_EQ(out.ReplaceTo("final.txt"), 0);
  EXPECT_EQ(out.name(), "final.txt");
  EXPECT_EQ(fs_.Contents("final.txt"), "kept\nagain\n");
}

}  // namespace
}  // namespace brimvel
