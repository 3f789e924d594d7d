// TextToNumber on arbitrary texts, checked by properties a reader of the
// configuration relies on rather than by a second implementation:
// a failure reads as 0 with the position of the trouble; an accepted value
// reads back from its own decimal text; blanks in front change nothing;
// a letter glued behind an accepted text makes it fail.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "support/string_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using brimvel::TextToNumber;
  if (size > 512) return 0;  // the language's numbers come from 255-character texts
  std::string_view text(reinterpret_cast<const char*>(data), size);
  int errorPos = -1;
  std::int32_t number = TextToNumber(text, errorPos);
  Require(errorPos >= 0);
  if (errorPos != 0) {
    Require(number == 0);
    Require(static_cast<std::size_t>(errorPos) <= size + 1);
    return 0;
  }
  int again = -1;
  // The one value only hexadecimal can spell: its decimal magnitude is too big.
  if (number != INT32_MIN)
    Require(TextToNumber(std::to_string(number), again) == number && again == 0);
  Require(TextToNumber("  " + std::string(text), again) == number && again == 0);
  TextToNumber(std::string(text) + "x", again);
  Require(again != 0);
  return 0;
}
