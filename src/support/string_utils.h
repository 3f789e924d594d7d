#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brimvel {

// Where users meet a length limit: a configuration line's first 255
// characters are parsed, a longer path is passed over, a log line is cut.
inline constexpr std::size_t kLineCapacity = 255;

// Joins texts into one, for messages: one allocation, any mix of parts.
template <typename... Parts>
std::string Concat(const Parts&... parts) {
  std::string joined;
  joined.reserve((std::string_view(parts).size() + ...));
  (joined.append(std::string_view(parts)), ...);
  return joined;
}

// Word and option helpers. A blank is the byte 0x20 only; a tab is an
// ordinary character.
// The words and arguments below are views into the text they are taken from.
std::string UpperText(std::string_view text);
char UpperChar(char c);
std::string_view FirstWord(std::string_view text);
// Whether the text, upper-cased, equals an already upper-case keyword.
bool SameUpper(std::string_view text, std::string_view upperKeyword);
std::string_view AfterFirstWord(std::string_view text);
std::string_view TrimLeadingBlanks(std::string_view text);
std::string_view ArgumentText(std::string_view text);
// Leaves `value` unchanged when the option is absent or has nothing behind it.
void GetOptionValue(std::string_view name, std::string& value, std::string_view text);

// Reads an optionally signed decimal or "$"-hexadecimal number. errorPos is 0
// on success, else the 1-based position of the offending character (or a
// position past the end when the text ends too early or the value is out of
// range); the number is then 0.
std::int32_t TextToNumber(std::string_view text, int& errorPos);

// Edits (insert, delete, replace) that turn `a` into `b`.
std::size_t EditDistance(std::string_view a, std::string_view b);

}  // namespace brimvel
