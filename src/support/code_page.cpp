#include "support/code_page.h"

#include <cstdint>

namespace brimvel {

namespace {

// Code page 1251, bytes 0x80-0xBF; 0xC0-0xFF are the Cyrillic letters in order.
constexpr std::uint16_t kUpperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
};

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

}  // namespace

std::string TitleToUtf8(std::string_view title) {
  std::string out;
  out.reserve(title.size() * 2);
  for (char c : title) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      out.push_back(' ');
    } else if (b < 0x80) {
      out.push_back(c);
    } else if (b < 0xC0) {
      AppendUtf8(out, kUpperHalf[b - 0x80]);
    } else {
      AppendUtf8(out, 0x0410u + (b - 0xC0u));
    }
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
