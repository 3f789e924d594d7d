// TextToNumber against the rules of the configuration language's numbers,
// written out independently: blanks, a sign, "$" for hexadecimal, digits
// only, decimal magnitude at most 2147483647, hexadecimal at most $FFFFFFFF.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "support/string_utils.h"

namespace {

struct Expected {
  bool ok = false;
  std::int32_t value = 0;
  int badPosition = 0;  // 1-based position of the first bad character, 0 when none
};

int DigitValue(unsigned char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

Expected Reference(std::string_view text) {
  Expected e;
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return e;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  bool hex = i < text.size() && text[i] == '$';
  if (hex) ++i;
  if (i == text.size()) return e;
  unsigned __int128 magnitude = 0;
  bool tooBig = false;
  for (; i < text.size(); ++i) {
    int digit = DigitValue(static_cast<unsigned char>(text[i]), hex);
    if (digit < 0) {
      if (!tooBig) e.badPosition = static_cast<int>(i + 1);
      return e;
    }
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<unsigned>(digit);
    if (magnitude > (hex ? 0xFFFFFFFFu : 2147483647u)) {
      tooBig = true;
      magnitude = 0xFFFFFFFFFFull;  // stays too big without overflowing
    }
  }
  if (tooBig) return e;
  e.ok = true;
  std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  e.value = static_cast<std::int32_t>(bits);
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 512) return 0;  // the language's numbers come from 255-character texts
  std::string_view text(reinterpret_cast<const char*>(data), size);
  int errorPos = -1;
  std::int32_t number = brimvel::TextToNumber(text, errorPos);
  Expected expected = Reference(text);
  if (expected.ok != (errorPos == 0)) std::abort();
  if (expected.ok && number != expected.value) std::abort();
  if (!expected.ok && (number != 0 || errorPos <= 0)) std::abort();
  if (expected.badPosition != 0 && errorPos != expected.badPosition) std::abort();
  return 0;
}
