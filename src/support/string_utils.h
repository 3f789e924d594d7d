#pragma once

#include <cstdint>
#include <string_view>

#include "support/short_string.h"

namespace brimvel {

// Word and option helpers. A blank is the byte 0x20 only; a tab is an
// ordinary character.
ShortString UpperText(std::string_view text);
char UpperChar(char c);
ShortString FirstWord(std::string_view text);
// The first word as a view into the text, for comparisons that need no copy.
std::string_view FirstWordView(std::string_view text);
// Whether the text, upper-cased, equals an already upper-case keyword.
bool SameUpper(std::string_view text, std::string_view upperKeyword);
ShortString AfterFirstWord(std::string_view text);
ShortString TrimLeadingBlanks(std::string_view text);
ShortString ArgumentText(std::string_view text);
// Leaves `value` unchanged when the option is absent or has nothing behind it.
void GetOptionValue(std::string_view name, ShortString& value, std::string_view text);
bool OptionPresent(std::string_view name, bool& flag, std::string_view text);
bool OptionPresent(std::string_view name, std::string_view text);
ShortString NumberText(std::int64_t number);

// Reads an optionally signed decimal or "$"-hexadecimal number. errorPos is 0
// on success, else the 1-based position of the offending character (or a
// position past the end when the text ends too early or the value is out of
// range); the number is then 0.
std::int32_t TextToNumber(std::string_view text, int& errorPos);

// Edits (insert, delete, replace) that turn `a` into `b`.
std::size_t EditDistance(std::string_view a, std::string_view b);

}  // namespace brimvel
