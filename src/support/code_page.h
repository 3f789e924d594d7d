#pragma once

#include <string>
#include <string_view>

namespace brimvel {

// Log texts are in code page 866; a Windows console title wants 1251.
char OemToTitleChar(char c);
std::string OemToTitleText(std::string_view text);

// A title a terminal can show: control bytes become blanks, so a title can
// never end its escape sequence early. Other bytes pass as they are.
std::string TerminalTitle(std::string_view title);

}  // namespace brimvel
