#pragma once

#include <string>
#include <string_view>

namespace brimvel {

// Window titles are built in code page 1251; terminals want UTF-8. Control
// bytes become blanks so a title can never end its escape sequence early.
std::string TitleToUtf8(std::string_view title);

}  // namespace brimvel
