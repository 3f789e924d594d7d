#pragma once

// The fixture of the configuration check tests: a scratch directory with a
// runnable post program, and a check that must leave the configuration as
// it found it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "run/config_check.h"
#include "support/io_error.h"
#include "support/scratch_dir.h"
#include "support/text_file.h"

namespace brimvel::testing {

// One expected finding: its line number and a phrase of its text.
struct Finding {
  int line;
  std::string phrase;
};

struct Case {
  const char* what;
  std::string config;  // "{dir}" stands for the scratch directory
  std::vector<Finding> findings;
};

// A sound start for a configuration: a runnable program and an open block.
inline const std::string kHead = "POSTPROG {dir}/post @File @Area\nAREA NEWS DAILY\n";

inline std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
    text.replace(at, from.size(), to), at += to.size();
  return text;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

class ConfigCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TakeIoError();
    // The test program itself is a program every platform can start.
    std::filesystem::copy_file(::testing::internal::GetArgvs()[0], dir_.Path("post"));
    std::filesystem::permissions(dir_.Path("post"), std::filesystem::perms::owner_all);
    dir_.Write("plain", "not a program\n");
    dir_.MakeDirectory("out");
    dir_.MakeDirectory("out-stay");
  }

  // Checks the configuration; returns the output lines and the count.
  std::vector<std::string> Check(const std::string& config, int& count) {
    const std::string name = dir_.Write("t.cfg", Replace(config, "{dir}", dir_.Path()));
    return CheckFile(name, count);
  }

  std::vector<std::string> CheckFile(const std::string& name, int& count) {
    const std::string before = ReadBytes(name);
    TextFile out;
    BindFile(out, dir_.Path("findings.txt"));
    OpenNew(out);
    count = CheckConfiguration(name, out);
    CloseText(out);
    EXPECT_EQ(TakeIoError(), 0);
    EXPECT_EQ(ReadBytes(name), before) << "the check changed the configuration";
    EXPECT_FALSE(dir_.Exists("brimvel.tmp"));
    return Lines(dir_.Read("findings.txt"));
  }

  void ExpectFindings(const Case& c) {
    SCOPED_TRACE(c.what);
    int count = -1;
    std::vector<std::string> lines = Check(c.config, count);
    ASSERT_EQ(lines.size(), c.findings.size() + 1) << ::testing::PrintToString(lines);
    EXPECT_EQ(count, static_cast<int>(c.findings.size()));
    for (std::size_t i = 0; i < c.findings.size(); ++i) {
      std::string prefix = dir_.Path("t.cfg") + ":" + std::to_string(c.findings[i].line) + ": ";
      EXPECT_EQ(lines[i].rfind(prefix, 0), 0u) << lines[i];
      EXPECT_NE(lines[i].find(c.findings[i].phrase), std::string::npos) << lines[i];
    }
    EXPECT_EQ(lines.back(), c.findings.empty() ? "no findings"
                            : c.findings.size() == 1
                                ? "1 finding"
                                : std::to_string(c.findings.size()) + " findings");
  }

  ScratchDir dir_;
};

}  // namespace brimvel::testing
