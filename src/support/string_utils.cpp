#include "support/string_utils.h"

#include <algorithm>
#include <string>
#include <vector>

namespace brimvel {

namespace {

constexpr char kBlank = ' ';

}  // namespace

char UpperChar(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  if (b >= 0x61 && b <= 0x7A) return static_cast<char>(b - 0x20);
  if (b >= 0xA0 && b <= 0xAF) return static_cast<char>(b - 0x20);  // Cyrillic a..pe
  if (b >= 0xE0 && b <= 0xEF) return static_cast<char>(b - 0x50);  // Cyrillic er..ya
  return c;
}

std::string UpperText(std::string_view text) {
  std::string upper(text.size(), '\0');
  std::transform(text.begin(), text.end(), upper.begin(), UpperChar);
  return upper;
}

std::string_view TrimLeadingBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == kBlank) ++i;
  return text.substr(i);
}

std::string_view FirstWord(std::string_view text) {
  text = TrimLeadingBlanks(text);
  std::size_t blank = text.find(kBlank);
  return blank == std::string_view::npos ? text : text.substr(0, blank);
}

bool SameUpper(std::string_view text, std::string_view upperKeyword) {
  if (text.size() != upperKeyword.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (UpperChar(text[i]) != upperKeyword[i]) return false;
  return true;
}

std::string_view AfterFirstWord(std::string_view text) {
  text = TrimLeadingBlanks(text);
  std::size_t blank = text.find(kBlank);
  // A one-word text yields the word itself: the configuration language relies on it.
  if (blank != std::string_view::npos) text = text.substr(blank + 1);
  return TrimLeadingBlanks(text);
}

std::string_view ArgumentText(std::string_view text) {
  std::size_t quote = text.find('"');
  if (quote != std::string_view::npos) {
    text = text.substr(quote + 1);
  } else {
    std::size_t blank = text.find(kBlank);
    if (blank != std::string_view::npos) text = text.substr(blank + 1);
    text = TrimLeadingBlanks(text);
  }
  std::size_t close = text.find('"');
  return close == std::string_view::npos ? text : text.substr(0, close);
}

void GetOptionValue(std::string_view name, std::string& value, std::string_view text) {
  const std::string upperName = UpperText(name);
  const std::string upperText = UpperText(text);
  if (upperName.empty() || upperText.find(upperName) == std::string::npos) return;
  for (std::size_t offset = 0;;) {
    if (SameUpper(FirstWord(text), upperName)) {
      std::size_t at = upperText.find(upperName, offset) - offset;
      std::string_view rest = TrimLeadingBlanks(text.substr(at + upperName.size()));
      if (!rest.empty() && rest.front() == '"') {
        value = ArgumentText(rest);
      } else {
        value = FirstWord(rest);
      }
      return;
    }
    std::size_t blank = text.find(kBlank);
    if (blank == std::string_view::npos) return;
    text = text.substr(blank + 1);
    offset += blank + 1;
    if (text.find(kBlank) == std::string_view::npos) return;
  }
}

std::int32_t TextToNumber(std::string_view text, int& errorPos) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == kBlank) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < text.size() && text[i] == '$') {
    hex = true;
    ++i;
  }
  std::uint64_t magnitude = 0;
  std::size_t digits = 0;
  for (; i < text.size(); ++i, ++digits) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      errorPos = static_cast<int>(i + 1);
      return 0;
    }
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    if (magnitude > (hex ? 0xFFFFFFFFull : 2147483647ull)) {
      errorPos = static_cast<int>(i + 1);
      return 0;
    }
  }
  if (digits == 0) {
    errorPos = static_cast<int>(i + 1);
    return 0;
  }
  errorPos = 0;
  // Hexadecimal values above $7FFFFFFF wrap into the negative range, as a
  // 32-bit register would hold them.
  std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  return static_cast<std::int32_t>(bits);
}

// Edits (insert, delete, replace) that turn `a` into `b`.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0U : 1U)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace brimvel
