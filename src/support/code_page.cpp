#include "support/code_page.h"

namespace brimvel {

std::string TerminalTitle(std::string_view title) {
  std::string out(title);
  for (char& c : out) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) c = ' ';
  }
  return out;
}

char OemToTitleChar(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  if (b < 0x80) return c;
  if (b <= 0xAF) return static_cast<char>(b + 0x40);
  if (b <= 0xDF) {
    if (b == 0xB3 || b == 0xB4 || b == 0xC3) return '|';
    if (b == 0xC4) return '-';
    return ' ';
  }
  if (b <= 0xEF) return static_cast<char>(b + 0x10);
  if (b == 0xF0) return static_cast<char>(0xA8);
  if (b == 0xF1) return static_cast<char>(0xB8);
  if (b == 0xFE) return ' ';
  return c;
}

std::string OemToTitleText(std::string_view text) {
  std::string mapped(text);
  for (char& c : mapped) c = OemToTitleChar(c);
  return mapped;
}

}  // namespace brimvel
