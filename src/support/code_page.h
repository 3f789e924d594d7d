#pragma once

#include <string>
#include <string_view>

namespace brimvel {

// Window titles are built in code page 1251; terminals want UTF-8. Control
// bytes become blanks so a title can never end its escape sequence early.
std::string TitleToUtf8(std::string_view title);

}  // namespace brimvel

namespace brimvel {

// Log texts are in code page 866; window titles in 1251.
char OemToTitleChar(char c);
std::string OemToTitleText(std::string_view text);

}  // namespace brimvel
