#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/platform.h"
#include "support/text_file.h"

namespace brimvel::testing {

// Sends what the program writes to its console into a file while it lives.
class ConsoleToFile {
 public:
  explicit ConsoleToFile(const std::string& path) {
    EXPECT_EQ(platform::OpenFile(path, platform::OpenKind::kCreateAlways, handle_), 0) << path;
    saved_ = ConsoleOutput().handle;
    ConsoleOutput().handle = handle_;
  }
  ~ConsoleToFile() {
    ConsoleOutput().handle = saved_;
    platform::CloseFile(handle_);
  }
  ConsoleToFile(const ConsoleToFile&) = delete;
  ConsoleToFile& operator=(const ConsoleToFile&) = delete;

 private:
  platform::Handle handle_ = platform::kNoHandle;
  platform::Handle saved_ = platform::kNoHandle;
};

}  // namespace brimvel::testing
