#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brimvel {

// The log's words for a search or program-start error code.
std::string ErrorText(std::int32_t code, std::string_view name);

}  // namespace brimvel
