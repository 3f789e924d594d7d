#include "support/error_text.h"

#include <gtest/gtest.h>

#include <string>

namespace brimvel {
namespace {

// A code without words of its own must still tell the number and the file,
// or the log line says nothing an operator can act on.
TEST(ErrorTextTest, UnknownCodesNameTheNumberAndTheFile) {
  for (std::int32_t code : {32, 112, -1}) {
    const std::string text = ErrorText(code, "C:\\IN\\*.ZIP");
    EXPECT_NE(text.find(std::to_string(code)), std::string::npos) << text;
    EXPECT_NE(text.find("C:\\IN\\*.ZIP"), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace brimvel
